// What the Win32 backend adds to the contract: the client area under the menu, the error
// boundary, fonts, the EDIT view's limit and pastes, restoring, and the modal dialogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "Cp1251.h"
#include "LineList.h"
#include "Win32Probe.h"

namespace {

using Platform::MenuItem;

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return CharUpperW(name);
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

// The metrics and the face of a font as the system realised it.
TEXTMETRICW Realised(HFONT font, std::wstring& face) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
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
    GetObjectW(FontOf(control), sizeof asked, &asked);
    if (normalWeight) asked.lfWeight = FW_NORMAL;
    HFONT font = CreateFontIndirectW(&asked);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateBitmap(400, 32, 1, 32, nullptr);
    HGDIOBJ previousCanvas = SelectObject(dc, canvas), previousFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    const std::wstring text = L"Скрипт: ещё не загружен";
    TextOutW(dc, 2, 2, text.c_str(), static_cast<int>(text.size()));
    long ink = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 400; ++x) ink += GetRValue(GetPixel(dc, x, y));
    SelectObject(dc, previousFont);
    SelectObject(dc, previousCanvas);
    DeleteObject(font);
    DeleteObject(canvas);
    DeleteDC(dc);
    return ink;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
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
        HWND dialog = GetActiveWindow();
        if (current && ClassOf(dialog) == L"#32770") std::exchange(current, nullptr)(dialog);
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
    std::unique_ptr<Platform::Window> ToolWindow() {
        return platform.NewWindow(
            {.Caption = "tool", .Left = 100, .Top = 119, .Width = 620, .Height = 500});
    }
    // A view of `lines` filling the window, in the program's face.
    Platform::TextView& AddView(Platform::Window& window) {
        return window.AddTextView(
            {.Where = {.FillClient = true},
             .Background = {166, 202, 240},
             .Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 0, 128}},
             .Bars = Platform::ScrollBars::Both},
            lines);
    }

    Win32Probe probe;
    Win32::Win32Platform& platform = probe.platform();
    LineList lines;
};

TEST_F(Win32WindowTest, MenuBarKeepsTheClientAreaShowsShortcutsAndGuardsCommands) {
    auto main = MainWindow();
    int ran = 0, guarded = 0;
    platform.SetErrorHandler([&](const std::function<void()>& action) {
        ++guarded;
        action();
        return true;
    });
    main->SetMenu({MenuItem{"Run", 0, [&] { ++ran; }, {}},
                   MenuItem{"File", 0, nullptr, {MenuItem{"Open", 8306, {}, {}}}}});
    HWND window = Win32Probe::Handle(*main);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 792);
    EXPECT_EQ(client.bottom, 67);
    // A drop-down item shows its shortcut after a tab.
    wchar_t text[64] = {};
    GetMenuStringW(GetSubMenu(GetMenu(window), 1), 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"Open\tShift+F3");
    // A command runs inside the program's error handler: nothing escapes through the system's
    // frames.
    SendMessageW(window, WM_COMMAND, GetMenuItemID(GetMenu(window), 0), 0);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(guarded, 1);
}

TEST_F(Win32WindowTest, FontsHaveCyrillicAndABoldDrawnBold) {
    auto tool = ToolWindow();
    HWND edit = Win32Probe::Edit(AddView(*tool)).Handle();
    HWND panel = dynamic_cast<Win32::Panel&>(
                     tool->AddPanel({.Where = {.Width = 792, .Height = 33},
                                     .Background = {0, 0, 0},
                                     .Font = {"System", 16, true, {0, 255, 0}},
                                     .Text = Cp1251::FromUtf8("Скрипт: ещё не загружен")}))
                     .Handle();
    std::wstring face;
    TEXTMETRICW font = Realised(FontOf(edit), face);
    EXPECT_EQ(font.tmHeight - font.tmInternalLeading, 16) << "face " << Win32::Narrow(face);
    EXPECT_EQ(font.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // the bit is set for variable pitch
    // "Courier" and "System" lack Cyrillic on many installations; the stand-ins must have it, and
    // a bold that is drawn bold (Wine's Tahoma draws it as its regular).
    for (HWND control : {edit, panel}) {
        font = Realised(FontOf(control), face);
        EXPECT_EQ(font.tmCharSet, RUSSIAN_CHARSET) << Win32::Narrow(face);
        EXPECT_GE(font.tmWeight, FW_BOLD) << Win32::Narrow(face);
        EXPECT_GT(Ink(control, false), Ink(control, true) * 5 / 4) << Win32::Narrow(face);
    }
}

TEST_F(Win32WindowTest, EditViewTakesLongTextsAndNormalisesPastes) {
    auto tool = ToolWindow();
    Platform::TextView& view = AddView(*tool);
    tool->Show();
    // Far past the control's default limit of 30,000 characters.
    {
        LineList::Batch batch(lines);
        for (int row = 0; row < 20000; ++row) lines.Add("R" + std::to_string(row) + ": 0000FFFF");
    }
    EXPECT_EQ(probe.DisplayedText(view), lines.Text());

    // A paste may bring lone LF or CR; the list still reads separate lines.
    HWND edit = Win32Probe::Edit(view).Handle();
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"a\nb\rc"));
    probe.ProcessEvents();
    EXPECT_EQ(lines.Text().substr(0, 19), "a\r\nb\r\ncR0: 0000FFFF");
}

TEST_F(Win32WindowTest, ShowRestoresAMinimisedWindowAndFocusesItsView) {
    auto main = MainWindow();
    auto tool = ToolWindow();
    Platform::TextView& view = AddView(*tool);
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
    EXPECT_EQ(GetFocus(), Win32Probe::Edit(view).Handle());
    // The tab character that Ctrl+I types goes nowhere.
    probe.TypeText(view, "\t");
    EXPECT_EQ(lines.Text(), "");
}

TEST_F(Win32WindowTest, MessageBoxAndFileDialogAreModalOverEveryWindow) {
    auto main = MainWindow();
    auto tool = ToolWindow();
    main->Show();
    tool->Show();
    probe.ProcessEvents();
    int enabledInBox = -1;
    DialogAnswer ok([&](HWND box) {
        enabledInBox =
            IsWindowEnabled(Win32Probe::Handle(*main)) + IsWindowEnabled(Win32Probe::Handle(*tool));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    platform.ShowMessage("Vantrel", Cp1251::FromUtf8("Файл не найден."));
    EXPECT_EQ(enabledInBox, 0);
    EXPECT_TRUE(IsWindowEnabled(Win32Probe::Handle(*main)));

    // The dialog offers the last path and returns a typed name of a missing file, also one that
    // the interface's code page cannot spell.
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::filesystem::path typed = folder / u8"нет-такого-日本.bin";
    std::wstring shown;
    DialogAnswer choose([&](HWND dialog) {
        std::vector<HWND> children;
        EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&children));
        HWND name = *std::ranges::find_if(children, [](HWND c) { return ClassOf(c) == L"EDIT"; });
        wchar_t text[MAX_PATH] = {};
        GetWindowTextW(name, text, MAX_PATH);
        shown = text;
        SetWindowTextW(name, typed.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(platform.OpenFileDialog(folder / "vantrel-offered.bin"), typed);
    EXPECT_NE(shown.find(L"vantrel-offered.bin"), std::wstring::npos) << Win32::Narrow(shown);
}

}  // namespace
