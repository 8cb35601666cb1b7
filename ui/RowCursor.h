// The caret, the selection and the scroll position of a view that draws rows on demand. Kept
// apart from any toolkit, so that every backend moves, selects and copies alike and only paints.
//
// The lines of the view are the source's rows followed by one empty line, as in a text where
// every row ends with a line break: that is the text the first edit turns the rows into.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <utility>

#include "LineList.h"
#include "Platform.h"

struct RowPoint {
    uint64_t Line = 0;
    uint32_t Column = 0;  // 0 is before the line's first character
    auto operator<=>(const RowPoint&) const = default;
};

class RowCursor {
  public:
    explicit RowCursor(const Platform::RowSource& rows) : rows_(rows) {}

    // The caret at the start, nothing selected, the first line on top.
    void Reset();
    uint64_t LineCount() const { return rows_.RowCount() + 1; }
    std::string Line(uint64_t line) const;  // empty beyond the rows

    // How many lines fit in the view (at least 1); the caret stays in view.
    void SetPageLines(uint32_t lines);
    uint32_t PageLines() const { return page_; }
    uint64_t Top() const { return top_; }
    uint64_t MaxTop() const;
    void ScrollTo(uint64_t top);  // clamped; the caret does not move
    void ScrollBy(int64_t lines);

    // Moves the caret as a navigation key does: arrows, Home, End, Page Up and Page Down, Ctrl
    // with Home or End to the text's ends, Shift to extend the selection, Ctrl+A to select all.
    // False for any other key.
    bool Navigate(const Platform::KeyPress& key);
    static bool IsCopy(const Platform::KeyPress& key);  // Ctrl+C or Ctrl+Insert
    // A mouse press on `at` (clamped to the text); `extend` keeps the anchor (Shift, or a drag).
    void Click(RowPoint at, bool extend);

    RowPoint Caret() const { return caret_; }
    RowPoint Anchor() const { return anchor_; }
    bool HasSelection() const { return caret_ != anchor_; }
    // The selected columns of `line`, [first, second); second is the line's length plus one when
    // its line break is selected too. Equal values: nothing selected there.
    std::pair<uint32_t, uint32_t> SelectedColumns(uint64_t line) const;
    // The selection as text, CR LF between lines. Throws ECapacityError when it would exceed
    // `limit` characters, before building it.
    std::string SelectedText(size_t limit) const;

    // Fills `text` with every row, each followed by CR LF, up to its capacity; the text is left
    // as it was when the rows do not fit (ECapacityError).
    void WriteText(LineList& text) const;

  private:
    uint32_t Length(uint64_t line) const;
    void MoveTo(RowPoint to, bool extend, bool keepColumn = false);
    void KeepCaretInView();

    const Platform::RowSource& rows_;
    RowPoint caret_, anchor_;
    uint32_t wantedColumn_ = 0;  // where Up and Down aim, as in a text editor
    uint64_t top_ = 0;
    uint32_t page_ = 1;
};
