// What the Win32 backend adds to the contract: the client area under the menu, the error
// boundary, fonts, the EDIT view's limit and pastes, restoring, and the modal dialogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

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

// How the system realises a font: its metrics and face, and the light that a line of text in it
// puts on black.
struct Realised {
    TEXTMETRICW metrics{};
    std::string face;
    long ink = 0;
};

Realised Realise(const LOGFONTW& asked) {
    HFONT font = CreateFontIndirectW(&asked);
    Realised realised;
    const std::vector<COLORREF> pixels = Win32Probe::Canvas(400, 32, [&](HDC dc) {
        HGDIOBJ previous = SelectObject(dc, font);
        GetTextMetricsW(dc, &realised.metrics);
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        realised.face = Win32::Narrow(face);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        const std::wstring text = L"Скрипт: ещё не загружен";
        TextOutW(dc, 2, 2, text.c_str(), static_cast<int>(text.size()));
        SelectObject(dc, previous);
    });
    DeleteObject(font);
    for (COLORREF pixel : pixels) realised.ink += GetRValue(pixel);
    return realised;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The program's main window, a tool window, and a view of `lines` filling the tool window in the
// program's face.
class Win32WindowTest : public ::testing::Test {
  protected:
    Win32Probe probe;
    Win32::Win32Platform& platform = probe.platform();
    LineList lines;
    std::unique_ptr<Platform::Window> main =
        platform.NewWindow({.Caption = "Vantrel", .Width = 792, .Height = 67, .ClientSize = true});
    std::unique_ptr<Platform::Window> tool = platform.NewWindow(
        {.Caption = "tool", .Left = 100, .Top = 119, .Width = 620, .Height = 500});
    Platform::TextView& view = tool->AddTextView(
        {.Where = {.FillClient = true},
         .Background = {166, 202, 240},
         .Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 0, 128}},
         .Bars = Platform::ScrollBars::Both},
        lines);
    HWND mainWindow = Win32Probe::Handle(*main), toolWindow = Win32Probe::Handle(*tool);
    HWND edit = Win32Probe::Handle(view);
};

TEST_F(Win32WindowTest, MenuBarKeepsTheClientAreaShowsShortcutsAndGuardsCommands) {
    int ran = 0, guarded = 0;
    platform.SetErrorHandler([&](const std::function<void()>& action) {
        ++guarded;
        action();
        return true;
    });
    main->SetMenu({MenuItem{"Run", 0, [&] { ++ran; }, {}},
                   MenuItem{"File", 0, nullptr, {MenuItem{"Open", 8306, {}, {}}}}});
    RECT client{};
    GetClientRect(mainWindow, &client);
    EXPECT_EQ(client.right, 792);
    EXPECT_EQ(client.bottom, 67);
    // A drop-down item shows its shortcut after a tab.
    wchar_t text[64] = {};
    GetMenuStringW(GetSubMenu(GetMenu(mainWindow), 1), 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"Open\tShift+F3");
    // A command runs inside the program's error handler: nothing escapes through the system's
    // frames.
    SendMessageW(mainWindow, WM_COMMAND, GetMenuItemID(GetMenu(mainWindow), 0), 0);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(guarded, 1);
}

TEST_F(Win32WindowTest, FontsHaveCyrillicAndABoldDrawnBold) {
    const Platform::PanelSpec status{.Where = {.Width = 792, .Height = 33},
                                     .Background = {0, 0, 0},
                                     .Font = {"System", 16, true, {0, 255, 0}},
                                     .Text = ""};
    HWND panel = dynamic_cast<Win32::Panel&>(tool->AddPanel(status)).Handle();
    // "Courier" and "System" lack Cyrillic on many installations; the stand-ins must have it, and
    // a bold that is drawn bold (Wine's Tahoma draws it as its regular).
    for (HWND control : {edit, panel}) {
        LOGFONTW asked{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof asked,
                   &asked);
        const Realised font = Realise(asked);
        asked.lfWeight = FW_NORMAL;
        SCOPED_TRACE(font.face);
        EXPECT_EQ(font.metrics.tmCharSet, RUSSIAN_CHARSET);
        EXPECT_GE(font.metrics.tmWeight, FW_BOLD);
        EXPECT_GT(font.ink, Realise(asked).ink * 5 / 4);
        if (control == edit) {
            EXPECT_EQ(font.metrics.tmHeight - font.metrics.tmInternalLeading, 16);
            EXPECT_EQ(font.metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // set: variable
        }
    }
}

TEST_F(Win32WindowTest, EditViewTakesLongTextsAndNormalisesPastes) {
    tool->Show();
    // Far past the control's default limit of 30,000 characters.
    {
        LineList::Batch batch(lines);
        for (int row = 0; row < 20000; ++row) lines.Add("R" + std::to_string(row) + ": 0000FFFF");
    }
    EXPECT_EQ(probe.DisplayedText(view), lines.Text());

    // A paste may bring lone LF or CR; the list still reads separate lines.
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"a\nb\rc"));
    probe.ProcessEvents();
    EXPECT_EQ(lines.Text().substr(0, 19), "a\r\nb\r\ncR0: 0000FFFF");
}

TEST_F(Win32WindowTest, ShowRestoresAMinimisedWindowAndFocusesItsView) {
    main->Show();
    tool->Show();
    ShowWindow(toolWindow, SW_MINIMIZE);
    main->Show();
    probe.ProcessEvents();
    ASSERT_TRUE(IsIconic(toolWindow));
    tool->Show();
    probe.ProcessEvents();
    EXPECT_FALSE(IsIconic(toolWindow));
    EXPECT_EQ(GetActiveWindow(), toolWindow);
    EXPECT_EQ(GetFocus(), edit);
    // The tab character that Ctrl+I types goes nowhere.
    probe.TypeText(view, "\t");
    EXPECT_EQ(lines.Text(), "");
}

TEST_F(Win32WindowTest, MessageBoxFileDialogAndPromptAreModalOverEveryWindow) {
    main->Show();
    tool->Show();
    probe.ProcessEvents();
    int enabledInBox = -1;
    Win32Probe::WhenShown(L"#32770", [&](HWND box) {
        enabledInBox = IsWindowEnabled(mainWindow) + IsWindowEnabled(toolWindow);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    platform.ShowMessage("Vantrel", Cp1251::FromUtf8("Файл не найден."));
    EXPECT_EQ(enabledInBox, 0);
    EXPECT_TRUE(IsWindowEnabled(mainWindow));

    // The dialog offers the last path and returns a typed name of a missing file, also one that
    // the interface's code page cannot spell.
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::filesystem::path typed = folder / u8"нет-такого-日本.bin";
    std::string shown;
    Win32Probe::WhenShown(L"#32770", [&](HWND dialog) {
        std::vector<HWND> children;
        EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&children));
        HWND name = *std::ranges::find_if(children, [](HWND c) { return ClassOf(c) == L"EDIT"; });
        shown = Win32::WindowText(name);
        SetWindowTextW(name, typed.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(platform.OpenFileDialog(folder / "vantrel-offered.bin"), typed);
    EXPECT_NE(shown.find("vantrel-offered.bin"), std::string::npos) << shown;

    // The prompt: its caption, the field with the offered text, the buttons in the interface's
    // language on every locale.
    std::vector<std::wstring> texts;
    Win32Probe::WhenShown(L"#32770", [&](HWND dialog) {
        enabledInBox = IsWindowEnabled(mainWindow) + IsWindowEnabled(toolWindow);
        std::vector<HWND> windows{dialog};
        EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&windows));
        for (HWND window : windows) {
            wchar_t text[64] = {};
            GetWindowTextW(window, text, 64);
            texts.push_back(ClassOf(window) + L":" + text);
        }
        PostMessageW(windows[1], WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_EQ(platform.Prompt(Cp1251::FromUtf8("Перейти к адресу"), "1234h"), std::nullopt);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"#32770:Перейти к адресу", L"EDIT:1234h",
                                                L"BUTTON:OK", L"BUTTON:Отмена"}));
    EXPECT_EQ(enabledInBox, 0);
}

}  // namespace
