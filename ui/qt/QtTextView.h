// The multi-line text view: a plain text editor that shows a LineList and tells it when the user
// changed the text.
#pragma once

#include <QPlainTextEdit>
#include <string>

#include "LineList.h"
#include "Platform.h"

class QtTextView : public QPlainTextEdit, public LineListView, public Platform::TextView {
  public:
    // Large enough for the dump of any image the loader takes in practice.
    static constexpr size_t Capacity = size_t{256} * 1024 * 1024;

    QtTextView(const Platform::TextViewSpec& spec, LineList& lines, QWidget* parent);
    ~QtTextView() override;

    void TextReplaced(std::string_view text) override;
    void TextAppended(std::string_view bytes) override;
    std::string ReadText() override;
    void SetCaretLine(int32_t index) override;

    // Puts lines appended since the last call into the document.
    void Flush();

  protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;

  private:
    // Puts bytes of the list's text at the end of the document.
    void Append(std::string_view bytes);

    LineList& lines_;
    // Lines appended by the list and not yet in the document: a run adds its listing one line
    // at a time, and one insertion per line would cost far more than the run itself.
    std::string pending_;
    bool flushQueued_ = false;
    bool updating_ = false;  // the change in progress is ours, not the user's
};
