#include "RowEditor.h"

#include <algorithm>

#include "Cp1251.h"
#include "Errors.h"
#include "Keys.h"
#include "ShortCut.h"

RowEditor::RowEditor(const Platform::RowSource& rows, const Platform::Desktop& desktop)
    : text_(rows), desktop_(desktop) {
    Commands = {
        {Cp1251::FromUtf8("Копировать"), ShortCut::Encode('C', false, true), [this] { Copy(); }},
        {Cp1251::FromUtf8("Выделить всё"), ShortCut::Encode('A', false, true),
         [this] { SelectAll(); }},
    };
}

void RowEditor::Attach(Platform::RowView& view, size_t capacity) {
    view_ = &view;
    capacity_ = capacity;
}

std::vector<Platform::MenuItem> RowEditor::ContextMenu() {
    std::vector<Platform::MenuItem> menu = Commands;
    for (size_t index = 0; index < menu.size(); ++index)
        menu[index].Command = [this, index] {
            Input([this, index] { Commands[index].Command(); });
        };
    return menu;
}

void RowEditor::Changed() {
    if (view_) view_->Changed();
}

template <typename Action>
void RowEditor::Input(Action&& action) {
    desktop_.Guarded(action);
    Changed();
}

void RowEditor::Reset() {
    text_.Reset();
    caret_ = anchor_ = {};
    wantedColumn_ = 0;
    top_ = 0;
    left_ = 0;
    Changed();
}

uint64_t RowEditor::MaxTop() const {
    const uint64_t count = LineCount();
    return count > pageLines_ ? count - pageLines_ : 0;
}

void RowEditor::SetPage(uint32_t lines, uint32_t columns) {
    pageLines_ = std::max<uint32_t>(lines, 1);
    pageColumns_ = columns;
    top_ = std::min(top_, MaxTop());
    Changed();
}

void RowEditor::ScrollTo(uint64_t top) {
    top_ = std::min(top, MaxTop());
    Changed();
}

void RowEditor::ScrollBy(int64_t lines) {
    const uint64_t up = lines < 0 ? static_cast<uint64_t>(-lines) : 0;
    ScrollTo(lines < 0 ? (top_ > up ? top_ - up : 0) : top_ + static_cast<uint64_t>(lines));
}

void RowEditor::KeepCaretInView() {
    if (caret_.Line < top_)
        top_ = caret_.Line;
    else if (caret_.Line >= top_ + pageLines_)
        top_ = caret_.Line - pageLines_ + 1;
    top_ = std::min(top_, MaxTop());
    if (pageColumns_ == 0) return;
    if (caret_.Column < left_)
        left_ = caret_.Column;
    else if (caret_.Column > left_ + pageColumns_)
        left_ = caret_.Column - pageColumns_;
}

void RowEditor::MoveTo(RowPoint to, bool extend, bool keepColumn) {
    to.Line = std::min(to.Line, LineCount() - 1);
    to.Column = std::min(to.Column, text_.Length(to.Line));
    caret_ = to;
    if (!extend) anchor_ = to;
    if (!keepColumn) wantedColumn_ = to.Column;
    KeepCaretInView();
}

void RowEditor::Click(RowPoint at, bool extend) {
    MoveTo(at, extend);
    Changed();
}

void RowEditor::Select(RowSelection selection) {
    MoveTo(selection.Anchor, false);
    MoveTo(selection.Caret, true);
}

void RowEditor::SelectAll() {
    const uint64_t last = LineCount() - 1;
    Select({{}, {last, text_.Length(last)}});
}

bool RowEditor::Key(const Platform::KeyPress& key) {
    bool taken = true;  // a key whose action fails was taken all the same
    Input([&] {
        for (const Platform::MenuItem& command : Commands) {
            if (ShortCut::Matches(command.Shortcut, key)) return command.Command();
        }
        taken = Navigate(key) || Edit(key);
    });
    return taken;
}

bool RowEditor::Navigate(const Platform::KeyPress& key) {
    if (key.Alt) return false;
    const bool extend = key.Shift;
    const uint64_t last = LineCount() - 1;
    RowPoint to = caret_;
    switch (key.VirtualKey) {
        case Keys::Left:
            if (to.Column > 0)
                --to.Column;
            else if (to.Line > 0)
                to = {to.Line - 1, text_.Length(to.Line - 1)};
            break;
        case Keys::Right:
            if (to.Column < text_.Length(to.Line))
                ++to.Column;
            else if (to.Line < last)
                to = {to.Line + 1, 0};
            break;
        case Keys::Up:
        case Keys::Down:
        case Keys::PageUp:
        case Keys::PageDown: {
            const bool arrow = key.VirtualKey == Keys::Up || key.VirtualKey == Keys::Down;
            const uint64_t step = arrow ? 1 : pageLines_;
            const bool down = key.VirtualKey == Keys::Down || key.VirtualKey == Keys::PageDown;
            if (key.Ctrl && arrow) {  // Ctrl with an arrow scrolls without moving the caret
                ScrollBy(down ? 1 : -1);
                return true;
            }
            const uint64_t line =
                down ? std::min(last, to.Line + step) : (to.Line > step ? to.Line - step : 0);
            if (!arrow) {
                const uint64_t top = down ? top_ + step : (top_ > step ? top_ - step : 0);
                top_ = std::min(top, MaxTop());
            }
            MoveTo({line, wantedColumn_}, extend, true);
            return true;
        }
        case Keys::Home:
            to = key.Ctrl ? RowPoint{} : RowPoint{to.Line, 0};
            break;
        case Keys::End:
            to = key.Ctrl ? RowPoint{last, text_.Length(last)}
                          : RowPoint{to.Line, text_.Length(to.Line)};
            break;
        default:
            return false;
    }
    if (key.Ctrl && key.VirtualKey != Keys::Home && key.VirtualKey != Keys::End) return false;
    MoveTo(to, extend);
    return true;
}

bool RowEditor::Edit(const Platform::KeyPress& key) {
    const bool plain = !key.Shift && !key.Ctrl && !key.Alt;
    const bool ctrl = key.Ctrl && !key.Alt;
    switch (key.VirtualKey) {
        case Keys::Return:
            if (!plain) return false;
            Replace(First(), Last(), "\r\n");
            return true;
        case Keys::Back:
            if (key.Alt && !key.Ctrl) {
                Show(text_.Undo());
            } else if (plain || (key.Shift && !key.Ctrl && !key.Alt)) {
                if (HasSelection()) {
                    Replace(First(), Last(), "");
                } else if (caret_.Column > 0) {
                    Replace({caret_.Line, caret_.Column - 1}, caret_, "");
                } else if (caret_.Line > 0) {
                    Replace({caret_.Line - 1, text_.Length(caret_.Line - 1)}, caret_, "");
                }
            } else {
                return false;
            }
            return true;
        case Keys::Delete:
            if (key.Shift && !key.Ctrl && !key.Alt) {
                Cut();
            } else if (plain) {
                if (HasSelection()) {
                    Replace(First(), Last(), "");
                } else if (caret_.Column < text_.Length(caret_.Line)) {
                    Replace(caret_, {caret_.Line, caret_.Column + 1}, "");
                } else if (caret_.Line + 1 < LineCount()) {
                    Replace(caret_, {caret_.Line + 1, 0}, "");
                }
            } else {
                return false;
            }
            return true;
        case Keys::Insert:
            if (key.Shift && !key.Ctrl && !key.Alt)
                Paste();
            else if (ctrl && !key.Shift)
                Copy();
            else
                return false;
            return true;
        case 'V':
        case 'X':
        case 'Z':
        case 'Y':
            if (!ctrl) return false;
            if (key.VirtualKey == 'V' && !key.Shift)
                Paste();
            else if (key.VirtualKey == 'X' && !key.Shift)
                Cut();
            else if (key.VirtualKey == 'Z' && !key.Shift)
                Show(text_.Undo());
            else if (key.VirtualKey == 'Y' || key.VirtualKey == 'Z')
                Show(text_.Redo());
            else
                return false;
            return true;
        default:
            return false;
    }
}

void RowEditor::Type(std::string_view text) {
    Input([&] {
        const bool typing = !HasSelection() && text.find_first_of("\r\n") == text.npos;
        Replace(First(), Last(), text, typing);
    });
}

void RowEditor::Replace(RowPoint from, RowPoint to, std::string_view text, bool typing) {
    const RowPoint end = text_.Replace(from, to, text, {anchor_, caret_}, typing);
    MoveTo(end, false);
}

void RowEditor::Show(const std::optional<RowSelection>& selection) {
    if (selection) Select(*selection);
}

void RowEditor::Paste() {
    const std::string text = view_ ? view_->ClipboardText() : std::string();
    if (text.size() > capacity_) throw ECapacityError();
    if (!text.empty()) Replace(First(), Last(), text);
}

void RowEditor::Cut() {
    if (!HasSelection()) return;
    Copy();
    Replace(First(), Last(), "");
}

std::pair<uint32_t, uint32_t> RowEditor::SelectedColumns(uint64_t line) const {
    const RowPoint first = First(), last = Last();
    if (line < first.Line || line > last.Line || first == last) return {0, 0};
    const uint32_t from = line == first.Line ? first.Column : 0;
    const uint32_t to = line == last.Line ? last.Column : text_.Length(line) + 1;
    return {from, to};
}

std::string RowEditor::SelectedText() const {
    std::string text;
    // Room for lines as wide as the first, so that a large copy is not moved as it grows.
    const uint64_t lines = Last().Line - First().Line + 1;
    text.reserve(static_cast<size_t>(
        std::min<uint64_t>(lines * (text_.Length(First().Line) + 2), CopyLimit * 8)));
    text_.AppendText(text, First(), Last());
    return text;
}

void RowEditor::Copy() {
    if (!HasSelection() || !view_) return;
    const uint64_t bytes = text_.Bytes(First(), Last());
    if (bytes > CopyLimit) {
        const uint64_t megabytes = (bytes + (uint64_t{1} << 20) - 1) >> 20;
        throw Exception(Cp1251::FromUtf8("Выделено слишком много для буфера обмена: ") +
                        std::to_string(megabytes) + Cp1251::FromUtf8(" МБ (не больше 64 МБ)."));
    }
    view_->SetClipboardText(SelectedText());
}
