// What the Win32 backend adds to the contract: the client area under the menu, the error
// boundary, fonts, the EDIT view's limit and pastes, Tab, restoring, and the modal dialogs.
#include <gtest/gtest.h>

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

TEST_F(Win32WindowTest, MenuBarKeepsTheClientAreaNamesShortcutsAndShowsErrors) {
    auto main = MainWindow();
    int ran = 0;
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
    main->SetMenu({Item("&Выполнение F9", 120, [&] { ++ran; }),
                   Item("&Сбой", 0, [] { throw std::runtime_error("Broken"); }),
                   MenuItem{Bytes("&Файл"), 0, nullptr, {Item("&Открыть скрипт...", 8306, {})}}});

    // The client area below the menu bar is exact.
    HWND window = Win32Probe::Handle(*main);
    EXPECT_EQ(ClientOf(window).right, 792);
    EXPECT_EQ(ClientOf(window).bottom, 67);
    SendMessageW(window, WM_COMMAND, GetMenuItemID(GetMenu(window), 0), 0);
    EXPECT_EQ(ran, 1);
    // Only drop-down items show their shortcut, after a tab.
    wchar_t text[64] = {};
    GetMenuStringW(GetMenu(window), 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"&Выполнение F9");
    GetMenuStringW(GetSubMenu(GetMenu(window), 2), 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"&Открыть скрипт...\tShift+F3");
    // An error that escapes a command goes to the program's handler, not through the system's
    // frames.
    SendMessageW(window, WM_COMMAND, GetMenuItemID(GetMenu(window), 1), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Broken"});
}

TEST_F(Win32WindowTest, FontsHaveCyrillicAndABoldDrawnBold) {
    auto tool = ToolWindow("Бинарный файл");
    HWND label =
        dynamic_cast<Win32::Label&>(tool->AddLabel({.Where = {.Width = 611, .Height = 25},
                                                    .Background = {0, 0, 0},
                                                    .Font = {"Courier", 16, true, {255, 255, 0}}}))
            .Handle();
    LineList listing;
    HWND edit =
        Win32Probe::Edit(tool->AddTextView(ViewSpec(Platform::ScrollBars::Both), listing)).Handle();
    HWND panel =
        dynamic_cast<Win32::Panel&>(tool->AddPanel({.Where = {.Width = 792, .Height = 33},
                                                    .Background = {0, 0, 0},
                                                    .Font = {"System", 16, true, {0, 255, 0}},
                                                    .Text = Bytes("Скрипт: ещё не загружен")}))
            .Handle();
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
}

TEST_F(Win32WindowTest, EditViewTakesLongTextsAndPastes) {
    auto tool = ToolWindow("Скрипт");
    LineList lines;
    Platform::TextView& view = tool->AddTextView(ViewSpec(Platform::ScrollBars::Both), lines);
    HWND edit = Win32Probe::Edit(view).Handle();

    tool->Show();
    // A run appends line by line; the control takes them as one update, far past its default
    // limit of 30,000 characters, and every byte of the code page comes back unchanged.
    const int before = GetWindowTextLengthW(edit);
    std::string every;
    for (int byte = 0x20; byte <= 0xFF; ++byte) every += static_cast<char>(byte);
    {
        LineList::Batch batch(lines);
        for (int row = 0; row < 20000; ++row) lines.Add("R" + std::to_string(row) + ": 0000FFFF");
        lines.Add(every);
        EXPECT_EQ(GetWindowTextLengthW(edit), before);
    }
    probe.ProcessEvents();
    EXPECT_EQ(probe.DisplayedText(view), lines.Text());

    // A paste may bring lone LF or CR; the list still reads separate lines.
    const int32_t count = lines.Count();
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(edit));
    SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
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

    int enabledInBox = -1;
    DialogAnswer ok([&](HWND box) {
        enabledInBox = enabled();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    platform.ShowMessage("Vantrel", Bytes("Файл не найден."));
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
