#include "RowView.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "Controls.h"
#include "ShortCut.h"
#include "Win32Platform.h"

namespace Win32 {
namespace {

constexpr wchar_t RowsClass[] = L"VantrelRows";

// The program's font selected into the view's screen DC for as long as it lives.
class ScreenDc {
  public:
    ScreenDc(HWND window, HFONT font) : window_(window), dc_(GetDC(window)) {
        previous_ = SelectObject(dc_, font);
    }
    ~ScreenDc() {
        SelectObject(dc_, previous_);
        ReleaseDC(window_, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    operator HDC() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
    HGDIOBJ previous_;
};

// The clipboard, open for as long as this lives; an error on the way closes it all the same.
class OpenClipboardScope {
  public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

// A movable block holding a copy of `size` bytes, as the clipboard takes them.
HGLOBAL GlobalBlock(const void* data, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* at = block ? GlobalLock(block) : nullptr;
    if (!at) {
        if (block) GlobalFree(block);
        throw std::bad_alloc();
    }
    std::memcpy(at, data, size);
    GlobalUnlock(block);
    return block;
}

// Floor division, so that points left of or above the text count as the column or line before.
int64_t Below(int64_t offset, int64_t step) {
    return offset >= 0 ? offset / step : -1 - (-offset - 1) / step;
}

}  // namespace

RowView::RowView(HWND parent, const Platform::TextViewSpec& spec, RowEditor& editor)
    : Control(CreateChild(parent, ChildClass(RowsClass, Proc, IDC_IBEAM), WS_TABSTOP | WS_VSCROLL,
                          WS_EX_CLIENTEDGE, spec.Where),
              spec.Where),
      look_(spec.Font, spec.Background),
      editor_(editor) {
    Measure(parent, spec.Where.Width);
    editor_.Attach(*this, EditView::Capacity);
    SetPage();
}

std::pair<uint64_t, uint64_t> RowView::PaintedLines() const {
    RECT client{};
    GetClientRect(handle_, &client);
    const int below = std::max<int>(0, client.bottom - origin_.y);
    const uint64_t lines = static_cast<uint64_t>((below + lineHeight_ - 1) / lineHeight_);
    return {editor_.Top(), std::min(editor_.LineCount(), editor_.Top() + lines)};
}

void RowView::Measure(HWND parent, int width) {
    ScreenDc dc(handle_, look_.Font());
    SIZE character{};
    GetTextExtentPoint32W(dc, L"0", 1, &character);
    columnWidth_ = std::max<int>(1, character.cx);
    // The system's EDIT control decides the insets and the line spacing (Wine adds the font's
    // external leading, Windows does not): a scratch one with two lines says what they are, so
    // that the rows stand where the program's other text views put their lines.
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"a\r\nb", WS_CHILD | ES_MULTILINE, 0, 0,
                                std::max(width, 100), 200, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(look_.Font()), FALSE);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    const LRESULT first = SendMessageW(edit, EM_POSFROMCHAR, 0, 0);
    const LRESULT second = SendMessageW(edit, EM_POSFROMCHAR, 3, 0);
    DestroyWindow(edit);
    if (first != -1 && second != -1 && HIWORD(second) > HIWORD(first)) {
        origin_ = {static_cast<short>(LOWORD(first)), static_cast<short>(HIWORD(first))};
        lineHeight_ = HIWORD(second) - HIWORD(first);
    } else {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        lineHeight_ = std::max<int>(1, metrics.tmHeight);
    }
}

void RowView::SetPage() {
    RECT client{};
    GetClientRect(handle_, &client);
    // Whole lines between the one-pixel insets at the top and bottom, as an EDIT view counts;
    // whole columns from the left inset to the edge, where the text may reach.
    editor_.SetPage(
        static_cast<uint32_t>(std::max<int>(0, client.bottom - 2 * origin_.y) / lineHeight_),
        static_cast<uint32_t>(std::max<int>(columnWidth_, client.right - origin_.x) /
                              columnWidth_));
}

void RowView::Paint(HDC dc, const RECT& area) {
    HGDIOBJ previous = SelectObject(dc, look_.Font());
    HBRUSH background = look_.Apply(dc);
    SetBkMode(dc, OPAQUE);
    RECT client{};
    GetClientRect(handle_, &client);
    const bool focused = GetFocus() == handle_;
    const uint32_t left = editor_.Left();
    const auto [first, end] = PaintedLines();
    RECT above{client.left, client.top, client.right, origin_.y};
    FillRect(dc, &above, background);
    int y = origin_.y;
    for (uint64_t line = first; line < end; ++line, y += lineHeight_) {
        if (y + lineHeight_ <= area.top || y >= area.bottom) continue;
        const std::wstring whole = Wide(editor_.Line(line));
        // Shifted left by the columns scrolled out of sight; the font's pitch is fixed.
        const uint32_t length = static_cast<uint32_t>(whole.size());
        const wchar_t* text = whole.c_str() + std::min(left, length);
        RECT row{client.left, y, client.right, y + lineHeight_};
        look_.Apply(dc);
        ExtTextOutW(dc, origin_.x, y, ETO_OPAQUE | ETO_CLIPPED, &row, text,
                    static_cast<int>(length - std::min(left, length)), nullptr);
        // As in an EDIT view, the selection shows while the view has the focus, and a selected
        // line break is not drawn.
        auto [from, to] = editor_.SelectedColumns(line);
        from = std::max(from, left);
        to = std::min(to, length);
        if (!focused || from >= to) continue;
        RECT selected{origin_.x + static_cast<int>(from - left) * columnWidth_, y,
                      origin_.x + static_cast<int>(to - left) * columnWidth_, y + lineHeight_};
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(dc, selected.left, y, ETO_OPAQUE | ETO_CLIPPED, &selected, whole.c_str() + from,
                    static_cast<int>(to - from), nullptr);
    }
    RECT rest{client.left, std::max<int>(y, origin_.y), client.right, client.bottom};
    if (rest.top < rest.bottom) FillRect(dc, &rest, background);
    SelectObject(dc, previous);
}

void RowView::Changed() {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    // The bar stays visible, disabled, when every line fits: the page never changes its width.
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    bar.nMax = static_cast<int>(std::min<uint64_t>(editor_.LineCount() - 1, INT_MAX));
    bar.nPage = editor_.PageLines();
    bar.nPos = static_cast<int>(std::min<uint64_t>(editor_.Top(), INT_MAX));
    SetScrollInfo(handle_, SB_VERT, &bar, TRUE);
    PlaceCaret();
    InvalidateRect(handle_, nullptr, FALSE);
}

void RowView::PlaceCaret() {
    if (GetFocus() != handle_) return;
    const RowPoint caret = editor_.Caret();
    const auto [first, end] = PaintedLines();
    POINT at{-lineHeight_, -lineHeight_ * 2};  // out of sight while its line or column is
    if (caret.Line >= first && caret.Line < end && caret.Column >= editor_.Left()) {
        at.x = origin_.x + static_cast<int>(caret.Column - editor_.Left()) * columnWidth_;
        at.y = origin_.y + static_cast<int>(caret.Line - first) * lineHeight_;
    }
    SetCaretPos(at.x, at.y);
}

RowPoint RowView::PointAt(int x, int y) const {
    // The nearest boundary between characters; dragging above or left of the text scrolls there.
    const int64_t line = static_cast<int64_t>(editor_.Top()) + Below(y - origin_.y, lineHeight_);
    const int64_t column = static_cast<int64_t>(editor_.Left()) +
                           Below(x - origin_.x + columnWidth_ / 2, columnWidth_);
    return {static_cast<uint64_t>(std::max<int64_t>(0, line)),
            static_cast<uint32_t>(std::clamp<int64_t>(column, 0, UINT32_MAX))};
}

void RowView::Scroll(WPARAM request) {
    const int64_t page = editor_.PageLines();
    switch (LOWORD(request)) {
        case SB_LINEUP:
            return editor_.ScrollBy(-1);
        case SB_LINEDOWN:
            return editor_.ScrollBy(1);
        case SB_PAGEUP:
            return editor_.ScrollBy(-page);
        case SB_PAGEDOWN:
            return editor_.ScrollBy(page);
        case SB_TOP:
            return editor_.ScrollTo(0);
        case SB_BOTTOM:
            return editor_.ScrollTo(editor_.MaxTop());
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The message carries only 16 bits of the position; the bar has all 32.
            SCROLLINFO bar{};
            bar.cbSize = sizeof bar;
            bar.fMask = SIF_TRACKPOS;
            GetScrollInfo(handle_, SB_VERT, &bar);
            return editor_.ScrollTo(static_cast<uint64_t>(std::max(0, bar.nTrackPos)));
        }
    }
}

bool RowView::KeyDown(WPARAM key, LPARAM flags) {
    if (!editor_.Key(Win32Platform::ToKeyPress(key, flags))) return false;
    // A key the editor took types nothing: drop what the translation made of it (Alt+Backspace
    // would otherwise beep as a menu key).
    MSG typed;
    while (PeekMessageW(&typed, handle_, WM_CHAR, WM_CHAR, PM_REMOVE) ||
           PeekMessageW(&typed, handle_, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE)) {
    }
    return true;
}

void RowView::Character(wchar_t character) {
    // Control characters arrive as keys. Ctrl without Alt types nothing; both at once are AltGr,
    // which types the letters of many layouts.
    if (character < 0x20 || character == 0x7F) return;
    if (GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) return;
    if (IS_HIGH_SURROGATE(character)) {
        highSurrogate_ = character;
        return;
    }
    std::wstring typed;
    if (IS_LOW_SURROGATE(character) && highSurrogate_) typed += highSurrogate_;
    typed += character;
    highSurrogate_ = 0;
    editor_.Type(Narrow(typed));
}

void RowView::ShowContextMenu(LPARAM at) {
    if (GetFocus() != handle_) SetFocus(handle_);
    POINT where{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {  // from the keyboard: at the caret
        GetCaretPos(&where);
        where.y += lineHeight_;
        ClientToScreen(handle_, &where);
    }
    const std::vector<Platform::MenuItem> items = editor_.ContextMenu();
    HMENU menu = CreatePopupMenu();
    for (size_t index = 0; index < items.size(); ++index) {
        std::wstring text = Wide(items[index].Caption);
        if (items[index].Shortcut) text += L"\t" + Wide(ShortCut::Name(items[index].Shortcut));
        AppendMenuW(menu, MF_STRING, index + 1, text.c_str());
    }
    const UINT chosen =
        static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                         where.x, where.y, 0, handle_, nullptr));
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= items.size()) items[chosen - 1].Command();
}

std::string RowView::ClipboardText() {
    OpenClipboardScope clipboard(handle_);
    HANDLE data = clipboard ? GetClipboardData(CF_UNICODETEXT) : nullptr;
    auto* wide = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (!wide) return {};
    // Within the block: a text without its terminator ends there.
    const size_t most = GlobalSize(data) / sizeof(wchar_t);
    std::string text;
    try {
        text = Narrow(std::wstring_view(wide, wcsnlen(wide, most)));
    } catch (...) {
        GlobalUnlock(data);
        throw;
    }
    GlobalUnlock(data);
    return text;
}

void RowView::SetClipboardText(const std::string& text) {
    // The CP1251 bytes as they are, marked as Russian text: the system converts them through that
    // code page for whoever asks for Unicode text, on every locale. A copy of 64 MiB of rows is
    // 256 MB of text; as UTF-16 it would be twice that to write and to hand to the system.
    const LCID russian = MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA), SORT_DEFAULT);
    HGLOBAL locale = GlobalBlock(&russian, sizeof russian), bytes = nullptr;
    try {
        bytes = GlobalBlock(text.data(), text.size() + 1);
    } catch (...) {
        GlobalFree(locale);
        throw;
    }
    OpenClipboardScope clipboard(handle_);
    // Another program holds the clipboard: nothing is copied, as in an EDIT view.
    const bool taken = clipboard && EmptyClipboard() && SetClipboardData(CF_LOCALE, locale);
    if (!taken) GlobalFree(locale);
    if (!taken || !SetClipboardData(CF_TEXT, bytes)) GlobalFree(bytes);
}

LRESULT RowView::Respond(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(handle_, &paint);
            Paint(dc, paint.rcPaint);
            EndPaint(handle_, &paint);
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client{};
            GetClientRect(handle_, &client);
            Paint(reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the paint fills the whole area
        case WM_SIZE:
            SetPage();
            return 0;
        case WM_SETFOCUS:
            CreateCaret(handle_, nullptr, 1, lineHeight_);
            PlaceCaret();
            ShowCaret(handle_);
            InvalidateRect(handle_, nullptr, FALSE);
            return 0;
        case WM_KILLFOCUS:
            DestroyCaret();
            InvalidateRect(handle_, nullptr, FALSE);
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (KeyDown(wParam, lParam)) return 0;
            break;  // Tab, function keys, menu keys go on
        case WM_CHAR:
            Character(static_cast<wchar_t>(wParam));
            return 0;
        case WM_LBUTTONDOWN:
            if (GetFocus() != handle_) SetFocus(handle_);
            SetCapture(handle_);
            editor_.Click(
                PointAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))),
                (wParam & MK_SHIFT) != 0);
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() != handle_ || !(wParam & MK_LBUTTON)) break;
            editor_.Click(
                PointAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))),
                true);
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == handle_) ReleaseCapture();
            return 0;
        case WM_CONTEXTMENU:
            ShowContextMenu(lParam);
            return 0;
        case WM_MOUSEWHEEL: {
            UINT perNotch = 3;
            SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
            if (perNotch == WHEEL_PAGESCROLL) perNotch = editor_.PageLines();
            wheel_ += GET_WHEEL_DELTA_WPARAM(wParam);
            const int notches = wheel_ / WHEEL_DELTA;
            wheel_ -= notches * WHEEL_DELTA;
            editor_.ScrollBy(-int64_t{notches} * perNotch);
            return 0;
        }
        case WM_VSCROLL:
            Scroll(wParam);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(look_.Font());
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK RowView::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = dynamic_cast<RowView*>(From(window));
    if (!view) return DefWindowProcW(window, message, wParam, lParam);
    // The editor runs input in the program's error handler; nothing may unwind through the
    // system's frames, so a failure anywhere else (out of memory while painting) is dropped.
    try {
        return view->Respond(message, wParam, lParam);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace Win32
