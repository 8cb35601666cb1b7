#include "QtRowView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "QtLook.h"
#include "QtPlatform.h"
#include "QtText.h"
#include "QtTextView.h"

namespace {

// Lays out `text` as one line the way the text view lays out a block: leading included, the
// left edge at the document's margin, no wrapping.
QTextLine LayOutLine(QTextLayout& layout, const QString& text, const QTextDocument& document,
                     const QFont& font) {
    const qreal margin = document.documentMargin();
    layout.setText(text);
    layout.setFont(font);
    layout.setTextOption(document.defaultTextOption());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    line.setLineWidth(qreal(INT_MAX) - 2 * margin);
    line.setPosition(QPointF(margin, 0));
    layout.endLayout();
    return line;
}

// A key that would change the text: typing, Enter, Backspace, Delete, cut and paste.
bool IsEdit(const QKeyEvent& event) {
    if (event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut)) return true;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::AltModifier) return false;
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return true;
        case Qt::Key_Insert:
            return modifiers == Qt::ShiftModifier;
        default:
            break;
    }
    // A tab is no text here: it moves the focus, as in the other views.
    const QString text = event.text();
    return !(modifiers & Qt::ControlModifier) && !text.isEmpty() && text.at(0).isPrint();
}

}  // namespace

QtRowView::QtRowView(const Platform::TextViewSpec& spec, const Platform::RowSource& rows,
                     LineList& text, const Platform::Desktop& desktop, QWidget* parent)
    : QAbstractScrollArea(parent),
      cursor_(rows),
      lines_(text),
      desktop_(desktop),
      text_(new QtTextView(spec, text, this)) {
    text_->hide();
    // The look of the text view it stands in for: frame, font, colours, scroll bars.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFont(QtLook::FontFor(spec.Font));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QtLook::ToQColor(spec.Background));
    colours.setColor(QPalette::Text, QtLook::ToQColor(spec.Font.Colour));
    setPalette(colours);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);

    QTextLayout layout;
    const QTextLine line = LayOutLine(layout, QString(), *text_->document(), font());
    lineHeight_ = std::max(1, qRound(line.height() + std::min(0.0, std::ceil(line.leading()))));

    connect(&blink_, &QTimer::timeout, this, [this] {
        caretShown_ = !caretShown_;
        const int row = static_cast<int>(cursor_.Caret().Line - cursor_.Top());
        viewport()->update(0, TextTop() + row * lineHeight_, viewport()->width(), lineHeight_);
    });
    Moved();
}

void QtRowView::ShowRows() {
    const bool focused = hasFocus();  // the text view's focus, while it stands in front
    setFocusProxy(nullptr);
    edited_ = false;
    text_->hide();
    lines_.Clear();
    cursor_.Reset();
    if (focused) setFocus();
    Moved();
    RestartBlink();
}

int QtRowView::TextTop() const {
    return cursor_.Top() == 0 ? qRound(text_->document()->documentMargin()) : 0;
}

void QtRowView::LayOut(QTextLayout& layout, uint64_t line) const {
    LayOutLine(layout, QtText::ToQString(cursor_.Line(line)), *text_->document(), font());
}

void QtRowView::paintEvent(QPaintEvent* event) {
    if (edited_) return;
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.setClipRect(dirty);
    painter.setPen(palette().text().color());
    // The selection's colours as the text view has them, paler without the focus.
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selected;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));

    const int top = TextTop();
    const int first = std::max(0, (dirty.top() - top) / lineHeight_);
    const int last = std::max(0, (dirty.bottom() - top) / lineHeight_);
    for (int row = first; row <= last; ++row) {
        const uint64_t line = cursor_.Top() + static_cast<uint64_t>(row);
        if (line >= cursor_.LineCount()) break;
        QTextLayout layout;
        LayOut(layout, line);
        QList<QTextLayout::FormatRange> selections;
        const auto [from, to] = cursor_.SelectedColumns(line);
        if (from < to)
            selections.append({static_cast<int>(from), static_cast<int>(to - from), selected});
        const QPointF at(0, top + row * lineHeight_);
        layout.draw(&painter, at, selections, dirty);
        if (caretShown_ && cursor_.Caret().Line == line)
            layout.drawCursor(&painter, at, static_cast<int>(cursor_.Caret().Column), 1);
    }
}

void QtRowView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    text_->setGeometry(rect());
    const int room = viewport()->height() - TextTop();
    cursor_.SetPageLines(static_cast<uint32_t>(std::max(1, room / lineHeight_)));
    Moved();
}

void QtRowView::scrollContentsBy(int, int) {
    cursor_.ScrollTo(static_cast<uint64_t>(verticalScrollBar()->value()));
    viewport()->update();
}

void QtRowView::Moved() {
    // At 2 GiB the view has 134 million lines: the scroll bar counts lines and that fits.
    QScrollBar& bar = *verticalScrollBar();
    bar.setRange(0, static_cast<int>(cursor_.MaxTop()));
    bar.setPageStep(static_cast<int>(cursor_.PageLines()));
    bar.setSingleStep(1);
    bar.setValue(static_cast<int>(cursor_.Top()));
    viewport()->update();
}

void QtRowView::keyPressEvent(QKeyEvent* event) {
    if (edited_) {  // the text view has the keys now; this one only passed through
        event->ignore();
        return;
    }
    const std::optional<Platform::KeyPress> key = QtPlatform::ToKeyPress(*event);
    if (key && RowCursor::IsCopy(*key)) {
        Copy();
    } else if (key && cursor_.Navigate(*key)) {
        Moved();
        RestartBlink();
    } else if (IsEdit(*event)) {
        // The key applies to the text the rows turn into, where the caret stood.
        if (BecomeText()) QCoreApplication::sendEvent(text_, event);
    } else {
        event->ignore();
    }
}

RowPoint QtRowView::PointAt(QPoint at) const {
    const int y = at.y() - TextTop();
    const int64_t row = y >= 0 ? y / lineHeight_ : -1 - (-y - 1) / lineHeight_;
    const int64_t line = std::max<int64_t>(0, static_cast<int64_t>(cursor_.Top()) + row);
    QTextLayout layout;
    LayOut(layout, static_cast<uint64_t>(line));
    const int column = layout.lineAt(0).xToCursor(at.x());
    return {static_cast<uint64_t>(line), static_cast<uint32_t>(std::max(0, column))};
}

void QtRowView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    cursor_.Click(PointAt(event->position().toPoint()),
                  event->modifiers().testFlag(Qt::ShiftModifier));
    Moved();
    RestartBlink();
}

void QtRowView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    // Dragging past an edge scrolls: the caret follows the pointer and stays in view.
    cursor_.Click(PointAt(event->position().toPoint()), true);
    Moved();
    RestartBlink();
}

void QtRowView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
}

void QtRowView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    RestartBlink();
}

void QtRowView::RestartBlink() {
    caretShown_ = !edited_ && hasFocus();
    const int period = QApplication::cursorFlashTime() / 2;
    if (caretShown_ && period > 0)
        blink_.start(period);
    else
        blink_.stop();
    viewport()->update();
}

void QtRowView::Copy() {
    if (!cursor_.HasSelection()) return;
    std::string copied;
    if (!desktop_.Guarded([&] { copied = cursor_.SelectedText(QtTextView::Capacity); })) return;
    QGuiApplication::clipboard()->setText(QtText::ToDocument(copied));
}

bool QtRowView::BecomeText() {
    if (!desktop_.Guarded([this] { cursor_.WriteText(lines_); })) return false;
    edited_ = true;
    blink_.stop();
    text_->show();
    text_->raise();
    // Caret, selection and top line where they stood among the rows.
    QTextDocument& document = *text_->document();
    auto position = [&document](RowPoint point) {
        const QTextBlock block = document.findBlockByNumber(static_cast<int>(point.Line));
        return block.position() + std::min(static_cast<int>(point.Column), block.length() - 1);
    };
    QTextCursor caret(&document);
    caret.setPosition(position(cursor_.Anchor()));
    caret.setPosition(position(cursor_.Caret()), QTextCursor::KeepAnchor);
    text_->setTextCursor(caret);
    text_->verticalScrollBar()->setValue(static_cast<int>(cursor_.Top()));
    setFocusProxy(text_);
    text_->setFocus();
    return true;
}
