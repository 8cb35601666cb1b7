// What the Win32 dump view adds to the contract: it paints like the EDIT view it turns into, the
// mouse and the scroll bar reach every row, and the edit keys of an EDIT view hand over to it.
#include <gtest/gtest.h>

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

    uint64_t Count = 0;
};

// The top left of the control's client area as it paints it, row by row.
std::vector<COLORREF> Picture(HWND control, int width, int height) {
    return Win32Probe::Canvas(width, height, [&](HDC dc) {
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
    });
}

class Win32RowViewTest : public ::testing::Test {
  protected:
    // The view over `count` rows, shown.
    Win32::RowView& AddView(uint64_t count) {
        source.Count = count;
        window = probe.platform().NewWindow({.Caption = "rows", .Width = 620, .Height = 500});
        Platform::TextViewSpec spec{
            .Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true},
            .Background = {0, 0, 0},
            .Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 255, 0}}};
        auto& view = Win32Probe::Rows(window->AddRowView(spec, source, text));
        view.ShowRows();
        window->Show();
        probe.ProcessEvents();
        return view;
    }

    Win32Probe probe;
    HexRows source;
    LineList text;
    std::unique_ptr<Platform::Window> window;  // last: its views refer to the others
};

// An edit on the second line leaves the others exactly where and as they were drawn: the header
// above the view keeps lining up with the text.
TEST_F(Win32RowViewTest, PaintsLikeTheEditViewItTurnsInto) {
    Win32::RowView& view = AddView(40);
    const int line = view.LineHeight(), top = view.Origin().y, width = 560;
    probe.PressKey(view, {.VirtualKey = VK_DOWN});
    const std::vector<COLORREF> before = Picture(view.Handle(), width, top + 10 * line);
    probe.TypeText(view, "X");
    ASSERT_TRUE(view.Edited());
    HWND edit = view.Text().Handle();
    SendMessageW(edit, EM_SETSEL, 0, 0);  // no selection, as in the rows
    const std::vector<COLORREF> after = Picture(edit, width, top + 10 * line);
    int differing = 0, lit = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        const int y = static_cast<int>(i) / width;
        if (y >= top + line && y < top + 2 * line) continue;  // the edited line
        differing += before[i] != after[i];
        lit += after[i] == RGB(0, 255, 0);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lit, 100);  // the text is really drawn in its colour
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

    // A press puts the caret at the nearest boundary between characters; Shift+press selects.
    SendMessageW(rows, WM_VSCROLL, SB_TOP, 0);
    HDC dc = GetDC(rows);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(rows, WM_GETFONT, 0, 0)));
    SIZE character{};
    GetTextExtentPoint32W(dc, L"0", 1, &character);
    SelectObject(dc, previous);
    ReleaseDC(rows, dc);
    auto press = [&](double column, int row, WPARAM keys) {
        const POINT at{view.Origin().x + static_cast<int>(column * character.cx),
                       view.Origin().y + row * view.LineHeight() + view.LineHeight() / 2};
        SendMessageW(rows, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(at.x, at.y));
        SendMessageW(rows, WM_LBUTTONUP, keys, MAKELPARAM(at.x, at.y));
    };
    press(4.4, 1, 0);
    press(2.6, 2, MK_SHIFT);
    EXPECT_EQ(view.Cursor().Anchor(), (RowPoint{1, 4}));
    EXPECT_EQ(view.Cursor().Caret(), (RowPoint{2, 3}));
}

TEST_F(Win32RowViewTest, DeleteHandsOverToTheText) {
    Win32::RowView& view = AddView(3);
    probe.PressKey(view, {.VirtualKey = VK_DELETE});
    EXPECT_EQ(text.Text().substr(0, 10), "0000000 | ");
}

}  // namespace
