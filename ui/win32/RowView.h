// The dump view: a child window that paints the lines of its RowEditor that are on screen, and
// turns the keyboard, the mouse, the scroll bar, the context menu and the clipboard into calls on
// the editor, which holds all of the view's behaviour.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "Controls.h"
#include "Platform.h"
#include "RowEditor.h"
#include "Win32.h"

namespace Win32 {

class RowView final : public Control, public Platform::RowView {
  public:
    RowView(HWND parent, const Platform::TextViewSpec& spec, RowEditor& editor);

    void Changed() override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;

    HBRUSH Colours(HDC dc) override { return look_.Apply(dc); }
    bool TakesFocus() const override { return true; }

    const RowEditor& Editor() const { return editor_; }
    // The lines that the view paints, [first, end): the page and a partly visible line.
    std::pair<uint64_t, uint64_t> PaintedLines() const;
    // Where the first character of the top line stands in the client area, and how far apart
    // the lines and the columns of the fixed-pitch font are: as in an EDIT view of the same text.
    POINT Origin() const { return origin_; }
    int LineHeight() const { return lineHeight_; }
    int ColumnWidth() const { return columnWidth_; }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Respond(UINT message, WPARAM wParam, LPARAM lParam);
    void Measure(HWND parent, int width);
    void Paint(HDC dc, const RECT& area);
    void SetPage();
    void PlaceCaret();
    RowPoint PointAt(int x, int y) const;
    void Scroll(WPARAM request);
    bool KeyDown(WPARAM key, LPARAM flags);
    void Character(wchar_t character);
    void ShowContextMenu(LPARAM at);

    Look look_;
    RowEditor& editor_;
    POINT origin_{1, 1};
    int lineHeight_ = 16;
    int columnWidth_ = 8;
    int wheel_ = 0;              // wheel movement not yet turned into lines
    wchar_t highSurrogate_ = 0;  // the first half of a character typed in two
};

}  // namespace Win32
