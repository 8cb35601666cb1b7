// What the Win32 dump view adds to the contract: it paints like the EDIT view it turns into, the
// mouse and the scroll bar reach every row, and the edit keys of an EDIT view hand over to it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "LineList.h"
#include "Win32Probe.h"

namespace {

// Rows in the dump's shape, "00000000 | 00 01 ..." to the given count.
class HexRows : public Platform::RowSource {
  public:
    uint64_t RowCount() const override { return Count; }
    std::string Row(uint64_t row) const override {
        char text[64];
        std::snprintf(text, sizeof text, "%08llX | %02X %02X %02X ",
                      static_cast<unsigned long long>(row * 16), unsigned(row & 0xFF), 0x7F, 0x56);
        return text;
    }

    uint64_t Count = 0;
};

struct Guard {
    int Calls = 0;
    Platform::Guard Get() {
        return [this](const std::function<void()>& action) {
            ++Calls;
            action();
            return true;
        };
    }
};

// The control's client area as it paints it, pixel by pixel.
class Picture {
  public:
    explicit Picture(HWND control) {
        RECT client{};
        GetClientRect(control, &client);
        width_ = client.right;
        height_ = client.bottom;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width_, height_);
        ReleaseDC(nullptr, screen);
        previous_ = SelectObject(dc_, bitmap_);
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_),
                     PRF_CLIENT | PRF_ERASEBKGND);
    }
    ~Picture() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // How many pixels of the rectangle have the colour.
    int Count(const RECT& area, COLORREF colour) const {
        int found = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) found += At(x, y) == colour;
        return found;
    }
    int Width() const { return width_; }

  private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

int CharacterWidth(HWND control) {
    HDC dc = GetDC(control);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, L"0", 1, &size);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return size.cx;
}

void SetClipboard(const wchar_t* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

LPARAM At(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
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
        probe.platform().SetErrorHandler(guard.Get());
        auto& view = Win32Probe::Rows(window->AddRowView(spec, source, text));
        view.ShowRows();
        window->Show();
        probe.ProcessEvents();
        return view;
    }

    Win32Probe probe;
    HexRows source;
    LineList text;
    Guard guard;
    std::unique_ptr<Platform::Window> window;  // last: its views refer to the others
};

TEST_F(Win32RowViewTest, PaintsLikeTheEditViewItTurnsInto) {
    Win32::RowView& view = AddView(40);
    HWND rows = view.Handle();

    // The selection is painted in the system's highlight, only over the selected characters.
    for (int i = 0; i < 3; ++i) probe.PressKey(view, {.VirtualKey = VK_RIGHT, .Shift = true});
    const int width = CharacterWidth(rows), line = view.LineHeight();
    const POINT origin = view.Origin();
    {
        Picture picture(rows);
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        const int top = origin.y, bottom = origin.y + line;
        EXPECT_GT(picture.Count({origin.x, top, origin.x + 3 * width, bottom}, highlight),
                  3 * width * line / 2);
        EXPECT_EQ(picture.Count({origin.x + 3 * width, top, picture.Width(), bottom}, highlight),
                  0);
        EXPECT_EQ(picture.Count({0, bottom, picture.Width(), bottom + line}, highlight), 0);
    }
    probe.PressKey(view, {.VirtualKey = VK_HOME});
    probe.PressKey(view, {.VirtualKey = VK_DOWN});
    Picture before(rows);

    // An edit on the second line leaves the others exactly where and as they were drawn: the
    // header above the view keeps lining up with the text.
    probe.TypeText(view, "X");
    ASSERT_TRUE(view.Edited());
    HWND edit = view.Text().Handle();
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_FALSE(IsWindowVisible(rows));
    EXPECT_EQ(GetFocus(), edit);
    SendMessageW(edit, EM_SETSEL, 0, 0);  // no selection, as in the rows
    Picture after(edit);
    int differing = 0, lit = 0;
    for (int y = 0; y < origin.y + line; ++y)
        for (int x = 0; x < before.Width() - 20; ++x) {
            differing += before.At(x, y) != after.At(x, y);
            lit += before.At(x, y) == RGB(0, 255, 0);
        }
    for (int y = origin.y + 2 * line; y < origin.y + 10 * line; ++y)
        for (int x = 0; x < before.Width() - 20; ++x)
            differing += before.At(x, y) != after.At(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lit, 100);  // the first row is really drawn in the text colour
}

TEST_F(Win32RowViewTest, MouseAndScrollBarReachEveryRow) {
    Win32::RowView& view = AddView(1'000'000);
    HWND rows = view.Handle();
    const uint32_t page = view.Cursor().PageLines();
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    GetScrollInfo(rows, SB_VERT, &bar);
    EXPECT_EQ(bar.nMax, 1'000'000);  // the rows and the empty line after them
    EXPECT_EQ(bar.nPage, page);

    // The thumb's position is beyond the 16 bits the message carries.
    bar.fMask = SIF_POS;
    bar.nPos = 700'000;
    SetScrollInfo(rows, SB_VERT, &bar, FALSE);
    SendMessageW(rows, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 700'000 & 0xFFFF), 0);
    EXPECT_EQ(view.Cursor().Top(), 700'000u);
    EXPECT_EQ(probe.DisplayedText(view).substr(0, 8), "00AAE600");

    // A press puts the caret at the nearest boundary between characters; Shift+press selects.
    SendMessageW(rows, WM_VSCROLL, SB_TOP, 0);
    const int width = CharacterWidth(rows), line = view.LineHeight();
    const POINT origin = view.Origin();
    auto point = [&](double column, int row) {
        return At(origin.x + static_cast<int>(column * width), origin.y + row * line + line / 2);
    };
    SendMessageW(rows, WM_LBUTTONDOWN, MK_LBUTTON, point(4.4, 1));
    SendMessageW(rows, WM_LBUTTONUP, 0, point(4.4, 1));
    SendMessageW(rows, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, point(2.6, 2));
    SendMessageW(rows, WM_LBUTTONUP, MK_SHIFT, point(2.6, 2));
    EXPECT_EQ(view.Cursor().Anchor(), (RowPoint{1, 4}));
    EXPECT_EQ(view.Cursor().Caret(), (RowPoint{2, 3}));
}

TEST_F(Win32RowViewTest, EditKeysHandOverAndTabInsertsNothing) {
    Win32::RowView& view = AddView(3);
    auto press = [&](Platform::KeyPress key) {
        if (view.Edited()) view.ShowRows();
        probe.PressKey(view, key);
        return std::string(text.Text());
    };
    EXPECT_EQ(press({.VirtualKey = VK_TAB}), "");
    probe.TypeText(view, "\t");
    EXPECT_EQ(guard.Calls, 0);
    EXPECT_FALSE(view.Edited());

    SetClipboard(L"P");
    EXPECT_EQ(press({.VirtualKey = VK_INSERT, .Shift = true}).substr(0, 4), "P000");
    EXPECT_EQ(press({.VirtualKey = VK_DELETE}).substr(0, 4), "0000");
}

}  // namespace
