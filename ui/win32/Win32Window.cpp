#include "Win32Window.h"

#include <stdexcept>

#include "RowView.h"
#include "ShortCut.h"
#include "Win32Platform.h"

namespace Win32 {
namespace {

constexpr UINT FirstCommand = 100;

DWORD StyleFor(const Platform::WindowSpec& spec) {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    if (spec.Frame == Platform::Border::Sizeable) style |= WS_THICKFRAME;
    // Without WS_SYSMENU the caption has no buttons and no window menu.
    if (spec.SystemMenu) style |= WS_SYSMENU;
    return style;
}

RECT ClientArea(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    return area;
}

}  // namespace

ATOM RegisterWindowClass() {
    static ATOM atom = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = Win32Window::Proc;
        type.hInstance = GetModuleHandleW(nullptr);
        // The program's own icon (resource 1); a build without resources keeps the system's.
        type.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        if (!type.hIcon)
            type.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
        type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        type.lpszClassName = L"VantrelWindow";
        return RegisterClassExW(&type);
    }();
    return atom;
}

Win32Window::Win32Window(Win32Platform& platform, const Platform::WindowSpec& spec, HWND owner)
    : platform_(platform), spec_(spec) {
    DWORD style = StyleFor(spec);
    RECT outer{0, 0, spec.Width, spec.Height};
    if (spec.ClientSize) AdjustWindowRectEx(&outer, style, FALSE, 0);
    CreateWindowExW(0, MAKEINTATOM(RegisterWindowClass()), Wide(spec.Caption).c_str(), style,
                    spec.Left, spec.Top, outer.right - outer.left, outer.bottom - outer.top, owner,
                    nullptr, GetModuleHandleW(nullptr), this);
    if (!handle_) throw std::runtime_error("Cannot create window");
    if (spec.ClientSize) FitClient();
}

Win32Window::~Win32Window() {
    platform_.Forget(*this);
    // Destroying a focused control hands the focus to this window, whose handler must not walk
    // the half-destroyed list of controls.
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    controls_.clear();
    DestroyWindow(handle_);
}

Win32Window* Win32Window::From(HWND handle) {
    if (!Win32Platform::IsProgramWindow(handle)) return nullptr;
    return reinterpret_cast<Win32Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

LRESULT CALLBACK Win32Window::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) self->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    Win32Window* self = From(window);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->Respond(message, wParam, lParam);
}

LRESULT Win32Window::Respond(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            if (closeHandler_) {
                auto handler = closeHandler_;
                handler();
            } else {
                if (platform_.IsMain(*this)) platform_.EndLoop();
                Hide();
            }
            return 0;
        case WM_COMMAND:
            if (lParam == 0) {
                RunMenuCommand(LOWORD(wParam));
            } else if (HIWORD(wParam) == EN_CHANGE) {
                if (Control* control = Control::From(reinterpret_cast<HWND>(lParam)))
                    control->Changed();
            }
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (Control* control = Control::From(reinterpret_cast<HWND>(lParam)))
                return reinterpret_cast<LRESULT>(control->Colours(reinterpret_cast<HDC>(wParam)));
            break;
        case WM_SIZE:
            LayoutControls();
            return 0;
        case WM_SETFOCUS:
            // The window's one shown text view takes the keyboard whenever the window does.
            for (auto& control : controls_) {
                if (control->TakesFocus() &&
                    (GetWindowLongW(control->Handle(), GWL_STYLE) & WS_VISIBLE)) {
                    SetFocus(control->Handle());
                    break;
                }
            }
            return 0;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

void Win32Window::Place(int left, int top) {
    SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32Window::Left() const {
    RECT outer{};
    GetWindowRect(handle_, &outer);
    return outer.left;
}

int Win32Window::Top() const {
    RECT outer{};
    GetWindowRect(handle_, &outer);
    return outer.top;
}

void Win32Window::Show() {
    if (!shownOnce_) {
        // The layout is final now: the menu bar, if any, has taken its share of the client area.
        shownOnce_ = true;
        int height = ClientArea(handle_).bottom;
        for (auto& control : controls_) control->FixBottomMargin(height);
        LayoutControls();
    }
    // Whatever state the user or the system left it in: a minimised window is restored.
    ShowWindow(handle_, IsIconic(handle_) ? SW_RESTORE : SW_SHOW);
    SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(handle_);
    if (GetActiveWindow() != handle_) SetActiveWindow(handle_);
}

void Win32Window::Hide() {
    ShowWindow(handle_, SW_HIDE);
}

void Win32Window::Close() {
    SendMessageW(handle_, WM_CLOSE, 0, 0);
}

void Win32Window::OnCloseRequest(std::function<void()> handler) {
    closeHandler_ = std::move(handler);
}

void Win32Window::AppendItems(HMENU menu, const std::vector<Platform::MenuItem>& items,
                              bool dropDown) {
    for (const Platform::MenuItem& item : items) {
        std::wstring text = Wide(item.Caption);
        if (!item.Items.empty()) {
            HMENU list = CreatePopupMenu();
            AppendItems(list, item.Items, true);
            AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(list), text.c_str());
            continue;
        }
        // Only a drop-down item shows its shortcut, right-aligned after a tab.
        if (dropDown && item.Shortcut) text += L"\t" + Wide(ShortCut::Name(item.Shortcut));
        commands_.push_back(item.Command);
        AppendMenuW(menu, MF_STRING, FirstCommand + commands_.size() - 1, text.c_str());
    }
}

void Win32Window::SetMenu(std::vector<Platform::MenuItem> bar) {
    HMENU old = ::GetMenu(handle_);
    commands_.clear();
    HMENU menu = nullptr;
    if (!bar.empty()) {
        menu = CreateMenu();
        AppendItems(menu, bar, false);
    }
    ::SetMenu(handle_, menu);
    if (old) DestroyMenu(old);
    if (spec_.ClientSize) FitClient();
}

void Win32Window::RunMenuCommand(UINT id) {
    if (id < FirstCommand || id - FirstCommand >= commands_.size()) return;
    auto command = commands_[id - FirstCommand];  // the command may rebuild the menu
    if (command) platform_.Guarded(command);
}

// Sizes the frame so that the client area below the menu bar is exactly as specified, whatever
// the frame and menu metrics (a bar can even wrap to a second row).
void Win32Window::FitClient() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT client = ClientArea(handle_);
        int wider = spec_.Width - client.right, taller = spec_.Height - client.bottom;
        if (wider == 0 && taller == 0) return;
        RECT outer{};
        GetWindowRect(handle_, &outer);
        SetWindowPos(handle_, nullptr, 0, 0, outer.right - outer.left + wider,
                     outer.bottom - outer.top + taller, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Win32Window::LayoutControls() {
    RECT client = ClientArea(handle_);
    for (auto& control : controls_) control->Layout(client.right, client.bottom);
}

template <class T, class... Arguments>
T& Win32Window::Add(Arguments&... arguments) {
    auto control = std::make_unique<T>(handle_, arguments...);
    T& added = *control;
    Adopt(std::move(control));
    return added;
}

void Win32Window::Adopt(std::unique_ptr<Control> control) {
    controls_.push_back(std::move(control));
    if (shownOnce_) {
        controls_.back()->FixBottomMargin(ClientArea(handle_).bottom);
        LayoutControls();
    }
}

Platform::TextView& Win32Window::AddTextView(const Platform::TextViewSpec& spec, LineList& lines) {
    return Add<EditView>(spec, lines);
}

Platform::RowView& Win32Window::AddRowView(const Platform::TextViewSpec& spec, RowEditor& editor) {
    return Add<RowView>(spec, editor);
}

Platform::TextControl& Win32Window::AddLabel(const Platform::LabelSpec& spec) {
    return Add<Label>(spec);
}

Platform::TextControl& Win32Window::AddPanel(const Platform::PanelSpec& spec) {
    return Add<Panel>(spec);
}

}  // namespace Win32
