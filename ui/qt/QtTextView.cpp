#include "QtTextView.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "QtLook.h"
#include "QtText.h"

QtTextView::QtTextView(const Platform::TextViewSpec& spec, LineList& lines, QWidget* parent)
    : QPlainTextEdit(parent), lines_(lines) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setTabChangesFocus(true);  // as in a classic edit control: no tab typed by accident
    setFont(QtLook::FontFor(spec.Font));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QtLook::ToQColor(spec.Background));
    colours.setColor(QPalette::Text, QtLook::ToQColor(spec.Font.Colour));
    setPalette(colours);
    document()->setDocumentMargin(Margin);
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

namespace {

// Text goes into the document in pieces of this many bytes, converted in one reused buffer: a
// fresh buffer for a whole dump typed into would cost more than the conversion itself.
constexpr size_t PieceBytes = size_t{1} << 20;

}  // namespace

void QtTextView::TextReplaced(std::string_view text) {
    updating_ = true;
    setPlainText(QString());
    updating_ = false;
    TextAppended(text);
}

void QtTextView::TextAppended(std::string_view bytes) {
    if (bytes.empty()) return;
    QTextDocument& text = *document();
    // Filling an empty view is not an edit the user could undo, as with setPlainText.
    const bool fill = text.isEmpty();
    const bool undo = text.isUndoRedoEnabled();
    updating_ = true;
    if (fill) text.setUndoRedoEnabled(false);
    QTextCursor end(&text);
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    QString piece;
    for (size_t at = 0; at < bytes.size();) {
        size_t size = std::min(PieceBytes, bytes.size() - at);
        if (at + size < bytes.size() && bytes[at + size - 1] == '\r') ++size;  // keep CR LF whole
        QtText::ToDocument(bytes.substr(at, size), piece);
        end.insertText(piece);
        at += size;
    }
    end.endEditBlock();
    if (fill) {
        text.setUndoRedoEnabled(undo);
        setTextCursor(QTextCursor(&text));
    }
    updating_ = false;
}

std::string QtTextView::ReadText() {
    // The raw text keeps U+00A0; the plain text would turn it into a blank.
    return QtText::FromDocument(document()->toRawText());
}

void QtTextView::SetCaretLine(int32_t index) {
    QTextBlock block = document()->findBlockByNumber(index);
    QTextCursor caret(block.isValid() ? block : document()->lastBlock());
    setTextCursor(caret);
    ensureCursorVisible();
}
