#include "RowCursor.h"

#include <algorithm>

#include "Errors.h"

namespace {

// Virtual-key codes of the navigation keys.
constexpr uint8_t KeyPageUp = 0x21, KeyPageDown = 0x22, KeyEnd = 0x23, KeyHome = 0x24;
constexpr uint8_t KeyLeft = 0x25, KeyUp = 0x26, KeyRight = 0x27, KeyDown = 0x28;
constexpr uint8_t KeyInsert = 0x2D, KeyA = 'A', KeyC = 'C';

}  // namespace

void RowCursor::Reset() {
    caret_ = anchor_ = {};
    wantedColumn_ = 0;
    top_ = 0;
}

std::string RowCursor::Line(uint64_t line) const {
    return line < rows_.RowCount() ? rows_.Row(line) : std::string();
}

uint32_t RowCursor::Length(uint64_t line) const {
    return static_cast<uint32_t>(Line(line).size());
}

void RowCursor::SetPageLines(uint32_t lines) {
    page_ = std::max<uint32_t>(lines, 1);
    ScrollTo(top_);
}

uint64_t RowCursor::MaxTop() const {
    const uint64_t count = LineCount();
    return count > page_ ? count - page_ : 0;
}

void RowCursor::ScrollTo(uint64_t top) {
    top_ = std::min(top, MaxTop());
}

void RowCursor::ScrollBy(int64_t lines) {
    if (lines < 0) {
        const uint64_t up = static_cast<uint64_t>(-lines);
        ScrollTo(top_ > up ? top_ - up : 0);
    } else {
        ScrollTo(top_ + static_cast<uint64_t>(lines));
    }
}

void RowCursor::KeepCaretInView() {
    if (caret_.Line < top_)
        top_ = caret_.Line;
    else if (caret_.Line >= top_ + page_)
        top_ = caret_.Line - page_ + 1;
    ScrollTo(top_);
}

void RowCursor::MoveTo(RowPoint to, bool extend, bool keepColumn) {
    to.Line = std::min(to.Line, LineCount() - 1);
    to.Column = std::min(to.Column, Length(to.Line));
    caret_ = to;
    if (!extend) anchor_ = to;
    if (!keepColumn) wantedColumn_ = to.Column;
    KeepCaretInView();
}

bool RowCursor::Navigate(const Platform::KeyPress& key) {
    if (key.Alt) return false;
    const bool extend = key.Shift;
    const uint64_t last = LineCount() - 1;
    RowPoint to = caret_;
    switch (key.VirtualKey) {
        case KeyLeft:
            if (to.Column > 0)
                --to.Column;
            else if (to.Line > 0)
                to = {to.Line - 1, Length(to.Line - 1)};
            break;
        case KeyRight:
            if (to.Column < Length(to.Line))
                ++to.Column;
            else if (to.Line < last)
                to = {to.Line + 1, 0};
            break;
        case KeyUp:
        case KeyDown:
        case KeyPageUp:
        case KeyPageDown: {
            const uint64_t step = key.VirtualKey == KeyUp || key.VirtualKey == KeyDown ? 1 : page_;
            const bool down = key.VirtualKey == KeyDown || key.VirtualKey == KeyPageDown;
            if (key.Ctrl && step == 1) {  // Ctrl with an arrow scrolls without moving the caret
                ScrollBy(down ? 1 : -1);
                return true;
            }
            const uint64_t line =
                down ? std::min(last, to.Line + step) : (to.Line > step ? to.Line - step : 0);
            if (step > 1) ScrollBy(down ? int64_t(step) : -int64_t(step));
            MoveTo({line, wantedColumn_}, extend, true);
            return true;
        }
        case KeyHome:
            to = key.Ctrl ? RowPoint{} : RowPoint{to.Line, 0};
            break;
        case KeyEnd:
            to = key.Ctrl ? RowPoint{last, Length(last)} : RowPoint{to.Line, Length(to.Line)};
            break;
        case KeyA:
            if (!key.Ctrl || key.Shift) return false;
            anchor_ = {};
            MoveTo({last, Length(last)}, true);
            return true;
        default:
            return false;
    }
    if (key.Ctrl && key.VirtualKey != KeyHome && key.VirtualKey != KeyEnd) return false;
    MoveTo(to, extend);
    return true;
}

bool RowCursor::IsCopy(const Platform::KeyPress& key) {
    return key.Ctrl && !key.Alt && !key.Shift &&
           (key.VirtualKey == KeyC || key.VirtualKey == KeyInsert);
}

void RowCursor::Click(RowPoint at, bool extend) {
    MoveTo(at, extend);
}

std::pair<uint32_t, uint32_t> RowCursor::SelectedColumns(uint64_t line) const {
    const RowPoint first = std::min(caret_, anchor_), second = std::max(caret_, anchor_);
    if (line < first.Line || line > second.Line || first == second) return {0, 0};
    const uint32_t from = line == first.Line ? first.Column : 0;
    const uint32_t to = line == second.Line ? second.Column : Length(line) + 1;
    return {from, to};
}

std::string RowCursor::SelectedText(size_t limit) const {
    const RowPoint first = std::min(caret_, anchor_), second = std::max(caret_, anchor_);
    // Rows are at most a few dozen characters: an estimate from the first line's width refuses
    // a huge selection before any of it is built.
    const uint64_t lines = second.Line - first.Line + 1;
    const uint64_t estimate = (lines - 1) * (uint64_t{Length(first.Line)} + 2);
    if (estimate > limit) throw ECapacityError();
    std::string text;
    for (uint64_t line = first.Line; line <= second.Line; ++line) {
        const std::string whole = Line(line);
        const auto [from, to] = SelectedColumns(line);
        const size_t end = std::min<size_t>(to, whole.size());
        if (from < end) text.append(whole, from, end - from);
        if (to > whole.size()) text.append("\r\n");
        if (text.size() > limit) throw ECapacityError();
    }
    return text;
}

void RowCursor::WriteText(LineList& text) const {
    std::string all;
    const uint64_t rows = rows_.RowCount();
    for (uint64_t row = 0; row < rows; ++row) {
        all.append(rows_.Row(row)).append("\r\n");
        if (all.size() > text.Capacity()) throw ECapacityError();
    }
    text.SetText(std::move(all));
}
