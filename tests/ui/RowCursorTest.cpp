// Moving, selecting and copying over rows that are never built as one text.
#include <gtest/gtest.h>

#include "Errors.h"
#include "RowCursor.h"

namespace {

// Rows of the widths given: a row of width w is the first w digits.
struct Rows : Platform::RowSource {
    explicit Rows(std::vector<uint32_t> widths) : Widths(std::move(widths)) {}
    uint64_t RowCount() const override { return Widths.size(); }
    std::string Row(uint64_t row) const override { return std::string("0123456789", Widths[row]); }
    std::vector<uint32_t> Widths;
};

constexpr uint8_t PageDown = 0x22, End = 0x23, Home = 0x24, Left = 0x25, Right = 0x27, Down = 0x28;

// Where the caret stands after the key.
RowPoint After(RowCursor& cursor, uint8_t key, bool shift = false, bool ctrl = false) {
    EXPECT_TRUE(cursor.Navigate({.VirtualKey = key, .Shift = shift, .Ctrl = ctrl}));
    return cursor.Caret();
}

TEST(RowCursor, MovesAsInATextWhoseRowsEndInLineBreaks) {
    Rows rows({6, 2, 6});
    RowCursor cursor(rows);
    EXPECT_EQ(After(cursor, End), (RowPoint{0, 6}));
    // Down through a short row keeps aiming at the column it started from.
    EXPECT_EQ(After(cursor, Down), (RowPoint{1, 2}));
    EXPECT_EQ(After(cursor, Down), (RowPoint{2, 6}));
    // Right at a row's end goes to the next line's start, the empty line after the last row;
    // Left at a line's start to the end of the line above.
    EXPECT_EQ(After(cursor, Right), (RowPoint{3, 0}));
    EXPECT_EQ(After(cursor, Left), (RowPoint{2, 6}));
}

TEST(RowCursor, PagesScrollAndKeepTheCaretInView) {
    Rows rows(std::vector<uint32_t>(100, 4));
    RowCursor cursor(rows);
    cursor.SetPageLines(10);
    EXPECT_EQ(After(cursor, PageDown).Line, 10u);
    EXPECT_EQ(cursor.Top(), 10u);
    EXPECT_EQ(After(cursor, End, false, true).Line, 100u);
    EXPECT_EQ(cursor.Top(), 91u);
    cursor.ScrollTo(1'000'000);  // the scroll bar moves the view only, never past the end
    EXPECT_EQ(cursor.Top(), 91u);
    cursor.Reset();
    EXPECT_EQ(cursor.Top(), 0u);
}

TEST(RowCursor, SelectionGivesTheTextAsTheRowsWouldHaveIt) {
    Rows rows({4, 4, 2});
    RowCursor cursor(rows);
    cursor.Click({2, 1}, false);
    cursor.Click({0, 2}, true);  // backwards
    EXPECT_EQ(cursor.SelectedText(1000), "23\r\n0123\r\n0");
    cursor.Click({1, 1}, false);
    cursor.Navigate({.VirtualKey = 'A', .Ctrl = true});
    EXPECT_EQ(cursor.SelectedText(1000), "0123\r\n0123\r\n01\r\n");
    EXPECT_THROW(cursor.SelectedText(10), ECapacityError);
}

}  // namespace
