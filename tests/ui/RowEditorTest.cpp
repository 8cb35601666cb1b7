// Moving, selecting, editing, undoing and copying over rows that are never built as one text.
#include <gtest/gtest.h>

#include "Cp1251.h"
#include "Errors.h"
#include "Keys.h"
#include "MemoryPlatform.h"
#include "RowEditor.h"

namespace {

// Rows of the widths given: a row of width w is the first w digits. Counts the rows drawn.
struct Rows : Platform::RowSource {
    explicit Rows(std::vector<uint32_t> widths) : Widths(std::move(widths)) {}
    uint64_t RowCount() const override { return Widths.size(); }
    std::string Row(uint64_t row) const override {
        ++Drawn;
        return std::string("0123456789", Widths[row]);
    }
    uint64_t BytesOf(uint64_t, uint64_t count) const override { return count * 16; }
    std::vector<uint32_t> Widths;
    mutable uint64_t Drawn = 0;
};

// An editor shown in a view of ten lines, with its platform's clipboard.
struct Editor {
    explicit Editor(std::vector<uint32_t> widths)
        : Source(std::move(widths)),
          Edit(Source, Platform),
          View(Platform, {.Where = {.Height = 160}}, Edit) {}
    RowPoint After(uint8_t key, bool shift = false, bool ctrl = false) {
        EXPECT_TRUE(Edit.Key({.VirtualKey = key, .Shift = shift, .Ctrl = ctrl}));
        return Edit.Caret();
    }
    void Ctrl(uint8_t key) { Edit.Key({.VirtualKey = key, .Ctrl = true}); }
    std::string All() {
        Edit.SelectAll();
        return Edit.SelectedText();
    }

    Rows Source;
    MemoryPlatform Platform;
    RowEditor Edit;
    MemoryRowView View;
};

TEST(RowEditor, MovesAsInATextWhoseRowsEndInLineBreaks) {
    Editor editor({6, 2, 6});
    EXPECT_EQ(editor.After(Keys::End), (RowPoint{0, 6}));
    // Down through a short row keeps aiming at the column it started from.
    EXPECT_EQ(editor.After(Keys::Down), (RowPoint{1, 2}));
    EXPECT_EQ(editor.After(Keys::Down), (RowPoint{2, 6}));
    // Right at a row's end goes to the next line's start, the empty line after the last row;
    // Left at a line's start to the end of the line above.
    EXPECT_EQ(editor.After(Keys::Right), (RowPoint{3, 0}));
    EXPECT_EQ(editor.After(Keys::Left), (RowPoint{2, 6}));
}

TEST(RowEditor, PagesScrollAndKeepTheCaretInView) {
    Editor editor(std::vector<uint32_t>(100, 4));
    EXPECT_EQ(editor.After(Keys::PageDown).Line, 10u);
    EXPECT_EQ(editor.Edit.Top(), 10u);
    EXPECT_EQ(editor.After(Keys::End, false, true).Line, 100u);
    EXPECT_EQ(editor.Edit.Top(), 91u);
    editor.Edit.ScrollTo(1'000'000);  // the scroll bar moves the view only, never past the end
    EXPECT_EQ(editor.Edit.Top(), 91u);
    editor.Edit.Reset();
    EXPECT_EQ(editor.Edit.Top(), 0u);
}

TEST(RowEditor, SelectionGivesTheTextAsTheRowsWouldHaveIt) {
    Editor editor({4, 4, 2});
    editor.Edit.Click({2, 1}, false);
    editor.Edit.Click({0, 2}, true);  // backwards
    EXPECT_EQ(editor.Edit.SelectedText(), "23\r\n0123\r\n0");
    EXPECT_EQ(editor.All(), "0123\r\n0123\r\n01\r\n");
}

TEST(RowEditor, EditsStandOverTheRowsWithoutBuildingThem) {
    Editor editor(std::vector<uint32_t>(1'000'000, 4));
    editor.After(Keys::Down);
    editor.After(Keys::Right);
    editor.Edit.Type("ab");
    editor.After(Keys::Return);
    editor.After(Keys::Back);
    editor.After(Keys::Back);  // joins nothing: takes the "b"
    editor.After(Keys::End);
    editor.After(Keys::Delete);  // joins the next row to this line
    EXPECT_EQ(editor.Edit.Line(1), "0a1230123");
    EXPECT_EQ(editor.Edit.Line(2), "0123");
    EXPECT_EQ(editor.Edit.LineCount(), 1'000'000u);
    EXPECT_LT(editor.Source.Drawn, 100u);
    // The whole text reads through the edit, and typing over a selection replaces it.
    editor.Edit.Select({{0, 2}, {2, 1}});
    editor.Edit.Type("X");
    EXPECT_EQ(editor.Edit.Line(0), "01X123");
}

TEST(RowEditor, UndoAndRedoStepThroughTheChanges) {
    Editor editor({4, 4});
    editor.Edit.Type("a");
    editor.Edit.Type("b");  // one step with the "a": a run typed on one line
    editor.After(Keys::Return);
    editor.Ctrl('A');
    editor.After(Keys::Delete);
    EXPECT_EQ(editor.All(), "");
    editor.Ctrl('Z');
    EXPECT_EQ(editor.All(), "ab\r\n0123\r\n0123\r\n");
    editor.Ctrl('Z');
    editor.Ctrl('Z');
    EXPECT_EQ(editor.All(), "0123\r\n0123\r\n");
    editor.Ctrl('Z');  // nothing more to take back
    EXPECT_EQ(editor.All(), "0123\r\n0123\r\n");
    editor.Ctrl('Y');
    EXPECT_EQ(editor.All(), "ab0123\r\n0123\r\n");
}

TEST(RowEditor, ClipboardKeysCopyCutAndPasteWithinTheirLimits) {
    Editor editor({4, 4});
    editor.Edit.Select({{0, 1}, {1, 2}});
    editor.Ctrl('X');
    EXPECT_EQ(editor.Platform.ClipboardText, "123\r\n01");
    editor.Edit.Key({.VirtualKey = Keys::Insert, .Shift = true});
    EXPECT_EQ(editor.All(), "0123\r\n0123\r\n");
    // One paste may add no more than the view holds; the text stays as it was.
    editor.Platform.ClipboardText.assign(MemoryRowView::Capacity + 1, 'x');
    EXPECT_THROW(editor.Ctrl('V'), ECapacityError);
    EXPECT_EQ(editor.Edit.LineCount(), 3u);
}

TEST(RowEditor, CopyOfMoreThanTheLimitIsRefusedAndKeepsTheClipboard) {
    Editor editor(std::vector<uint32_t>(RowEditor::CopyLimit / 16 + 1, 4));
    editor.Platform.ClipboardText = "held";
    editor.Ctrl('A');  // 16 bytes too many
    try {
        editor.Ctrl('C');
        FAIL() << "copied";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message, Cp1251::FromUtf8("Выделено слишком много для буфера обмена: 65 "
                                                  "МБ (не больше 64 МБ)."));
    }
    EXPECT_EQ(editor.Platform.ClipboardText, "held");
    editor.After(Keys::Up, true);
    editor.After(Keys::Up, true);  // the limit itself, up to the start of the last row in it
    editor.Ctrl('C');
    EXPECT_EQ(editor.Platform.ClipboardText.size(), (RowEditor::CopyLimit / 16 - 1) * 6);
}

}  // namespace
