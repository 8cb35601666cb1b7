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
    // The text starts this far in, as in the header label above the dump: its columns line up.
    static constexpr int Margin = 2;

    QtTextView(const Platform::TextViewSpec& spec, LineList& lines, QWidget* parent);
    ~QtTextView() override;

    void TextReplaced(std::string_view text) override;
    void TextAppended(std::string_view bytes) override;
    std::string ReadText() override;
    void SetCaretLine(int32_t index) override;

  private:
    LineList& lines_;
    bool updating_ = false;  // the change in progress is ours, not the user's
};
