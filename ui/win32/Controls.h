// Thin wrappers of the child controls: the EDIT text view bound to a LineList, the STATIC label
// and the status panel. The window that holds them routes colour, change and layout messages.
#pragma once

#include <string>

#include "LineList.h"
#include "Platform.h"
#include "Win32.h"

namespace Win32 {

// A font and a brush that live as long as the control that uses them.
class Look {
  public:
    Look(const Platform::Font& font, Platform::Color background);
    ~Look();
    Look(const Look&) = delete;
    Look& operator=(const Look&) = delete;

    HFONT Font() const { return font_; }
    // Sets the text and background colours for drawing and returns the background brush.
    HBRUSH Apply(HDC dc) const;

  private:
    HFONT font_;
    HBRUSH brush_;
    COLORREF text_, background_;
};

// The face to ask for. Where a face has no Cyrillic letters installed, or no bold style for bold
// text, one of the same kind stands in: "Courier New" (or, without it, "DejaVu Sans Mono") for
// "Courier", "Arial" for "System".
std::wstring FaceFor(const Platform::Font& font);

// A visible child window of `className` placed as `where` says in `parent`'s client area.
HWND CreateChild(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle,
                 const Platform::Placement& where);

// A window class of the program's own for child controls, registered on first use; returns
// `name`, so that it can be given to CreateChild directly.
const wchar_t* ChildClass(const wchar_t* name, WNDPROC proc, LPCWSTR cursor);

class Control {
  public:
    Control(HWND handle, const Platform::Placement& where);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND Handle() const { return handle_; }
    static Control* From(HWND handle);

    // Fits the control to a client area of the given size; a bottom-anchored control keeps its
    // distance to the bottom once that is fixed.
    void Layout(int clientWidth, int clientHeight);
    // Fixes the distance to the client's bottom that bottom-anchored controls keep from now on.
    void FixBottomMargin(int clientHeight);

    virtual HBRUSH Colours(HDC dc) = 0;
    virtual void Changed() {}
    virtual bool TakesFocus() const { return false; }

  protected:
    HWND handle_;

  private:
    Platform::Placement where_;
    int bottomMargin_ = -1;  // not fixed yet: the designed geometry holds
};

class EditView final : public Control, public Platform::TextView, public LineListView {
  public:
    // What one view holds, in characters; the LineList's capacity is set to match.
    static constexpr size_t Capacity = size_t{1} << 26;

    EditView(HWND parent, const Platform::TextViewSpec& spec, LineList& lines);
    ~EditView() override;

    void SetCaretLine(int32_t index) override;
    void TextReplaced(std::string_view text) override;
    void TextAppended(std::string_view bytes) override;
    std::string ReadText() override;

    HBRUSH Colours(HDC dc) override { return look_.Apply(dc); }
    void Changed() override;
    bool TakesFocus() const override { return true; }

  private:
    Look look_;
    LineList& lines_;
    bool updating_ = false;  // our own change, not the user's
};

class Label final : public Control, public Platform::TextControl {
  public:
    Label(HWND parent, const Platform::LabelSpec& spec);
    void SetText(const std::string& text) override;
    std::string Text() const override { return WindowText(handle_); }
    HBRUSH Colours(HDC dc) override { return look_.Apply(dc); }

  private:
    Look look_;
};

class Panel final : public Control, public Platform::TextControl {
  public:
    Panel(HWND parent, const Platform::PanelSpec& spec);
    void SetText(const std::string& text) override;
    std::string Text() const override { return WindowText(handle_); }
    HBRUSH Colours(HDC dc) override { return look_.Apply(dc); }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    Look look_;
};

}  // namespace Win32
