// Moving, selecting and copying over rows that are never built as one text.
#include <gtest/gtest.h>

#include "Errors.h"
#include "RowCursor.h"

namespace {

// Rows of the widths given; a row of width w is "a", "ab", "abc", ... cut to w.
class Rows : public Platform::RowSource {
  public:
    explicit Rows(std::vector<uint32_t> widths) : widths_(std::move(widths)) {}
    uint64_t RowCount() const override { return widths_.size(); }
    std::string Row(uint64_t row) const override {
        return std::string("0123456789").substr(0, widths_[row]);
    }

  private:
    std::vector<uint32_t> widths_;
};

Platform::KeyPress Key(uint8_t code, bool shift = false, bool ctrl = false) {
    return {.VirtualKey = code, .Shift = shift, .Ctrl = ctrl};
}

constexpr uint8_t PageUp = 0x21, PageDown = 0x22, End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26,
                  Right = 0x27, Down = 0x28;

TEST(RowCursor, MovesAsInATextWhoseRowsEndInLineBreaks) {
    Rows rows({6, 2, 6});
    RowCursor cursor(rows);
    EXPECT_EQ(cursor.LineCount(), 4u);  // the empty line after the last row

    cursor.Navigate(Key(End));
    EXPECT_EQ(cursor.Caret(), (RowPoint{0, 6}));
    // Down through a short row keeps aiming at the column it started from.
    cursor.Navigate(Key(Down));
    EXPECT_EQ(cursor.Caret(), (RowPoint{1, 2}));
    cursor.Navigate(Key(Down));
    EXPECT_EQ(cursor.Caret(), (RowPoint{2, 6}));
    // Right at a row's end goes to the next line's start; Left at a start to the line above.
    cursor.Navigate(Key(Right));
    EXPECT_EQ(cursor.Caret(), (RowPoint{3, 0}));
    cursor.Navigate(Key(Right));
    EXPECT_EQ(cursor.Caret(), (RowPoint{3, 0}));
    cursor.Navigate(Key(Left));
    EXPECT_EQ(cursor.Caret(), (RowPoint{2, 6}));
    cursor.Navigate(Key(Home, false, true));
    EXPECT_EQ(cursor.Caret(), (RowPoint{0, 0}));
    cursor.Navigate(Key(Left));
    cursor.Navigate(Key(Up));
    EXPECT_EQ(cursor.Caret(), (RowPoint{0, 0}));
    EXPECT_FALSE(cursor.Navigate(Key('X')));
    EXPECT_FALSE(cursor.HasSelection());
}

TEST(RowCursor, PagesScrollAndKeepTheCaretInView) {
    Rows rows(std::vector<uint32_t>(100, 4));
    RowCursor cursor(rows);
    cursor.SetPageLines(10);
    cursor.Navigate(Key(PageDown));
    EXPECT_EQ(cursor.Caret().Line, 10u);
    EXPECT_LE(cursor.Top(), 10u);
    EXPECT_GT(cursor.Top() + cursor.PageLines(), 10u);
    cursor.Navigate(Key(End, false, true));
    EXPECT_EQ(cursor.Caret(), (RowPoint{100, 0}));
    EXPECT_EQ(cursor.Top(), cursor.MaxTop());
    EXPECT_EQ(cursor.MaxTop(), 91u);
    cursor.Navigate(Key(PageUp));
    EXPECT_EQ(cursor.Caret().Line, 90u);
    // The scroll bar moves the view only; the caret stays where it was.
    cursor.ScrollTo(1'000'000);
    EXPECT_EQ(cursor.Top(), 91u);
    cursor.ScrollTo(0);
    EXPECT_EQ(cursor.Caret().Line, 90u);
    cursor.Navigate(Key(Down));  // the caret brings the view back
    EXPECT_EQ(cursor.Top(), 82u);
}

TEST(RowCursor, SelectionGivesTheTextAsTheRowsWouldHaveIt) {
    Rows rows({4, 4, 2});
    RowCursor cursor(rows);
    cursor.Click({0, 2}, false);
    cursor.Click({2, 1}, true);
    EXPECT_EQ(cursor.SelectedText(1000), "23\r\n0123\r\n0");
    EXPECT_EQ(cursor.SelectedColumns(1), (std::pair<uint32_t, uint32_t>{0, 5}));
    // Selecting backwards gives the same text.
    cursor.Click({0, 2}, true);
    cursor.Click({2, 1}, false);
    cursor.Click({0, 2}, true);
    EXPECT_EQ(cursor.SelectedText(1000), "23\r\n0123\r\n0");

    cursor.Navigate(Key('A', false, true));
    EXPECT_EQ(cursor.SelectedText(1000), "0123\r\n0123\r\n01\r\n");
    EXPECT_THROW(cursor.SelectedText(10), ECapacityError);

    // Shift with a key extends from the anchor; a plain key drops the selection.
    cursor.Click({1, 1}, false);
    cursor.Navigate(Key(End, true));
    EXPECT_EQ(cursor.SelectedText(1000), "123");
    cursor.Navigate(Key(Left));
    EXPECT_FALSE(cursor.HasSelection());
}

TEST(RowCursor, TheRowsBecomeTextOnlyWhenTheyFit) {
    Rows rows({3, 1});
    RowCursor cursor(rows);
    LineList text;
    text.SetText("before");
    text.SetCapacity(7);
    EXPECT_THROW(cursor.WriteText(text), ECapacityError);
    EXPECT_EQ(text.Text(), "before");
    text.SetCapacity(8);
    cursor.WriteText(text);
    EXPECT_EQ(text.Text(), "012\r\n0\r\n");
}

}  // namespace
