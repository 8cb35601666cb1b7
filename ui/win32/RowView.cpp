#include "RowView.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

namespace Win32 {
namespace {

constexpr wchar_t RowsClass[] = L"VantrelRows";

// The characters that change an EDIT view's text: printable ones, the line break, Backspace,
// and Ctrl+V and Ctrl+X, which the EDIT control handles as characters too.
bool IsEditCharacter(wchar_t character) {
    return (character >= 0x20 && character != 0x7F) || character == L'\r' || character == L'\n' ||
           character == L'\b' || character == 0x16 || character == 0x18;
}

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

}  // namespace

RowView::RowView(HWND parent, const Platform::TextViewSpec& spec, const Platform::RowSource& rows,
                 EditView& text, LineList& lines, const Platform::Desktop& desktop)
    : Control(CreateChild(parent, ChildClass(RowsClass, Proc, IDC_IBEAM), WS_TABSTOP | WS_VSCROLL,
                          WS_EX_CLIENTEDGE, spec.Where),
              spec.Where),
      look_(spec.Font, spec.Background),
      cursor_(rows),
      text_(text),
      lines_(lines),
      desktop_(desktop) {
    MeasureEdit(parent, spec.Where.Width);
    Measure();
    Moved();
}

std::pair<uint64_t, uint64_t> RowView::PaintedLines() const {
    RECT client{};
    GetClientRect(handle_, &client);
    const int below = std::max<int>(0, client.bottom - origin_.y);
    const uint64_t lines = static_cast<uint64_t>((below + lineHeight_ - 1) / lineHeight_);
    return {cursor_.Top(), std::min(cursor_.LineCount(), cursor_.Top() + lines)};
}

void RowView::MeasureEdit(HWND parent, int width) {
    // The system's EDIT control decides the insets and the line spacing (Wine adds the font's
    // external leading, Windows does not): a scratch one with two lines says what they are.
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
        ScreenDc dc(handle_, look_.Font());
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        lineHeight_ = std::max<int>(1, metrics.tmHeight);
    }
}

void RowView::Measure() {
    RECT client{};
    GetClientRect(handle_, &client);
    // Whole lines between the one-pixel insets at the top and bottom, as an EDIT view counts.
    cursor_.SetPageLines(
        static_cast<uint32_t>(std::max<int>(0, client.bottom - 2 * origin_.y) / lineHeight_));
}

int RowView::TextWidth(HDC dc, const std::wstring& line, size_t characters) const {
    SIZE size{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(std::min(characters, line.size())),
                          &size);
    return size.cx;
}

void RowView::Paint(HDC dc, const RECT& area) {
    HGDIOBJ previous = SelectObject(dc, look_.Font());
    HBRUSH background = look_.Apply(dc);
    SetBkMode(dc, OPAQUE);
    RECT client{};
    GetClientRect(handle_, &client);
    const bool focused = GetFocus() == handle_;
    const auto [first, end] = PaintedLines();
    RECT above{client.left, client.top, client.right, origin_.y};
    FillRect(dc, &above, background);
    int y = origin_.y;
    for (uint64_t line = first; line < end; ++line, y += lineHeight_) {
        if (y + lineHeight_ <= area.top || y >= area.bottom) continue;
        const std::wstring text = Wide(cursor_.Line(line));
        const int length = static_cast<int>(text.size());
        RECT row{client.left, y, client.right, y + lineHeight_};
        look_.Apply(dc);
        ExtTextOutW(dc, origin_.x, y, ETO_OPAQUE | ETO_CLIPPED, &row, text.c_str(), length,
                    nullptr);
        // As in an EDIT view, the selection shows while the view has the focus.
        auto [from, to] = cursor_.SelectedColumns(line);
        to = std::min<uint32_t>(to, static_cast<uint32_t>(length));
        if (!focused || from >= to) continue;
        RECT selected{origin_.x + TextWidth(dc, text, from), y, origin_.x + TextWidth(dc, text, to),
                      y + lineHeight_};
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(dc, selected.left, y, ETO_OPAQUE | ETO_CLIPPED, &selected, text.c_str() + from,
                    static_cast<int>(to - from), nullptr);
    }
    RECT rest{client.left, std::max<int>(y, origin_.y), client.right, client.bottom};
    if (rest.top < rest.bottom) FillRect(dc, &rest, background);
    SelectObject(dc, previous);
}

void RowView::Moved() {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    // The bar stays visible, disabled, when every line fits.
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    bar.nMax = static_cast<int>(std::min<uint64_t>(cursor_.LineCount() - 1, INT_MAX));
    bar.nPage = cursor_.PageLines();
    bar.nPos = static_cast<int>(std::min<uint64_t>(cursor_.Top(), INT_MAX));
    SetScrollInfo(handle_, SB_VERT, &bar, TRUE);
    PlaceCaret();
    InvalidateRect(handle_, nullptr, FALSE);
}

void RowView::PlaceCaret() {
    if (GetFocus() != handle_) return;
    const RowPoint caret = cursor_.Caret();
    const auto [first, end] = PaintedLines();
    POINT at{-lineHeight_, -lineHeight_ * 2};  // out of sight while its line is
    if (caret.Line >= first && caret.Line < end) {
        ScreenDc dc(handle_, look_.Font());
        at.x = origin_.x + TextWidth(dc, Wide(cursor_.Line(caret.Line)), caret.Column);
        at.y = origin_.y + static_cast<int>(caret.Line - first) * lineHeight_;
    }
    SetCaretPos(at.x, at.y);
}

RowPoint RowView::PointAt(int x, int y) const {
    // Above the top line counts as the line before it, so that dragging there scrolls up.
    const int64_t offset = y - origin_.y;
    const int64_t row = offset >= 0 ? offset / lineHeight_ : -1 - (-offset - 1) / lineHeight_;
    const int64_t top = static_cast<int64_t>(cursor_.Top());
    const uint64_t line = static_cast<uint64_t>(std::max<int64_t>(0, top + row));
    const std::wstring text = Wide(cursor_.Line(line));
    if (text.empty()) return {line, 0};
    std::vector<int> ends(text.size());
    ScreenDc dc(handle_, look_.Font());
    SIZE size{};
    GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr, ends.data(),
                          &size);
    // The nearest boundary between characters.
    uint32_t column = 0;
    int start = 0;
    while (column < ends.size() && (start + ends[column]) / 2 < x - origin_.x)
        start = ends[column++];
    return {line, column};
}

void RowView::Scroll(WPARAM request) {
    const int64_t page = cursor_.PageLines();
    switch (LOWORD(request)) {
        case SB_LINEUP:
            cursor_.ScrollBy(-1);
            break;
        case SB_LINEDOWN:
            cursor_.ScrollBy(1);
            break;
        case SB_PAGEUP:
            cursor_.ScrollBy(-page);
            break;
        case SB_PAGEDOWN:
            cursor_.ScrollBy(page);
            break;
        case SB_TOP:
            cursor_.ScrollTo(0);
            break;
        case SB_BOTTOM:
            cursor_.ScrollTo(cursor_.MaxTop());
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The message carries only 16 bits of the position; the bar has all 32.
            SCROLLINFO bar{};
            bar.cbSize = sizeof bar;
            bar.fMask = SIF_TRACKPOS;
            GetScrollInfo(handle_, SB_VERT, &bar);
            cursor_.ScrollTo(static_cast<uint64_t>(std::max(0, bar.nTrackPos)));
            break;
        }
        default:
            return;
    }
    Moved();
}

void RowView::KeyDown(WPARAM key, LPARAM flags) {
    const Platform::KeyPress press{.VirtualKey = static_cast<uint8_t>(key),
                                   .Shift = GetKeyState(VK_SHIFT) < 0,
                                   .Ctrl = GetKeyState(VK_CONTROL) < 0,
                                   .Alt = (flags & (1 << 29)) != 0};
    if (RowCursor::IsCopy(press)) {
        Copy();
    } else if (cursor_.Navigate(press)) {
        Moved();
    } else if (key == VK_DELETE || (key == VK_INSERT && press.Shift && !press.Ctrl)) {
        // Delete, Shift+Delete (cut) and Shift+Insert (paste) act on key presses in an EDIT view.
        if (BecomeText()) SendMessageW(text_.Handle(), WM_KEYDOWN, key, flags);
    }
}

void RowView::Character(WPARAM character, LPARAM flags) {
    if (IsEditCharacter(static_cast<wchar_t>(character)) && BecomeText())
        SendMessageW(text_.Handle(), WM_CHAR, character, flags);
}

void RowView::Copy() {
    if (!cursor_.HasSelection()) return;
    desktop_.Guarded([this] {
        const std::wstring text = Wide(cursor_.SelectedText(EditView::Capacity));
        if (!OpenClipboard(handle_)) return;  // another program holds it, as an EDIT view finds
        EmptyClipboard();
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (memory) {
            std::memcpy(GlobalLock(memory), text.c_str(), bytes);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        }
        CloseClipboard();
        if (!memory) throw std::bad_alloc();
    });
}

bool RowView::BecomeText() {
    if (edited_) return true;
    if (!desktop_.Guarded([this] { cursor_.WriteText(lines_); })) return false;
    edited_ = true;
    HWND edit = text_.Handle();
    // The caret, the selection and the top line stay where they were among the rows.
    auto position = [edit](RowPoint point) {
        const LRESULT start = SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(point.Line), 0);
        return static_cast<WPARAM>(start + point.Column);
    };
    SendMessageW(edit, EM_SETSEL, position(cursor_.Anchor()),
                 static_cast<LPARAM>(position(cursor_.Caret())));
    const LRESULT shown = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(edit, EM_LINESCROLL, 0, static_cast<LPARAM>(cursor_.Top()) - shown);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    ShowWindow(edit, SW_SHOW);
    SetFocus(edit);
    ShowWindow(handle_, SW_HIDE);
    return true;
}

void RowView::ShowRows() {
    if (edited_) {
        edited_ = false;
        ShowWindow(handle_, SW_SHOW);
        if (GetFocus() == text_.Handle()) SetFocus(handle_);
        ShowWindow(text_.Handle(), SW_HIDE);
    }
    lines_.Clear();
    cursor_.Reset();
    Moved();
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
            Measure();
            Moved();
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
            KeyDown(wParam, lParam);
            return 0;
        case WM_CHAR:
            Character(wParam, lParam);
            return 0;
        case WM_LBUTTONDOWN:
            if (GetFocus() != handle_) SetFocus(handle_);
            SetCapture(handle_);
            cursor_.Click(
                PointAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))),
                (wParam & MK_SHIFT) != 0);
            Moved();
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() != handle_ || !(wParam & MK_LBUTTON)) break;
            cursor_.Click(
                PointAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))),
                true);
            Moved();
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == handle_) ReleaseCapture();
            return 0;
        case WM_MOUSEWHEEL: {
            UINT perNotch = 3;
            SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
            if (perNotch == WHEEL_PAGESCROLL) perNotch = cursor_.PageLines();
            wheel_ += GET_WHEEL_DELTA_WPARAM(wParam);
            const int notches = wheel_ / WHEEL_DELTA;
            wheel_ -= notches * WHEEL_DELTA;
            cursor_.ScrollBy(-int64_t{notches} * perNotch);
            Moved();
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
    // Edits and copies report their errors through the guard; nothing may unwind through the
    // system's frames, so a failure anywhere else (out of memory while painting) is dropped.
    try {
        return view->Respond(message, wParam, lParam);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace Win32
