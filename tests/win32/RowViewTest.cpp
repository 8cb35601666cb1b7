// What the Win32 dump view adds to the contract: it paints its lines as the program's EDIT views
// paint text, the mouse and the scroll bar reach every row, and its popup menu runs commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "LineList.h"
#include "Win32Probe.h"

namespace {

// Rows in the dump's shape, "00000000 | 00 7F 56" to the given count.
class HexRows : public Platform::RowSource {
  public:
    uint64_t RowCount() const override { return Count; }
    std::string Row(uint64_t row) const override {
        char text[64];
        std::snprintf(text, sizeof text, "%08llX | %02X 7F 56 ",
                      static_cast<unsigned long long>(row * 16), unsigned(row & 0xFF));
        return text;
    }
    uint64_t BytesOf(uint64_t, uint64_t count) const override { return 3 * count; }

    uint64_t Count = 0;
};

// The top left of the control's client area as it paints it, row by row.
std::vector<COLORREF> Picture(HWND control, int width, int height) {
    return Win32Probe::Canvas(width, height, [&](HDC dc) {
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
    });
}

// The firmware window's dump view.
const Platform::TextViewSpec Dump{
    .Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true},
    .Background = {0, 0, 0},
    .Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 255, 0}}};

class Win32RowViewTest : public ::testing::Test {
  protected:
    // The view over `count` rows, shown.
    Win32::RowView& AddView(uint64_t count) {
        source.Count = count;
        editor.Reset();  // the rows changed
        window = probe.platform().NewWindow({.Caption = "rows", .Width = 620, .Height = 500});
        auto& view = Win32Probe::Rows(window->AddRowView(Dump, editor));
        window->Show();
        probe.ProcessEvents();
        return view;
    }

    Win32Probe probe;
    HexRows source;
    RowEditor editor{source, probe.platform()};
    LineList text;                             // for an EDIT view beside the rows
    std::unique_ptr<Platform::Window> window;  // last: its views refer to the others
};

// Rows and typed lines stand exactly where and as an EDIT view of the same text draws them: the
// header above the view keeps lining up with the text.
TEST_F(Win32RowViewTest, PaintsLikeAnEditViewOfTheSameText) {
    Win32::RowView& view = AddView(40);
    probe.PressKey(view, {.VirtualKey = VK_DOWN});
    probe.TypeText(view, "X\xC0");
    const int height = view.Origin().y + 10 * view.LineHeight(), width = 560;
    text.SetText(LinesOf(editor, 0, 12));
    HWND edit = Win32Probe::Handle(window->AddTextView(Dump, text));
    const std::vector<COLORREF> rows = Picture(view.Handle(), width, height);
    EXPECT_EQ(rows, Picture(edit, width, height));
    EXPECT_GT(std::ranges::count(rows, RGB(0, 255, 0)), 50);  // the text is really drawn
}

TEST_F(Win32RowViewTest, MouseAndScrollBarReachEveryRow) {
    Win32::RowView& view = AddView(1'000'000);
    HWND rows = view.Handle();
    // The thumb's position is beyond the 16 bits the message carries.
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_POS;
    bar.nPos = 700'000;
    SetScrollInfo(rows, SB_VERT, &bar, FALSE);
    SendMessageW(rows, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 700'000 & 0xFFFF), 0);
    EXPECT_EQ(probe.DisplayedText(view).substr(0, 8), "00AAE600");
    SendMessageW(rows, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(GetScrollPos(rows, SB_VERT), 0);  // the bar follows the editor

    // A press puts the caret at the nearest boundary between characters; Shift+press selects.
    auto press = [&](double column, int row, WPARAM keys) {
        const POINT at{view.Origin().x + static_cast<int>(column * view.ColumnWidth()),
                       view.Origin().y + row * view.LineHeight() + view.LineHeight() / 2};
        SendMessageW(rows, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(at.x, at.y));
        SendMessageW(rows, WM_LBUTTONUP, keys, MAKELPARAM(at.x, at.y));
    };
    press(4.4, 1, 0);
    press(2.6, 2, MK_SHIFT);
    EXPECT_EQ(editor.Anchor(), (RowPoint{1, 4}));
    EXPECT_EQ(editor.Caret(), (RowPoint{2, 3}));
}

TEST_F(Win32RowViewTest, PopupMenuRunsTheChosenCommand) {
    Win32::RowView& view = AddView(3);
    probe.RightClick(view, [](HWND menu) {
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 1);
    });
    EXPECT_EQ(editor.Anchor(), (RowPoint{0, 0}));  // the second item: select all
    EXPECT_EQ(editor.Caret(), (RowPoint{3, 0}));
}

}  // namespace
