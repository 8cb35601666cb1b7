#include "Controls.h"

#include <algorithm>
#include <initializer_list>

namespace Win32 {
namespace {

constexpr wchar_t PanelClass[] = L"VantrelPanel";

COLORREF ColourRef(const Platform::Color& colour) {
    return RGB(colour.Red, colour.Green, colour.Blue);
}

bool IsCourier(const std::string& face) {
    return face == "Courier";
}

struct FaceWanted {
    bool Bold = false;
    bool Found = false;
};

int CALLBACK NoteFound(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM wanted) {
    auto& face = *reinterpret_cast<FaceWanted*>(wanted);
    face.Found = !face.Bold || font->lfWeight >= FW_BOLD;
    return face.Found ? 0 : 1;  // a face's styles come one by one: look on for the bold one
}

// Whether the face is installed with Cyrillic letters and, for bold text, a bold style of its own.
bool Installed(const std::wstring& face, bool bold) {
    LOGFONTW wanted{};
    wanted.lfCharSet = RUSSIAN_CHARSET;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    FaceWanted found{.Bold = bold};
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found.Found;
}

}  // namespace

HWND CreateChild(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle,
                 const Platform::Placement& where) {
    RECT client{};
    GetClientRect(parent, &client);
    const Platform::Rect at = where.In(client.right, client.bottom, -1);
    return CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, at.Left, at.Top,
                           at.Width, at.Height, parent, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

const wchar_t* ChildClass(const wchar_t* name, WNDPROC proc, LPCWSTR cursor) {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, name, &type)) return name;
    type.style = CS_HREDRAW | CS_VREDRAW;
    type.lpfnWndProc = proc;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, cursor);
    type.lpszClassName = name;
    RegisterClassExW(&type);
    return name;
}

std::wstring FaceFor(const Platform::Font& font) {
    std::wstring wide = Wide(font.Face);
    if (Installed(wide, font.Bold)) return wide;
    // Faces of the same kind with Cyrillic letters and a bold style on every Windows since XP.
    // Where "Courier New" is missing too (Wine), the face that stands in varies with the fonts at
    // hand; the fixed face the Windows stage installs is bold and fits the dump's 59 columns.
    if (IsCourier(font.Face))
        return Installed(L"Courier New", font.Bold) || !Installed(L"DejaVu Sans Mono", font.Bold)
                   ? L"Courier New"
                   : L"DejaVu Sans Mono";
    if (font.Face != "System") return wide;
    // Wine has no Arial, and its Tahoma draws bold as thin as regular: there the host's face
    // stands in.
    for (const wchar_t* face : {L"Arial", L"DejaVu Sans"})
        if (Installed(face, font.Bold)) return face;
    return L"Tahoma";
}

Look::Look(const Platform::Font& font, Platform::Color background)
    : font_(CreateFontW(-font.PixelHeight, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                        FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY,
                        IsCourier(font.Face) ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_SWISS,
                        FaceFor(font).c_str())),
      brush_(CreateSolidBrush(ColourRef(background))),
      text_(ColourRef(font.Colour)),
      background_(ColourRef(background)) {}

Look::~Look() {
    DeleteObject(font_);
    DeleteObject(brush_);
}

HBRUSH Look::Apply(HDC dc) const {
    SetTextColor(dc, text_);
    SetBkColor(dc, background_);
    return brush_;
}

Control::Control(HWND handle, const Platform::Placement& where) : handle_(handle), where_(where) {
    SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Control::~Control() {
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
}

Control* Control::From(HWND handle) {
    return reinterpret_cast<Control*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

void Control::Layout(int clientWidth, int clientHeight) {
    if (!where_.FillClient && !where_.AnchorBottom) return;  // it stands where it was made
    const Platform::Rect at = where_.In(clientWidth, clientHeight, bottomMargin_);
    MoveWindow(handle_, at.Left, at.Top, at.Width, at.Height, TRUE);
}

void Control::FixBottomMargin(int clientHeight) {
    if (where_.AnchorBottom && bottomMargin_ < 0) bottomMargin_ = where_.BottomGapIn(clientHeight);
}

EditView::EditView(HWND parent, const Platform::TextViewSpec& spec, LineList& lines)
    : Control(CreateChild(parent, L"EDIT",
                          WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                              (spec.Bars == Platform::ScrollBars::Both ? WS_HSCROLL : 0),
                          WS_EX_CLIENTEDGE, spec.Where),
              spec.Where),
      look_(spec.Font, spec.Background),
      lines_(lines) {
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(look_.Font()), FALSE);
    // Text starts at the border, as in a label, so that a header above a view lines up with it.
    SendMessageW(handle_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    // The default limit of 30,000 characters would stop appends long before the list's capacity.
    SendMessageW(handle_, EM_SETLIMITTEXT, Capacity, 0);
    lines_.SetCapacity(Capacity);
    lines_.Bind(this);
}

EditView::~EditView() {
    lines_.Text();  // takes over the user's last edits before the control goes
    lines_.Bind(nullptr);
}

void EditView::TextReplaced(std::string_view text) {
    updating_ = true;
    SendMessageW(handle_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
    updating_ = false;
}

void EditView::TextAppended(std::string_view bytes) {
    // One WM_SETTEXT into an empty control is far faster than appending to it.
    if (GetWindowTextLengthW(handle_) == 0) return TextReplaced(bytes);
    const std::wstring text = Wide(bytes);
    updating_ = true;
    // (-1, -1) would only remove the selection; the end must be given as a position.
    WPARAM end = static_cast<WPARAM>(GetWindowTextLengthW(handle_));
    SendMessageW(handle_, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(handle_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    updating_ = false;
}

std::string EditView::ReadText() {
    // The EDIT control keeps whatever breaks were pasted into it; the list wants CR LF.
    return LineList::NormaliseBreaks(WindowText(handle_));
}

void EditView::Changed() {
    if (!updating_) lines_.ViewEdited();
}

void EditView::SetCaretLine(int32_t index) {
    LRESULT at = SendMessageW(handle_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (at < 0) at = GetWindowTextLengthW(handle_);
    SendMessageW(handle_, EM_SETSEL, static_cast<WPARAM>(at), at);
    SendMessageW(handle_, EM_SCROLLCARET, 0, 0);
}

Label::Label(HWND parent, const Platform::LabelSpec& spec)
    : Control(CreateChild(parent, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_SUNKEN, 0,
                          spec.Where),
              spec.Where),
      look_(spec.Font, spec.Background) {
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(look_.Font()), FALSE);
}

void Label::SetText(const std::string& text) {
    SetWindowTextW(handle_, Wide(text).c_str());
}

Panel::Panel(HWND parent, const Platform::PanelSpec& spec)
    : Control(CreateChild(parent, ChildClass(PanelClass, Proc, IDC_ARROW), 0, 0, spec.Where),
              spec.Where),
      look_(spec.Font, spec.Background) {
    SetText(spec.Text);
}

void Panel::SetText(const std::string& text) {
    SetWindowTextW(handle_, Wide(text).c_str());
    InvalidateRect(handle_, nullptr, TRUE);
}

void Panel::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle_, &paint);
    RECT area;
    GetClientRect(handle_, &area);
    FillRect(dc, &area, look_.Apply(dc));
    DrawEdge(dc, &area, BDR_RAISEDOUTER | BDR_SUNKENINNER, BF_RECT | BF_ADJUST);
    HGDIOBJ previous = SelectObject(dc, look_.Font());
    SetBkMode(dc, TRANSPARENT);
    std::wstring text = Wide(Text());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    EndPaint(handle_, &paint);
}

LRESULT CALLBACK Panel::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* panel = dynamic_cast<Panel*>(From(window));
    switch (message) {
        case WM_PAINT:
            if (!panel) break;
            panel->Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;     // the paint fills the whole area
        case WM_GETFONT:  // as the system's controls answer
            return panel ? reinterpret_cast<LRESULT>(panel->look_.Font()) : 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace Win32
