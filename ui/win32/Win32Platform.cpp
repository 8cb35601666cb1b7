#include "Win32Platform.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "Cp1251.h"
#include "Win32Window.h"

namespace Win32 {
namespace {

// Keeps every other window of the program disabled while a modal dialog or box is up, so that
// no command can start underneath it. The owner is left to the dialog, which re-enables it in
// time for the activation to return there.
class ModalScope {
  public:
    explicit ModalScope(HWND owner) : owner_(owner) {
        EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
    }
    ~ModalScope() {
        for (HWND window : disabled_) EnableWindow(window, TRUE);
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

  private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self) {
        auto* scope = reinterpret_cast<ModalScope*>(self);
        if (window != scope->owner_ && Win32Platform::IsProgramWindow(window) &&
            IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            scope->disabled_.push_back(window);
        }
        return TRUE;
    }

    HWND owner_;
    std::vector<HWND> disabled_;
};

// Tab moves the focus and types nothing, as in a dialog: a multi-line EDIT control would insert
// a tab character, and only blanks separate a script's words. Ctrl+I types one too.
bool TakeTab(const MSG& message) {
    const bool key = message.message == WM_KEYDOWN && message.wParam == VK_TAB;
    const bool character =
        (message.message == WM_CHAR || message.message == WM_SYSCHAR) && message.wParam == L'\t';
    if (!key && !character) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (!Win32Platform::IsProgramWindow(root)) return false;
    if (key && GetKeyState(VK_CONTROL) >= 0)
        if (HWND next = GetNextDlgTabItem(root, GetFocus(), GetKeyState(VK_SHIFT) < 0))
            SetFocus(next);
    return true;
}

HHOOK questionHook = nullptr;

// A message box labels its buttons in the system's language: the question's get their Russian
// captions as it comes up.
LRESULT CALLBACK CaptionButtons(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t type[8] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(box, type, 8) && std::wstring(type) == L"#32770") {
        SetDlgItemTextW(box, IDYES, L"Да");
        SetDlgItemTextW(box, IDNO, L"Нет");
        SetDlgItemTextW(box, IDCANCEL, L"Отмена");
        UnhookWindowsHookEx(std::exchange(questionHook, nullptr));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The progress window: the name, the text, a bar and "Отмена" over the disabled program windows.
class Win32Progress final : public ::Platform::Progress {
  public:
    Win32Progress(Win32Platform& platform, HWND owner, const std::string& title,
                  const std::string& name)
        : platform_(platform),
          look_({.Face = "System", .PixelHeight = 15, .Bold = false, .Colour = {}}, {}) {
        static const bool registered = [] {
            INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
            InitCommonControlsEx(&controls);
            WNDCLASSEXW type{};
            type.cbSize = sizeof type;
            type.lpfnWndProc = Proc;
            type.hInstance = GetModuleHandleW(nullptr);
            type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            type.lpszClassName = ProgressClass;
            return RegisterClassExW(&type) != 0;
        }();
        (void)registered;
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        RECT outer{0, 0, 500, 124};
        AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME);
        const int width = outer.right - outer.left, height = outer.bottom - outer.top;
        // Centred over the window the user worked in, and wholly on its screen.
        RECT over{};
        GetWindowRect(owner ? owner : GetDesktopWindow(), &over);
        MONITORINFO screen{};
        screen.cbSize = sizeof screen;
        GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &screen);
        const RECT& area = screen.rcWork;
        const int left = std::clamp<int>((over.left + over.right - width) / 2, area.left,
                                         std::max(area.left, area.right - width));
        const int top = std::clamp<int>((over.top + over.bottom - height) / 2, area.top,
                                        std::max(area.top, area.bottom - height));
        window_ =
            CreateWindowExW(WS_EX_DLGMODALFRAME, ProgressClass, Wide(title).c_str(), style, left,
                            top, width, height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&cancelled_));
        Child(L"STATIC", SS_PATHELLIPSIS | SS_NOPREFIX, {12, 12, 488, 32}, name);
        text_ = Child(L"STATIC", SS_NOPREFIX, {12, 36, 488, 56}, "");
        bar_ = Child(PROGRESS_CLASSW, 0, {12, 62, 488, 80}, "");
        HWND cancel = Child(L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, {398, 90, 488, 116},
                            Cp1251::FromUtf8("Отмена"));
        SetWindowLongPtrW(cancel, GWLP_ID, IDCANCEL);
        modal_.emplace(nullptr);  // every program window
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
        SetFocus(cancel);
    }
    ~Win32Progress() override {
        // Enabled first, so that the activation goes back to the window the user worked in.
        modal_.reset();
        DestroyWindow(window_);
    }
    bool Update(const std::string& text, std::optional<int> percent) override {
        SetWindowTextW(text_, Wide(text).c_str());
        if (percent) SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(*percent), 0);
        MSG message;
        while (!cancelled_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {  // for the message loop, which ends the program
                PostQuitMessage(static_cast<int>(message.wParam));
                cancelled_ = true;
            } else if (!IsDialogMessageW(window_, &message)) {  // Escape, Enter, Space: "Отмена"
                platform_.Deliver(message);
            }
        }
        return !cancelled_;
    }

  private:
    HWND Child(const wchar_t* type, DWORD style, RECT at, const std::string& text) {
        HWND child = CreateWindowExW(0, type, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                     at.left, at.top, at.right - at.left, at.bottom - at.top,
                                     window_, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(look_.Font()), FALSE);
        return child;
    }
    // The button, Escape and the close button all cancel.
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* cancelled = reinterpret_cast<bool*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (cancelled &&
            (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL))) {
            *cancelled = true;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    Win32Platform& platform_;
    Look look_;
    HWND window_, text_, bar_;
    bool cancelled_ = false;
    std::optional<ModalScope> modal_;
};

// A dialog template built in memory, so that the dialog needs no resource script and its texts
// are UTF-16 on every Windows locale: the header, then each control, all on DWORD boundaries.
class DialogTemplate {
  public:
    // Sizes in dialog units.
    DialogTemplate(const std::wstring& caption, short width, short height) {
        Put(DWORD{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER});
        Put(DWORD{0});
        Put(WORD{0});  // the number of controls, counted by Add
        for (short value : {short{0}, short{0}, width, height}) Put(static_cast<WORD>(value));
        Put(WORD{0});  // no menu
        Put(WORD{0});  // the system's dialog class
        Put(caption);
        Put(WORD{8});
        Put(L"MS Shell Dlg");
    }

    // A control of a predefined class: 0x80 a button, 0x81 an edit field.
    void Add(WORD type, DWORD style, short x, short y, short width, short height, WORD id,
             const std::wstring& text) {
        if (words_.size() % 2) Put(WORD{0});
        Put(DWORD{WS_CHILD | WS_VISIBLE | style});
        Put(DWORD{0});
        for (short value : {x, y, width, height}) Put(static_cast<WORD>(value));
        Put(id);
        Put(WORD{0xFFFF});
        Put(type);
        Put(text);
        Put(WORD{0});  // no creation data
        ++words_[4];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void Put(WORD word) { words_.push_back(word); }
    void Put(DWORD dword) {
        Put(LOWORD(dword));
        Put(HIWORD(dword));
    }
    void Put(const std::wstring& text) {
        words_.insert(words_.end(), text.begin(), text.end());
        Put(WORD{0});
    }

    std::vector<WORD> words_;  // new[] aligns the block for the DWORDs
};

constexpr WORD PromptField = 100;

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* text = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            HWND field = GetDlgItem(dialog, PromptField);
            SetWindowTextW(field, reinterpret_cast<std::wstring*>(lParam)->c_str());
            // The offered text is selected: typing replaces it, an arrow key keeps it.
            SendMessageW(field, EM_SETSEL, 0, -1);
            SetFocus(field);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            // Enter and Escape reach here as the buttons do.
            if (LOWORD(wParam) == IDOK) {
                HWND field = GetDlgItem(dialog, PromptField);
                text->assign(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
                text->resize(static_cast<size_t>(
                    GetWindowTextW(field, text->data(), static_cast<int>(text->size()))));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

Win32Platform::Win32Platform() {
    applicationWindow_ =
        CreateWindowExW(0, MAKEINTATOM(RegisterWindowClass()), Wide(title_).c_str(), WS_POPUP, 0, 0,
                        0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

Win32Platform::~Win32Platform() {
    DestroyWindow(applicationWindow_);
}

bool Win32Platform::IsProgramWindow(HWND window) {
    return window && GetClassLongPtrW(window, GCW_ATOM) == RegisterWindowClass();
}

void Win32Platform::SetApplicationTitle(const std::string& title) {
    title_ = title;
    SetWindowTextW(applicationWindow_, Wide(title).c_str());
}

std::unique_ptr<::Platform::Window> Win32Platform::NewWindow(const ::Platform::WindowSpec& spec) {
    // The first window is the main one, with the program's entry in the task bar; the others
    // hang on the hidden application window and so lie freely above or below it.
    auto window = std::make_unique<Win32Window>(*this, spec, first_ ? applicationWindow_ : nullptr);
    if (!first_) first_ = window.get();
    return window;
}

bool Win32Platform::IsMain(const Win32Window& window) const {
    return &window == (main_ ? main_ : first_);
}

void Win32Platform::Forget(const Win32Window& window) {
    if (first_ == &window) first_ = nullptr;
    if (main_ == &window) main_ = nullptr;
}

HWND Win32Platform::ModalOwner() const {
    HWND active = GetActiveWindow();
    if (active && active != applicationWindow_ && IsProgramWindow(active)) return active;
    const Win32Window* main = main_ ? main_ : first_;
    return main ? main->Handle() : nullptr;
}

std::optional<std::filesystem::path> Win32Platform::OpenFileDialog(
    const std::filesystem::path& initialPath) {
    std::wstring path(32768, L'\0');
    initialPath.native().copy(path.data(), path.size() - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ModalOwner();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    // No existence checks: a typed name of a missing file is returned, and the load reports it.
    dialog.Flags = OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
    ModalScope modal(dialog.hwndOwner);
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    path.resize(path.find(L'\0'));
    return std::filesystem::path(path);
}

void Win32Platform::ShowMessage(const std::string& caption, const std::string& text) {
    HWND owner = ModalOwner();
    ModalScope modal(owner);
    MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_ICONSTOP);
}

::Platform::Desktop::Answer Win32Platform::Ask(const std::string& caption,
                                               const std::string& text) {
    HWND owner = ModalOwner();
    ModalScope modal(owner);
    questionHook = SetWindowsHookExW(WH_CBT, CaptionButtons, nullptr, GetCurrentThreadId());
    int chosen = MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(),
                             MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
    if (questionHook) UnhookWindowsHookEx(std::exchange(questionHook, nullptr));
    if (chosen == IDYES) return Answer::Yes;
    return chosen == IDNO ? Answer::No : Answer::Cancel;
}

std::unique_ptr<::Platform::Progress> Win32Platform::ShowProgress(const std::string& name) {
    return std::make_unique<Win32Progress>(*this, ModalOwner(), title_, name);
}

std::optional<std::string> Win32Platform::Prompt(const std::string& caption,
                                                 const std::string& initial) {
    DialogTemplate dialog(Wide(caption), 186, 46);
    dialog.Add(0x81, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 7, 172, 12, PromptField, L"");
    dialog.Add(0x80, WS_TABSTOP | BS_DEFPUSHBUTTON, 68, 25, 50, 14, IDOK, L"OK");
    dialog.Add(0x80, WS_TABSTOP | BS_PUSHBUTTON, 129, 25, 50, 14, IDCANCEL,
               Wide(Cp1251::FromUtf8("Отмена")));
    std::wstring text = Wide(initial);
    HWND owner = ModalOwner();
    ModalScope modal(owner);
    const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner,
                                                   PromptProc, reinterpret_cast<LPARAM>(&text));
    if (answer != IDOK) return std::nullopt;
    return Narrow(text);
}

::Platform::KeyPress Win32Platform::ToKeyPress(WPARAM key, LPARAM flags) {
    return {.VirtualKey = static_cast<uint8_t>(key),
            .Shift = GetKeyState(VK_SHIFT) < 0,
            .Ctrl = GetKeyState(VK_CONTROL) < 0,
            .Alt = (flags & (1 << 29)) != 0};
}

void Win32Platform::Deliver(MSG& message) {
    bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    HWND root = keyDown ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    // Shortcuts are matched here, before any window sees the key, so they work from every window.
    if (keyDown && IsProgramWindow(root) && IsWindowEnabled(root) &&
        DeliverKey(ToKeyPress(message.wParam, message.lParam)))
        return;
    if (TakeTab(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool Win32Platform::DeliverPending() {
    MSG message;
    while (!loopEnded_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            loopEnded_ = true;
            break;
        }
        Deliver(message);
    }
    return !loopEnded_;
}

int Win32Platform::Run(::Platform::Window& main) {
    main_ = dynamic_cast<Win32Window*>(&main);
    loopEnded_ = false;
    main.Show();
    int code = 0;
    MSG message;
    while (!loopEnded_) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) code = static_cast<int>(message.wParam);
            break;
        }
        Deliver(message);
    }
    main_ = nullptr;
    return code;
}

}  // namespace Win32
