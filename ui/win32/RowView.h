// The dump view: a child window that paints only the rows on screen, with the caret, selection,
// scrolling and copying of a text view. The first edit hands over to an EDIT view of the text.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "Controls.h"
#include "LineList.h"
#include "Platform.h"
#include "RowCursor.h"
#include "Win32.h"

namespace Win32 {

class RowView final : public Control, public Platform::RowView {
  public:
    // `text` is the hidden EDIT view over the LineList the first edit fills; it lives as long as
    // this view.
    RowView(HWND parent, const Platform::TextViewSpec& spec, const Platform::RowSource& rows,
            EditView& text, LineList& lines, const Platform::Desktop& desktop);

    void ShowRows() override;

    HBRUSH Colours(HDC dc) override { return look_.Apply(dc); }
    bool TakesFocus() const override { return true; }

    bool Edited() const { return edited_; }
    EditView& Text() const { return text_; }
    const RowCursor& Cursor() const { return cursor_; }
    // The lines that the view paints, [first, end): the page and a partly visible line.
    std::pair<uint64_t, uint64_t> PaintedLines() const;
    // Where the first character of the top line stands in the client area, and how far apart
    // the lines are: as in the EDIT view the first edit turns to.
    POINT Origin() const { return origin_; }
    int LineHeight() const { return lineHeight_; }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Respond(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT& area);
    void MeasureEdit(HWND parent, int width);
    void Measure();
    void Moved();  // the caret, selection or top changed: scroll bar, caret and screen follow
    void PlaceCaret();
    int TextWidth(HDC dc, const std::wstring& line, size_t characters) const;
    RowPoint PointAt(int x, int y) const;
    void Scroll(WPARAM request);
    void KeyDown(WPARAM key, LPARAM flags);
    void Character(WPARAM character, LPARAM flags);
    void Copy();
    bool BecomeText();

    Look look_;
    RowCursor cursor_;
    EditView& text_;
    LineList& lines_;
    const Platform::Desktop& desktop_;  // the first edit and copies run in its error handler
    POINT origin_{1, 1};
    int lineHeight_ = 16;
    int wheel_ = 0;  // wheel movement not yet turned into lines
    bool edited_ = false;
};

}  // namespace Win32
