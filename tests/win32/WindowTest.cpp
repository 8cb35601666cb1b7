// What the Win32 backend adds to the contract: the frames, menus, controls and modal dialogs as
// Windows shows them.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <stdexcept>

#include "Cp1251.h"
#include "LineList.h"
#include "Win32Probe.h"

namespace {

using Platform::MenuItem;

std::string Bytes(const char* utf8) {
    return Cp1251::FromUtf8(utf8);
}

MenuItem Item(const char* utf8Caption, uint16_t shortcut, std::function<void()> command) {
    return MenuItem{Bytes(utf8Caption), shortcut, std::move(command), {}};
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

std::wstring TextOf(HWND window) {
    wchar_t text[MAX_PATH] = {};
    GetWindowTextW(window, text, MAX_PATH);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return CharUpperW(name);
}

RECT ClientOf(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    return area;
}

// A child's rectangle in its parent's client coordinates.
RECT PlaceOf(HWND child) {
    RECT area{};
    GetWindowRect(child, &area);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&area), 2);
    return area;
}

bool HasStyle(HWND window, DWORD style) {
    return (static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & style) == style;
}

// The font a control draws with, as the system realised it: its metrics and its face.
TEXTMETRICW RealisedFont(HWND control, std::wstring& face) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    wchar_t name[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, name);
    face = name;
    SelectObject(dc, previous);
    DeleteDC(dc);
    return metrics;
}

// The light that a line of text in the control's font, or in the same font at normal weight,
// puts on black: a face with a bold style of its own draws bold markedly heavier.
long Ink(HWND control, bool normalWeight) {
    LOGFONTW asked{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof asked,
               &asked);
    if (normalWeight) asked.lfWeight = FW_NORMAL;
    constexpr int Width = 400, Height = 32;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = Width;
    format.bmiHeader.biHeight = -Height;  // top-down rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    void* pixels = nullptr;
    HBITMAP canvas = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HFONT font = CreateFontIndirectW(&asked);
    HGDIOBJ previousCanvas = SelectObject(dc, canvas), previousFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    const std::wstring text = L"Скрипт: ещё не загружен";
    TextOutW(dc, 2, 2, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    long ink = 0;
    for (int i = 0; i < Width * Height; ++i) ink += static_cast<const uint32_t*>(pixels)[i] & 0xFF;
    SelectObject(dc, previousFont);
    SelectObject(dc, previousCanvas);
    DeleteObject(font);
    DeleteObject(canvas);
    DeleteDC(dc);
    return ink;
}

// What the control's window answers to a WM_CTLCOLOR... message: the text colour, the background
// colour, and the colour of the brush that fills the rest.
std::array<COLORREF, 3> Drawn(HWND control, UINT message) {
    HDC dc = CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(control), message,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    LOGBRUSH fill{0, CLR_INVALID, 0};
    GetObjectW(brush, sizeof fill, &fill);
    std::array<COLORREF, 3> colours{GetTextColor(dc), GetBkColor(dc), fill.lbColor};
    DeleteDC(dc);
    return colours;
}

// How wide the text is in the control's font.
int TextWidth(HWND control, const std::wstring& text) {
    HDC dc = GetDC(control);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return size.cx;
}

// Dump rows as wide as they come.
class WidestRows : public Platform::RowSource {
  public:
    uint64_t RowCount() const override { return 100; }
    std::string Row(uint64_t) const override {
        std::string row = "FFFFFFFF | ";
        for (int i = 0; i < 16; ++i) row += "FF ";
        return row;
    }
};

BOOL CALLBACK Collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Answers the next modal dialog of this thread from inside its own message loop.
class DialogAnswer {
  public:
    explicit DialogAnswer(std::function<void(HWND)> answer)
        : timer_(SetTimer(nullptr, 0, 20, Tick)) {
        current = std::move(answer);
    }
    ~DialogAnswer() {
        KillTimer(nullptr, timer_);
        current = nullptr;
    }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        std::vector<HWND> windows;
        EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows));
        for (HWND window : windows) {
            if (!current || ClassOf(window) != L"#32770" || !IsWindowVisible(window)) continue;
            auto answer = std::move(current);
            current = nullptr;
            answer(window);
        }
    }

    static inline std::function<void(HWND)> current;
    UINT_PTR timer_;
};

class Win32WindowTest : public ::testing::Test {
  protected:
    std::unique_ptr<Platform::Window> MainWindow() {
        return platform.NewWindow({.Caption = "Vantrel",
                                   .Width = 792,
                                   .Height = 67,
                                   .ClientSize = true,
                                   .Frame = Platform::Border::Fixed,
                                   .SystemMenu = true});
    }
    std::unique_ptr<Platform::Window> ToolWindow(const char* utf8Caption) {
        return platform.NewWindow(
            {.Caption = Bytes(utf8Caption), .Left = 100, .Top = 119, .Width = 620, .Height = 500});
    }
    static Platform::TextViewSpec ViewSpec(Platform::ScrollBars bars) {
        return {.Where = {.FillClient = true},
                .Background = {166, 202, 240},
                .Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 0, 128}},
                .Bars = bars};
    }

    Win32Probe probe;
    Win32::Win32Platform& platform = probe.platform();
};

TEST_F(Win32WindowTest, FramesAndTheMenuBar) {
    auto main = MainWindow();
    auto tool = ToolWindow("Скрипт");
    int opened = 0, ran = 0;
    std::vector<std::string> boxes;
    platform.SetErrorHandler([&](const std::function<void()>& action) {
        try {
            action();
            return true;
        } catch (const std::exception& error) {
            boxes.push_back(error.what());
            return false;
        }
    });
    main->SetMenu({MenuItem{Bytes("&Файл"),
                            0,
                            nullptr,
                            {Item("&Открыть скрипт...", 8306, [&] { ++opened; }),
                             Item("&Выход", 0, nullptr)}},
                   Item("&Выполнение F9", 120, [&] { ++ran; }),
                   Item("&Сбой", 0, [] { throw std::runtime_error("Broken"); })});

    // The client area below the menu bar is exact; the frame is fixed, without min/max buttons.
    HWND window = Win32Probe::Handle(*main);
    EXPECT_EQ(ClientOf(window).right, 792);
    EXPECT_EQ(ClientOf(window).bottom, 67);
    EXPECT_TRUE(HasStyle(window, WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              0);
    // Tool windows are sizeable, without caption buttons; only the main one is in the task bar.
    HWND toolWindow = Win32Probe::Handle(*tool);
    RECT outer{};
    GetWindowRect(toolWindow, &outer);
    EXPECT_EQ(outer.right - outer.left, 620);
    EXPECT_EQ(outer.bottom - outer.top, 500);
    EXPECT_EQ(tool->Left(), 100);
    EXPECT_EQ(tool->Top(), 119);
    EXPECT_TRUE(HasStyle(toolWindow, WS_CAPTION | WS_THICKFRAME));
    EXPECT_FALSE(HasStyle(toolWindow, WS_SYSMENU));
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_NE(GetWindow(toolWindow, GW_OWNER), nullptr);

    // Shortcuts are shown after a tab on drop-down items only.
    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(MenuText(bar, 1), L"&Выполнение F9");
    HMENU file = GetSubMenu(bar, 0);
    EXPECT_EQ(MenuText(file, 0), L"&Открыть скрипт...\tShift+F3");
    EXPECT_EQ(MenuText(file, 1), L"&Выход");
    SendMessageW(window, WM_COMMAND, GetMenuItemID(file, 0), 0);
    SendMessageW(window, WM_COMMAND, GetMenuItemID(bar, 1), 0);
    SendMessageW(window, WM_COMMAND, GetMenuItemID(file, 1), 0);  // no command: nothing happens
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(ran, 1);
    // A command runs inside the error handler, not carried through the system's frames.
    SendMessageW(window, WM_COMMAND, GetMenuItemID(bar, 2), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Broken"});
}

TEST_F(Win32WindowTest, ControlsKeepTheirLimitsColoursFontsAndPlaces) {
    // Laid out as the firmware window, a header label over a dump view that follows the bottom
    // edge, with a wide view and a status panel besides.
    auto tool = ToolWindow("Бинарный файл");
    tool->SetMenu({Item("Открыть HEX-файл", 0, [] {})});
    HWND label = dynamic_cast<Win32::Label&>(
                     tool->AddLabel({.Where = {.Left = 1, .Top = 0, .Width = 611, .Height = 25},
                                     .Background = {0, 0, 0},
                                     .Font = {"Courier", 16, true, {255, 255, 0}}}))
                     .Handle();
    LineList dump, listing;
    Platform::TextViewSpec dumpSpec = ViewSpec(Platform::ScrollBars::Vertical);
    dumpSpec.Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
    WidestRows rows;
    Win32::RowView& dumpView = Win32Probe::Rows(tool->AddRowView(dumpSpec, rows, dump));
    HWND narrow = dumpView.Handle(), turned = dumpView.Text().Handle();
    HWND edit =
        Win32Probe::Edit(tool->AddTextView(ViewSpec(Platform::ScrollBars::Both), listing)).Handle();
    HWND panel =
        dynamic_cast<Win32::Panel&>(tool->AddPanel({.Where = {.Width = 792, .Height = 33},
                                                    .Background = {0, 0, 0},
                                                    .Font = {"System", 16, true, {0, 255, 0}},
                                                    .Text = Bytes("Скрипт: ещё не загружен")}))
            .Handle();

    EXPECT_TRUE(HasStyle(edit, ES_MULTILINE | WS_VSCROLL | WS_HSCROLL));
    EXPECT_FALSE(HasStyle(narrow, WS_HSCROLL));
    EXPECT_EQ(static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0)),
              Win32::EditView::Capacity);
    EXPECT_EQ(listing.Capacity(), Win32::EditView::Capacity);
    EXPECT_EQ(TextOf(panel), L"Скрипт: ещё не загружен");

    std::wstring face;
    TEXTMETRICW font = RealisedFont(edit, face);
    EXPECT_EQ(font.tmHeight - font.tmInternalLeading, 16) << "face " << Win32::Narrow(face);
    EXPECT_EQ(font.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // the bit is set for variable pitch
    // "Courier" and "System" lack Cyrillic on many installations; the stand-ins must have it.
    for (HWND control : {edit, label, panel}) {
        font = RealisedFont(control, face);
        EXPECT_EQ(font.tmCharSet, RUSSIAN_CHARSET) << Win32::Narrow(face);
        EXPECT_GE(font.tmWeight, FW_BOLD) << Win32::Narrow(face);
    }
    // ... and a bold that is drawn bold (Wine's Tahoma draws it as its regular).
    RealisedFont(panel, face);
    EXPECT_GT(Ink(panel, false), Ink(panel, true) * 5 / 4) << Win32::Narrow(face);
    const COLORREF blue = RGB(166, 202, 240), black = RGB(0, 0, 0);
    EXPECT_EQ(Drawn(edit, WM_CTLCOLOREDIT), (std::array{RGB(0, 0, 128), blue, blue}));
    EXPECT_EQ(Drawn(label, WM_CTLCOLORSTATIC), (std::array{RGB(255, 255, 0), black, black}));

    // No column of the dump or of its header is cut off at the right edge.
    const std::wstring row = Win32::Wide(rows.Row(0));
    ASSERT_EQ(row.size(), 59u);
    EXPECT_LE(dumpView.Origin().x + TextWidth(narrow, row), ClientOf(narrow).right);
    EXPECT_LE(TextWidth(label, row), ClientOf(label).right);

    // The dump view keeps its width, and its bottom edge follows the window's, as does the text
    // view the first edit turns it into.
    tool->Show();
    probe.ProcessEvents();
    HWND window = Win32Probe::Handle(*tool);
    const uint32_t page = dumpView.Cursor().PageLines();
    RECT before = PlaceOf(narrow);
    EXPECT_EQ(before.top, 25);
    EXPECT_EQ(before.right - before.left, 613);
    EXPECT_LE(before.bottom, ClientOf(window).bottom);  // never cut off at the bottom
    RECT outer{};
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + 50,
                 outer.bottom - outer.top + 100, SWP_NOMOVE | SWP_NOZORDER);
    probe.ProcessEvents();
    RECT after = PlaceOf(narrow);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 100);
    EXPECT_EQ(after.right - after.left, 613);
    RECT text = PlaceOf(turned);
    EXPECT_TRUE(EqualRect(&text, &after));
    EXPECT_EQ(dumpView.Cursor().PageLines(), page + 100 / dumpView.LineHeight());
}

TEST_F(Win32WindowTest, EditViewTakesTheCaretTypingBatchesAndPastes) {
    auto tool = ToolWindow("Скрипт");
    LineList lines;
    Platform::TextView& view = tool->AddTextView(ViewSpec(Platform::ScrollBars::Both), lines);
    HWND edit = Win32Probe::Edit(view).Handle();

    // The caret goes to a line while the text is still on its way and the window is hidden.
    lines.SetText("SET2E 01 0010\r\nBAD\r\nINV2 01");
    view.SetCaretLine(1);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 15u);
    EXPECT_EQ(end, 15u);
    EXPECT_FALSE(tool->Visible());

    tool->Show();
    probe.TypeText(view, Bytes("\r\nЖЁ ж\r\n"));
    EXPECT_EQ(lines.Get(3), Bytes("ЖЁ ж"));

    // A run appends line by line; the control takes them as one update, far past its default
    // limit of 30,000 characters, and every byte of the code page comes back unchanged.
    const int before = GetWindowTextLengthW(edit);
    std::string every;
    for (int byte = 0x20; byte <= 0xFF; ++byte) every += static_cast<char>(byte);
    for (int row = 0; row < 20000; ++row) lines.Add("R" + std::to_string(row) + ": 0000FFFF");
    lines.Add(every);
    EXPECT_EQ(GetWindowTextLengthW(edit), before);
    probe.ProcessEvents();
    EXPECT_EQ(probe.DisplayedText(view), lines.Text());

    // A paste may bring lone LF or CR; the list still reads separate lines.
    const int32_t count = lines.Count();
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"a\nb\rc"));
    probe.ProcessEvents();
    ASSERT_EQ(lines.Count(), count + 3);
    EXPECT_EQ(lines.Get(count - 1), every);
    EXPECT_EQ(lines.Get(count), "a");
    EXPECT_EQ(lines.Get(count + 1), "b");
    EXPECT_EQ(lines.Get(count + 2), "c");
}

TEST_F(Win32WindowTest, ShowRestoresAMinimisedWindow) {
    auto main = MainWindow();
    auto tool = ToolWindow("Листинг");
    main->Show();
    tool->Show();
    HWND window = Win32Probe::Handle(*tool);
    ShowWindow(window, SW_MINIMIZE);
    main->Show();
    probe.ProcessEvents();
    ASSERT_TRUE(IsIconic(window));
    tool->Show();
    probe.ProcessEvents();
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(GetActiveWindow(), window);
}

TEST_F(Win32WindowTest, TabMovesTheFocusAndTypesNoTab) {
    auto tool = ToolWindow("Скрипт");
    LineList left, right;
    Platform::TextViewSpec spec = ViewSpec(Platform::ScrollBars::Vertical);
    spec.Where = {.Width = 300, .Height = 400};
    HWND first = Win32Probe::Edit(tool->AddTextView(spec, left)).Handle();
    spec.Where.Left = 300;
    HWND second = Win32Probe::Edit(tool->AddTextView(spec, right)).Handle();
    tool->Show();
    probe.ProcessEvents();

    // The key goes from the first view to the second; the tab character that Ctrl+I types goes
    // nowhere.
    probe.PressKey(*tool, {.VirtualKey = VK_TAB});
    EXPECT_EQ(GetFocus(), second);
    PostMessageW(first, WM_CHAR, L'\t', 1);
    probe.ProcessEvents();
    EXPECT_EQ(GetWindowTextLengthW(first) + GetWindowTextLengthW(second), 0);
}

TEST_F(Win32WindowTest, MessageBoxAndFileDialogAreModalOverEveryWindow) {
    auto main = MainWindow();
    auto tool = ToolWindow("Скрипт");
    main->Show();
    tool->Show();
    probe.ProcessEvents();
    auto enabled = [&] {
        return IsWindowEnabled(Win32Probe::Handle(*main)) +
               IsWindowEnabled(Win32Probe::Handle(*tool));
    };

    std::wstring caption, texts;
    int enabledInBox = -1;
    DialogAnswer ok([&](HWND box) {
        caption = TextOf(box);
        for (HWND child : Children(box)) texts += TextOf(child) + L"|";
        enabledInBox = enabled();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    platform.ShowMessage("Vantrel", Bytes("Файл не найден."));
    EXPECT_EQ(caption, L"Vantrel");
    EXPECT_NE(texts.find(L"Файл не найден."), std::wstring::npos) << Win32::Narrow(texts);
    EXPECT_EQ(enabledInBox, 0);
    EXPECT_EQ(enabled(), 2);

    // The dialog offers the last path and returns a typed name of a missing file.
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    // A name the interface's code page cannot spell comes back as it is.
    const std::filesystem::path typed = std::filesystem::path(folder) / u8"нет-такого-日本.bin";
    std::wstring shown;
    int enabledInDialog = -1;
    DialogAnswer choose([&](HWND dialog) {
        for (HWND child : Children(dialog)) {
            if (ClassOf(child) != L"EDIT") continue;
            shown = TextOf(child);
            SetWindowTextW(child, typed.c_str());
            break;
        }
        enabledInDialog = enabled();
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(platform.OpenFileDialog(std::filesystem::path(folder) / "vantrel-offered.bin"),
              typed);
    EXPECT_NE(shown.find(L"vantrel-offered.bin"), std::wstring::npos) << Win32::Narrow(shown);
    EXPECT_EQ(enabledInDialog, 0);
    DialogAnswer cancel([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(platform.OpenFileDialog(typed), std::nullopt);
    EXPECT_EQ(enabled(), 2);
}

}  // namespace
