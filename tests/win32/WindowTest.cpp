// What the Win32 backend adds to the contract: the frames, menus, controls and modal dialogs as
// Windows shows them.
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

MenuItem DropDown(const char* utf8Caption, std::vector<MenuItem> items) {
    return MenuItem{Bytes(utf8Caption), 0, nullptr, std::move(items)};
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
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

class Win32WindowTest : public ::testing::Test {
  protected:
    std::unique_ptr<Platform::Window> MainWindow() {
        Platform::WindowSpec spec;
        spec.Caption = "Vantrel";
        spec.Width = 792;
        spec.Height = 67;
        spec.ClientSize = true;
        spec.Frame = Platform::Border::Fixed;
        spec.SystemMenu = true;
        return platform.CreateWindow(spec);
    }
    std::unique_ptr<Platform::Window> ToolWindow(const char* utf8Caption) {
        Platform::WindowSpec spec;
        spec.Caption = Bytes(utf8Caption);
        spec.Left = 100;
        spec.Top = 119;
        spec.Width = 620;
        spec.Height = 500;
        return platform.CreateWindow(spec);
    }
    static Platform::TextViewSpec ViewSpec(Platform::ScrollBars bars) {
        Platform::TextViewSpec spec;
        spec.Where.FillClient = true;
        spec.Background = {166, 202, 240};
        spec.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 0, 0}};
        spec.Bars = bars;
        return spec;
    }

    Win32Probe probe;
    Win32::Win32Platform& platform = probe.platform();
};

TEST_F(Win32WindowTest, MainWindowHasAnExactClientBelowItsMenuAndAFixedFrame) {
    auto main = MainWindow();
    HWND window = Win32Probe::Handle(*main);
    main->SetMenu({DropDown("&Файл", {Item("&Открыть скрипт...", 8306, [] {})}),
                   Item("&Выполнение F9", 120, [] {})});
    ASSERT_NE(GetMenu(window), nullptr);
    RECT client = ClientOf(window);
    EXPECT_EQ(client.right, 792);
    EXPECT_EQ(client.bottom, 67);
    EXPECT_TRUE(HasStyle(window, WS_CAPTION | WS_SYSMENU));
    EXPECT_FALSE(HasStyle(window, WS_MINIMIZEBOX));
    EXPECT_FALSE(HasStyle(window, WS_MAXIMIZEBOX));
    EXPECT_FALSE(HasStyle(window, WS_THICKFRAME));
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);  // its own entry in the task bar

    main->SetMenu({});
    EXPECT_EQ(GetMenu(window), nullptr);
    client = ClientOf(window);
    EXPECT_EQ(client.right, 792);
    EXPECT_EQ(client.bottom, 67);
}

TEST_F(Win32WindowTest, ToolWindowsAreSizeableWithoutButtonsAndIndependentOfTheMain) {
    auto main = MainWindow();
    auto tool = ToolWindow("Скрипт");
    HWND window = Win32Probe::Handle(*tool);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 620);
    EXPECT_EQ(outer.bottom - outer.top, 500);
    EXPECT_EQ(tool->Left(), 100);
    EXPECT_EQ(tool->Top(), 119);
    EXPECT_TRUE(HasStyle(window, WS_CAPTION | WS_THICKFRAME));
    EXPECT_FALSE(HasStyle(window, WS_SYSMENU));

    // Owned by a hidden window, not by the main one: either can lie above the other, and only
    // the main window has a task bar entry.
    HWND owner = GetWindow(window, GW_OWNER);
    EXPECT_NE(owner, nullptr);
    EXPECT_NE(owner, Win32Probe::Handle(*main));
    EXPECT_FALSE(IsWindowVisible(owner));
    tool->Show();
    main->Show();
    probe.ProcessEvents();
    EXPECT_TRUE(probe.IsAbove(*main, *tool));
    tool->Show();
    probe.ProcessEvents();
    EXPECT_TRUE(probe.IsAbove(*tool, *main));
}

TEST_F(Win32WindowTest, MenuShowsShortcutsOnDropDownItemsOnlyAndRunsItsCommands) {
    auto main = MainWindow();
    int opened = 0, ran = 0;
    std::vector<std::pair<std::string, std::string>> boxes;
    platform.MessageBoxShown = [&](const std::string& caption, const std::string& text) {
        boxes.emplace_back(caption, text);
    };
    main->SetMenu({DropDown("&Файл", {Item("&Открыть скрипт...", 8306, [&] { ++opened; }),
                                      Item("&Выход", 0, nullptr)}),
                   Item("&Выполнение F9", 120, [&] { ++ran; }),
                   Item("&Сбой", 0, [] { throw std::runtime_error("Broken"); })});
    HWND window = Win32Probe::Handle(*main);
    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(MenuText(bar, 0), L"&Файл");
    EXPECT_EQ(MenuText(bar, 1), L"&Выполнение F9");
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(MenuText(file, 0), L"&Открыть скрипт...\tShift+F3");
    EXPECT_EQ(MenuText(file, 1), L"&Выход");

    SendMessageW(window, WM_COMMAND, GetMenuItemID(file, 0), 0);
    SendMessageW(window, WM_COMMAND, GetMenuItemID(bar, 1), 0);
    SendMessageW(window, WM_COMMAND, GetMenuItemID(file, 1), 0);  // no command: nothing happens
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(ran, 1);

    // An error that escapes a command is shown, not carried through the system's frames.
    SendMessageW(window, WM_COMMAND, GetMenuItemID(bar, 2), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Vantrel");
    EXPECT_EQ(boxes[0].second, "Broken.");
}

TEST_F(Win32WindowTest, TextViewIsAMultiLineEditWithItsFontColoursAndCapacity) {
    auto tool = ToolWindow("Листинг");
    LineList both, vertical;
    HWND edit =
        Win32Probe::Edit(tool->AddTextView(ViewSpec(Platform::ScrollBars::Both), both)).Handle();
    HWND narrow =
        Win32Probe::Edit(tool->AddTextView(ViewSpec(Platform::ScrollBars::Vertical), vertical))
            .Handle();
    EXPECT_TRUE(HasStyle(edit, WS_HSCROLL));
    EXPECT_FALSE(HasStyle(narrow, WS_HSCROLL));

    EXPECT_EQ(static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0)),
              Win32::EditView::Capacity);
    EXPECT_EQ(both.Capacity(), Win32::EditView::Capacity);

    std::wstring face;
    TEXTMETRICW font = RealisedFont(edit, face);
    EXPECT_EQ(font.tmHeight - font.tmInternalLeading, 16) << "face " << Win32::Narrow(face);
    EXPECT_GE(font.tmWeight, FW_BOLD);
    EXPECT_EQ(font.tmCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(font.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // the bit is set for variable pitch

    HDC dc = CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(Win32Probe::Handle(*tool), WM_CTLCOLOREDIT,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(edit)));
    ASSERT_NE(brush, nullptr);
    LOGBRUSH fill{};
    GetObjectW(brush, sizeof fill, &fill);
    EXPECT_EQ(fill.lbColor, RGB(166, 202, 240));
    EXPECT_EQ(GetBkColor(dc), RGB(166, 202, 240));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    DeleteDC(dc);
}

TEST_F(Win32WindowTest, LongAndCyrillicTextsPassUnchangedBothWays) {
    auto tool = ToolWindow("Скрипт");
    LineList lines;
    Platform::TextView& view = tool->AddTextView(ViewSpec(Platform::ScrollBars::Vertical), lines);
    tool->Show();

    // Well past the control's default limit of 30,000 characters.
    std::string every;
    for (int byte = 0x20; byte <= 0xFF; ++byte) every += static_cast<char>(byte);
    for (int row = 0; row < 400; ++row) lines.Add(every);
    EXPECT_EQ(probe.DisplayedText(view), lines.Text());
    EXPECT_EQ(lines.Text().size(), 400u * (every.size() + 2));

    probe.TypeText(view, Bytes("ЖЁ ж\r\n"));
    EXPECT_EQ(lines.Count(), 401);
    EXPECT_EQ(lines.Get(400), Bytes("ЖЁ ж"));

    // A paste may bring lone LF or CR; the list still reads separate lines.
    HWND edit = Win32Probe::Edit(view).Handle();
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"a\nb\rc"));
    probe.ProcessEvents();
    EXPECT_EQ(lines.Count(), 404);
    EXPECT_EQ(lines.Get(400), Bytes("ЖЁ ж"));
    EXPECT_EQ(lines.Get(401), "a");
    EXPECT_EQ(lines.Get(402), "b");
    EXPECT_EQ(lines.Get(403), "c");
}

TEST_F(Win32WindowTest, ManyAddsReachTheControlAsOneUpdate) {
    auto tool = ToolWindow("Листинг");
    LineList lines;
    Platform::TextView& view = tool->AddTextView(ViewSpec(Platform::ScrollBars::Both), lines);
    tool->Show();
    probe.ProcessEvents();
    lines.Add("first");
    probe.ProcessEvents();

    // A run appends line by line; the control is brought up to date once the command is done.
    HWND edit = Win32Probe::Edit(view).Handle();
    for (int row = 0; row < 20000; ++row) lines.Add("R" + std::to_string(row) + ": 0000FFFF");
    EXPECT_EQ(GetWindowTextLengthW(edit), 7);
    probe.ProcessEvents();
    EXPECT_EQ(static_cast<size_t>(GetWindowTextLengthW(edit)), lines.Text().size());
    EXPECT_EQ(probe.DisplayedText(view), lines.Text());
}

TEST_F(Win32WindowTest, CaretGoesToALineWithoutShowingTheWindow) {
    auto tool = ToolWindow("Скрипт");
    LineList lines;
    Platform::TextView& view = tool->AddTextView(ViewSpec(Platform::ScrollBars::Vertical), lines);
    lines.SetText("SET2E 01 0010\r\nBAD\r\nINV2 01");
    view.SetCaretLine(1);
    DWORD start = 0, end = 0;
    SendMessageW(Win32Probe::Edit(view).Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 15u);
    EXPECT_EQ(end, 15u);
    EXPECT_FALSE(tool->Visible());
}

TEST_F(Win32WindowTest, DumpViewKeepsItsWidthAndFollowsTheBottomEdge) {
    auto tool = ToolWindow("Бинарный файл");
    tool->SetMenu({Item("Открыть HEX-файл", 0, [] {})});
    Platform::LabelSpec labelSpec;
    labelSpec.Where = {.Left = 1, .Top = 0, .Width = 611, .Height = 25};
    labelSpec.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}};
    auto& label = tool->AddLabel(labelSpec);
    LineList dump;
    Platform::TextViewSpec viewSpec = ViewSpec(Platform::ScrollBars::Vertical);
    viewSpec.Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
    HWND edit = Win32Probe::Edit(tool->AddTextView(viewSpec, dump)).Handle();
    tool->Show();
    probe.ProcessEvents();

    HWND window = Win32Probe::Handle(*tool);
    RECT before = PlaceOf(edit);
    EXPECT_EQ(before.top, 25);
    EXPECT_EQ(before.right - before.left, 613);
    EXPECT_LE(before.bottom, ClientOf(window).bottom);  // never cut off at the bottom

    RECT outer{};
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + 50,
                 outer.bottom - outer.top + 100, SWP_NOMOVE | SWP_NOZORDER);
    probe.ProcessEvents();
    RECT after = PlaceOf(edit);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 100);
    EXPECT_EQ(after.right - after.left, 613);
    HWND labelWindow = dynamic_cast<Win32::Label&>(label).Handle();
    RECT header = PlaceOf(labelWindow);
    EXPECT_EQ(header.left, 1);
    EXPECT_EQ(header.top, 0);
    EXPECT_EQ(header.right - header.left, 611);
    EXPECT_EQ(header.bottom - header.top, 25);
}

TEST_F(Win32WindowTest, LabelAndPanelShowCyrillicInTheirOwnFontsAndColours) {
    auto main = MainWindow();
    HWND window = Win32Probe::Handle(*main);
    Platform::PanelSpec panelSpec;
    panelSpec.Where = {.Left = 0, .Top = 0, .Width = 792, .Height = 33};
    panelSpec.Font = {.Face = "System", .PixelHeight = 16, .Bold = true, .Colour = {0, 255, 0}};
    panelSpec.Text = Bytes("Скрипт: ещё не загружен");
    auto& panel = main->AddPanel(panelSpec);
    EXPECT_EQ(panel.Text(), Bytes("Скрипт: ещё не загружен"));
    panel.SetText(Bytes("СКРИПТ ЗАГРУЖЕН:   C:\\скрипты\\a.txt"));
    EXPECT_EQ(panel.Text(), Bytes("СКРИПТ ЗАГРУЖЕН:   C:\\скрипты\\a.txt"));
    // "System" lacks Cyrillic on many installations; the stand-in must have it.
    std::wstring face;
    TEXTMETRICW font = RealisedFont(dynamic_cast<Win32::Panel&>(panel).Handle(), face);
    EXPECT_EQ(font.tmCharSet, RUSSIAN_CHARSET) << Win32::Narrow(face);
    EXPECT_GE(font.tmWeight, FW_BOLD);

    Platform::LabelSpec labelSpec;
    labelSpec.Where = {.Left = 1, .Top = 0, .Width = 611, .Height = 25};
    labelSpec.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}};
    auto& label = main->AddLabel(labelSpec);
    HWND labelWindow = dynamic_cast<Win32::Label&>(label).Handle();
    label.SetText(Bytes("           00 01 02 Ё"));
    EXPECT_EQ(label.Text(), Bytes("           00 01 02 Ё"));
    font = RealisedFont(labelWindow, face);
    EXPECT_EQ(font.tmCharSet, RUSSIAN_CHARSET) << Win32::Narrow(face);

    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(labelWindow)),
              0);
    EXPECT_EQ(GetBkColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 0));
    DeleteDC(dc);
}

// Answers the next modal dialog of this thread from inside its own message loop.
class DialogAnswer {
  public:
    explicit DialogAnswer(std::function<void(HWND)> answer) {
        current = std::move(answer);
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~DialogAnswer() {
        KillTimer(nullptr, timer_);
        current = nullptr;
    }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM found) {
                if (ClassOf(window) != L"#32770" || !IsWindowVisible(window)) return TRUE;
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || !current) return;
        auto answer = std::move(current);
        current = nullptr;
        answer(dialog);
    }

    static inline std::function<void(HWND)> current;
    UINT_PTR timer_;
};

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(Win32WindowTest, MessageBoxIsModalOverEveryWindow) {
    auto main = MainWindow();
    auto tool = ToolWindow("Скрипт");
    main->Show();
    tool->Show();
    probe.ProcessEvents();
    std::wstring caption, texts;
    bool mainEnabled = true, toolEnabled = true;
    DialogAnswer answer([&](HWND box) {
        wchar_t text[256] = {};
        GetWindowTextW(box, text, 256);
        caption = text;
        for (HWND child : Children(box)) {
            GetWindowTextW(child, text, 256);
            texts += text;
            texts += L"|";
        }
        mainEnabled = IsWindowEnabled(Win32Probe::Handle(*main));
        toolEnabled = IsWindowEnabled(Win32Probe::Handle(*tool));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    platform.MessageBox("Vantrel", Bytes("Файл не найден."));
    EXPECT_EQ(caption, L"Vantrel");
    EXPECT_NE(texts.find(L"Файл не найден."), std::wstring::npos) << Win32::Narrow(texts);
    EXPECT_FALSE(mainEnabled);
    EXPECT_FALSE(toolEnabled);
    EXPECT_TRUE(IsWindowEnabled(Win32Probe::Handle(*main)));
    EXPECT_TRUE(IsWindowEnabled(Win32Probe::Handle(*tool)));
}

TEST_F(Win32WindowTest, FileDialogOffersTheLastPathAndReturnsAMissingFile) {
    auto main = MainWindow();
    main->Show();
    probe.ProcessEvents();
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string offered = Win32::Narrow(folder) + "vantrel-offered.bin";
    const std::string typed = Win32::Narrow(folder) + Bytes("нет-такого.bin");

    std::wstring shown;
    DialogAnswer answer([&](HWND dialog) {
        for (HWND child : Children(dialog)) {
            if (ClassOf(child) != L"EDIT") continue;
            wchar_t text[MAX_PATH] = {};
            GetWindowTextW(child, text, MAX_PATH);
            shown = text;
            SetWindowTextW(child, Win32::Wide(typed).c_str());
            break;
        }
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    std::optional<std::string> chosen = platform.OpenFileDialog(offered);
    EXPECT_NE(shown.find(L"vantrel-offered.bin"), std::wstring::npos) << Win32::Narrow(shown);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, typed);

    DialogAnswer cancel([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(platform.OpenFileDialog(typed).has_value());
}

}  // namespace
