#include "QtRowView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "QtLook.h"
#include "QtPlatform.h"
#include "QtText.h"
#include "QtTextView.h"
#include "QtWindow.h"

namespace {

// Lays out `text` as one line the way the text view lays out a block: leading included, the
// left edge at the document's margin, no wrapping.
QTextLine LayOutLine(QTextLayout& layout, const QString& text, const QFont& font) {
    constexpr qreal margin = QtTextView::Margin;
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setText(text);
    layout.setFont(font);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    line.setLineWidth(qreal(INT_MAX) - 2 * margin);
    line.setPosition(QPointF(margin, 0));
    layout.endLayout();
    return line;
}

// Text that a key types: printable characters, no Ctrl or Alt held (those keys are commands).
bool TypesText(const QKeyEvent& event) {
    const QString text = event.text();
    return !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

}  // namespace

QtRowView::QtRowView(const Platform::TextViewSpec& spec, RowEditor& editor, QWidget* parent)
    : QAbstractScrollArea(parent), editor_(editor) {
    // The look of the text view of the other windows: frame, font, colours, scroll bars.
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
    const QTextLine line = LayOutLine(layout, QString(), font());
    lineHeight_ = std::max(1, qRound(line.height() + std::min(0.0, std::ceil(line.leading()))));
    columnWidth_ = std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(u'0'));

    connect(&blink_, &QTimer::timeout, this, [this] {
        caretShown_ = !caretShown_;
        const int64_t row = static_cast<int64_t>(editor_.Caret().Line - editor_.Top());
        if (row >= 0 && row <= editor_.PageLines())
            viewport()->update(0, TextTop() + static_cast<int>(row) * lineHeight_,
                               viewport()->width(), lineHeight_);
    });
    editor_.Attach(*this, QtTextView::Capacity);
    Changed();
}

void QtRowView::Changed() {
    // At 2 GiB the view has 134 million lines: the scroll bar counts lines and that fits.
    QScrollBar& bar = *verticalScrollBar();
    syncing_ = true;
    bar.setRange(0, static_cast<int>(editor_.MaxTop()));
    bar.setPageStep(static_cast<int>(editor_.PageLines()));
    bar.setSingleStep(1);
    bar.setValue(static_cast<int>(editor_.Top()));
    syncing_ = false;
    RestartBlink();
}

std::string QtRowView::ClipboardText() {
    return QtText::FromQString(QGuiApplication::clipboard()->text());
}

void QtRowView::SetClipboardText(const std::string& text) {
    // As UTF-8 text under both names Qt and the other programs ask for; Qt reads it back as text.
    const QByteArray utf8 = QtText::ToUtf8Lines(text);
    auto* data = new QMimeData;
    data->setData("text/plain", utf8);
    data->setData("text/plain;charset=utf-8", utf8);
    QGuiApplication::clipboard()->setMimeData(data);
}

int QtRowView::TextTop() const {
    return editor_.Top() == 0 ? QtTextView::Margin : 0;
}

void QtRowView::LayOut(QTextLayout& layout, uint64_t line) const {
    LayOutLine(layout, QtText::ToQString(editor_.Line(line)), font());
}

void QtRowView::paintEvent(QPaintEvent* event) {
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
        const uint64_t line = editor_.Top() + static_cast<uint64_t>(row);
        if (line >= editor_.LineCount()) break;
        QTextLayout layout;
        LayOut(layout, line);
        QList<QTextLayout::FormatRange> selections;
        const auto [from, to] = editor_.SelectedColumns(line);
        if (from < to)
            selections.append({static_cast<int>(from), static_cast<int>(to - from), selected});
        const QPointF at(-Shift(), top + row * lineHeight_);
        layout.draw(&painter, at, selections, dirty);
        if (caretShown_ && editor_.Caret().Line == line)
            layout.drawCursor(&painter, at, static_cast<int>(editor_.Caret().Column), 1);
    }
}

void QtRowView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const int lines = (viewport()->height() - TextTop()) / lineHeight_;
    const qreal columns = (viewport()->width() - 2 * QtTextView::Margin) / columnWidth_;
    editor_.SetPage(static_cast<uint32_t>(std::max(1, lines)),
                    static_cast<uint32_t>(std::max<qreal>(1, std::floor(columns))));
}

void QtRowView::scrollContentsBy(int, int) {
    if (!syncing_) editor_.ScrollTo(static_cast<uint64_t>(verticalScrollBar()->value()));
}

void QtRowView::keyPressEvent(QKeyEvent* event) {
    const std::optional<Platform::KeyPress> key = QtPlatform::ToKeyPress(*event);
    if (key && editor_.Key(*key)) return;
    // A tab is no text here: it moves the focus, as in the other views.
    if (TypesText(*event))
        editor_.Type(QtText::FromQString(event->text()));
    else
        event->ignore();
}

RowPoint QtRowView::PointAt(QPoint at) const {
    const int y = at.y() - TextTop();
    const int64_t row = y >= 0 ? y / lineHeight_ : -1 - (-y - 1) / lineHeight_;
    const int64_t line = std::max<int64_t>(0, static_cast<int64_t>(editor_.Top()) + row);
    QTextLayout layout;
    LayOut(layout, static_cast<uint64_t>(line));
    const int column = layout.lineAt(0).xToCursor(at.x() + Shift());
    return {static_cast<uint64_t>(line), static_cast<uint32_t>(std::max(0, column))};
}

void QtRowView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    editor_.Click(PointAt(event->position().toPoint()),
                  event->modifiers().testFlag(Qt::ShiftModifier));
}

void QtRowView::mouseMoveEvent(QMouseEvent* event) {
    // Dragging past an edge scrolls: the caret follows the pointer and stays in view.
    if (event->buttons() & Qt::LeftButton)
        editor_.Click(PointAt(event->position().toPoint()), true);
}

void QtRowView::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const Platform::MenuItem& item : editor_.ContextMenu())
        connect(menu->addAction(QtWindow::ItemText(item)), &QAction::triggered, this, item.Command);
    menu->popup(event->globalPos());
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
    caretShown_ = hasFocus();
    const int period = QApplication::cursorFlashTime() / 2;
    if (caretShown_ && period > 0)
        blink_.start(period);
    else
        blink_.stop();
    viewport()->update();
}
