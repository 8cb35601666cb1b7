#include "Win32Probe.h"

#include <utility>

#include "PlatformContract.h"

namespace {

std::string answerButton, lastQuestion;

// The children of a window, in their order.
std::vector<HWND> ChildrenOf(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Answers the question from inside its own loop, once it is up: Enter for the default button.
void CALLBACK Answer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = GetActiveWindow();
    wchar_t type[8] = {};
    if (!GetClassNameW(box, type, 8) || std::wstring(type) != L"#32770") return;
    KillTimer(nullptr, timer);
    lastQuestion = Win32::WindowText(GetDlgItem(box, 0xFFFF));  // the message box's text
    if (answerButton.empty()) {
        PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
        return;
    }
    for (HWND button : ChildrenOf(box))
        if (Win32::WindowText(button) == answerButton)
            return (void)PostMessageW(box, WM_COMMAND, GetDlgCtrlID(button), 0);
    ADD_FAILURE() << "no button " << Cp1251::ToUtf8(answerButton);
    PostMessageW(box, WM_CLOSE, 0, 0);
}

HWND ProgressWindow() {
    return FindWindowW(Win32::ProgressClass, nullptr);
}

// What waits for the next modal window, and the timer that looks for it.
struct Waiting {
    std::wstring Class;
    std::function<void(HWND)> Act;
    UINT_PTR Timer = 0;
};
Waiting waiting;

BOOL CALLBACK FindShown(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (!IsWindowVisible(window) || waiting.Class != name) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK LookForModal(HWND, UINT, UINT_PTR, DWORD) {
    HWND shown = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindShown, reinterpret_cast<LPARAM>(&shown));
    if (!shown) return;
    KillTimer(nullptr, std::exchange(waiting.Timer, 0));
    std::exchange(waiting.Act, nullptr)(shown);
}

}  // namespace

void Win32Probe::AnswerNextQuestion(const std::string& button) {
    answerButton = button;
    SetTimer(nullptr, 0, 20, Answer);
}

std::string Win32Probe::LastQuestion() {
    return lastQuestion;
}

std::string Win32Probe::ProgressShown() {
    HWND window = ProgressWindow();
    if (!window) return "";
    std::string shown, button;
    for (HWND child : ChildrenOf(window)) {
        wchar_t type[16] = {};
        GetClassNameW(child, type, 16);
        if (CharUpperW(type) == std::wstring(L"STATIC")) shown += Win32::WindowText(child) + "\r\n";
        if (CharUpperW(type) == std::wstring(L"BUTTON")) button = Win32::WindowText(child);
    }
    return shown + button;
}

void Win32Probe::CancelProgress() {
    HWND window = ProgressWindow();
    for (HWND child : window ? ChildrenOf(window) : std::vector<HWND>{})
        if (Win32::WindowText(child) == Cp1251::FromUtf8("Отмена"))
            return (void)PostMessageW(window, WM_COMMAND, GetDlgCtrlID(child), 0);
    ADD_FAILURE() << "no progress window with \"Отмена\"";
}

Win32Probe::~Win32Probe() {
    if (waiting.Timer) KillTimer(nullptr, std::exchange(waiting.Timer, 0));
    waiting.Act = nullptr;
}

void Win32Probe::WhenShown(const wchar_t* windowClass, std::function<void(HWND)> act) {
    if (waiting.Timer) KillTimer(nullptr, waiting.Timer);
    waiting = {windowClass, std::move(act), SetTimer(nullptr, 0, 20, LookForModal)};
}

bool Win32Probe::IsAbove(Platform::Window& upper, Platform::Window& lower) {
    HWND target = Handle(upper);
    for (HWND window = GetWindow(Handle(lower), GW_HWNDPREV); window;
         window = GetWindow(window, GW_HWNDPREV))
        if (window == target) return true;
    return false;
}

void Win32Probe::TypeText(Platform::TextView& view, const std::string& text) {
    HWND control = Handle(view);
    WPARAM end = static_cast<WPARAM>(GetWindowTextLengthW(control));
    SendMessageW(control, EM_SETSEL, end, static_cast<LPARAM>(end));
    SetFocus(control);
    Type(text);
}

void Win32Probe::Type(const std::string& text) {
    std::wstring keys = Win32::Wide(text);
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == L'\n' && i > 0 && keys[i - 1] == L'\r') continue;
        if (keys[i] == L'\r' || keys[i] == L'\n') {
            PostKey(GetFocus(), {.VirtualKey = VK_RETURN});
            continue;
        }
        PostMessageW(GetFocus(), WM_CHAR, keys[i], 1);
        ProcessEvents();
    }
}

std::string Win32Probe::DisplayedText(Platform::TextView& view) {
    ProcessEvents();
    return Win32::WindowText(Handle(view));
}

void Win32Probe::PressKey(Platform::Window& focused, const Platform::KeyPress& key) {
    HWND window = Handle(focused);
    SetActiveWindow(window);
    SetFocus(window);  // the window hands the focus on to its text view, if it has one
    PostKey(GetFocus() ? GetFocus() : window, key);
}

void Win32Probe::PostKey(HWND target, const Platform::KeyPress& key) {
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    GetKeyboardState(state);
    state[VK_SHIFT] = key.Shift ? 0x80 : 0;
    state[VK_CONTROL] = key.Ctrl ? 0x80 : 0;
    state[VK_MENU] = key.Alt ? 0x80 : 0;
    SetKeyboardState(state);
    // Alt turns a key press into a system key press, with the context bit set.
    PostMessageW(target, key.Alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key.VirtualKey,
                 1 | (key.Alt ? 1 << 29 : 0));
    ProcessEvents();
    SetKeyboardState(saved);
}

std::string Win32Probe::DisplayedText(Platform::RowView& view) {
    ProcessEvents();
    Win32::RowView& rows = Rows(view);
    // The lines the last paint drew, read back from the editor it drew them from.
    UpdateWindow(rows.Handle());
    const auto [first, end] = rows.PaintedLines();
    return LinesOf(rows.Editor(), first, end);
}

void Win32Probe::PressKey(Platform::RowView& view, const Platform::KeyPress& key) {
    HWND control = Rows(view).Handle();
    SetActiveWindow(GetAncestor(control, GA_ROOT));
    SetFocus(control);
    PostKey(control, key);
}

void Win32Probe::TypeText(Platform::RowView& view, const std::string& text) {
    HWND control = Rows(view).Handle();
    SetActiveWindow(GetAncestor(control, GA_ROOT));
    SetFocus(control);
    Type(text);
}

void Win32Probe::RightClick(Platform::RowView& view, std::function<void(HWND)> act) {
    WhenShown(L"#32768", std::move(act));
    // The system turns the release into the context menu request.
    HWND control = Rows(view).Handle();
    PostMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 30));
    PostMessageW(control, WM_RBUTTONUP, 0, MAKELPARAM(40, 30));
    ProcessEvents();
}

std::vector<std::string> Win32Probe::ContextMenu(Platform::RowView& view) {
    std::vector<std::string> shown;
    RightClick(view, [&](HWND menu) {
        HMENU items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        for (int item = 0; item < GetMenuItemCount(items); ++item) {
            wchar_t text[128] = {};
            GetMenuStringW(items, static_cast<UINT>(item), text, 128, MF_BYPOSITION);
            shown.push_back(Win32::Narrow(text));
        }
        EndMenu();
    });
    return shown;
}

void Win32Probe::AnswerPrompt(const PromptAnswer& answer) {
    WhenShown(L"#32770", [answer](HWND dialog) {
        HWND field = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
        // Typed over the offered text, which the dialog selected.
        if (answer.Typed)
            for (wchar_t character : Win32::Wide(*answer.Typed))
                PostMessageW(field, WM_CHAR, character, 1);
        PostMessageW(field, WM_KEYDOWN, answer.Accept ? VK_RETURN : VK_ESCAPE, 1);
    });
}

std::string Win32Probe::Clipboard() {
    ProcessEvents();
    if (!OpenClipboard(nullptr)) return "";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    auto* wide = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    const std::string text = wide ? Win32::Narrow(wide) : "";
    if (wide) GlobalUnlock(data);
    CloseClipboard();
    return text;
}

std::vector<COLORREF> Win32Probe::Canvas(int width, int height,
                                         const std::function<void(HDC)>& draw) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(width, height, 1, 32, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    draw(dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

void Win32Probe::RequestClose(Platform::Window& window) {
    PostMessageW(Handle(window), WM_SYSCOMMAND, SC_CLOSE, 0);
    ProcessEvents();
}

INSTANTIATE_TEST_SUITE_P(Win32, PlatformContract,
                         ::testing::Values([] { return std::make_unique<Win32Probe>(); }),
                         [](const auto&) { return std::string("Api"); });
