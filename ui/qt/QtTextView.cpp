#include "QtTextView.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "QtLook.h"
#include "QtText.h"

QtTextView::QtTextView(const Platform::TextViewSpec& spec, LineList& lines, QWidget* parent)
    : QPlainTextEdit(parent), lines_(lines) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setTabChangesFocus(true);
    setFont(QtLook::FontFor(spec.Font));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QtLook::ToQColor(spec.Background));
    colours.setColor(QPalette::Text, QtLook::ToQColor(spec.Font.Colour));
    setPalette(colours);
    document()->setDocumentMargin(1);
    // Scroll bars stand even when the text fits, as those of a classic edit control do.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(spec.Bars == Platform::ScrollBars::Both ? Qt::ScrollBarAlwaysOn
                                                                         : Qt::ScrollBarAlwaysOff);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (!updating_ && (removed != 0 || added != 0)) lines_.ViewEdited();
    });
    lines_.SetCapacity(Capacity);
    lines_.Bind(this);
}

QtTextView::~QtTextView() {
    lines_.Text();  // takes over the user's last edits before the list stands alone
    lines_.Bind(nullptr);
}

void QtTextView::Replace(const QString& text) {
    updating_ = true;
    setPlainText(text);
    updating_ = false;
}

void QtTextView::TextReplaced(std::string_view text) {
    pending_.clear();
    Replace(QtText::ToDocument(text));
}

void QtTextView::TextAppended(std::string_view bytes) {
    pending_.append(bytes);
    if (flushQueued_) return;
    flushQueued_ = true;
    QTimer::singleShot(0, this, [this] { Flush(); });
}

void QtTextView::Flush() {
    flushQueued_ = false;
    if (pending_.empty()) return;
    QString text = QtText::ToDocument(pending_);
    pending_.clear();
    pending_.shrink_to_fit();
    if (document()->isEmpty()) {
        Replace(text);
        return;
    }
    updating_ = true;
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    updating_ = false;
}

std::string QtTextView::ReadText() {
    Flush();
    // The raw text keeps U+00A0; the plain text would turn it into a blank.
    return QtText::FromDocument(document()->toRawText());
}

void QtTextView::SetCaretLine(int32_t index) {
    Flush();
    QTextBlock block = document()->findBlockByNumber(index);
    QTextCursor caret(block.isValid() ? block : document()->lastBlock());
    setTextCursor(caret);
    ensureCursorVisible();
}

// Whatever the user does to the view acts on the text as the list holds it.
bool QtTextView::event(QEvent* e) {
    if (!pending_.empty() && e->type() != QEvent::Paint) Flush();
    return QPlainTextEdit::event(e);
}

bool QtTextView::viewportEvent(QEvent* e) {
    if (!pending_.empty() && e->type() != QEvent::Paint) Flush();
    return QPlainTextEdit::viewportEvent(e);
}
