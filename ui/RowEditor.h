// The whole behaviour of a view over rows drawn on demand: caret, selection, scrolling, editing,
// undo, copying and the view's own commands. Kept apart from any toolkit: a backend paints the
// lines it holds, only those on screen, and turns its input into calls on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Platform.h"
#include "RowText.h"

class RowEditor {
  public:
    // Input runs inside `desktop`'s error handler: an edit or a copy that fails does not happen.
    RowEditor(const Platform::RowSource& rows, const Platform::Desktop& desktop);

    // `view` shows this editor from now on; `capacity` is the most characters one paste adds.
    void Attach(Platform::RowView& view, size_t capacity);

    // The view's commands: keys that run them and the view's context menu. Copy and select all
    // come first; a window adds its own.
    std::vector<Platform::MenuItem> Commands;
    // The commands as the context menu offers them: each runs as input does.
    std::vector<Platform::MenuItem> ContextMenu();

    // The source changed: its rows from the top, the caret at the start, edits dropped.
    void Reset();

    // What a backend paints.
    const RowText& Text() const { return text_; }
    uint64_t LineCount() const { return text_.LineCount(); }
    std::string Line(uint64_t line) const { return text_.Line(line); }
    uint64_t Top() const { return top_; }
    uint64_t MaxTop() const;
    uint32_t PageLines() const { return pageLines_; }
    uint32_t Left() const { return left_; }  // the first column shown
    RowPoint Caret() const { return caret_; }
    RowPoint Anchor() const { return anchor_; }
    bool HasSelection() const { return caret_ != anchor_; }
    // The selected columns of `line`, [first, second); second is the line's length plus one when
    // its line break is selected too. Equal values: nothing selected there.
    std::pair<uint32_t, uint32_t> SelectedColumns(uint64_t line) const;

    // The backend's input. Each shows its result through the view.
    // A key press: navigation, editing, clipboard, undo and the commands. False when the key is
    // none of these (Tab, function keys), for the backend to pass on.
    bool Key(const Platform::KeyPress& key);
    void Type(std::string_view text);  // characters typed, CP1251
    void Click(RowPoint at, bool extend);
    // How many whole lines and columns the view shows (at least 1); the caret stays in view.
    void SetPage(uint32_t lines, uint32_t columns);
    void ScrollTo(uint64_t top);  // clamped; the caret does not move
    void ScrollBy(int64_t lines);

    // For the window's commands.
    void Select(RowSelection selection);  // the caret is scrolled into view
    void SelectAll();
    // Puts the selection on the clipboard. More than CopyLimit bytes of the document are refused
    // with a message, and the clipboard keeps what it held.
    void Copy();
    static constexpr uint64_t CopyLimit = uint64_t{64} << 20;
    // The selection as text, CR LF between lines.
    std::string SelectedText() const;

  private:
    RowPoint First() const { return std::min(caret_, anchor_); }
    RowPoint Last() const { return std::max(caret_, anchor_); }
    bool Navigate(const Platform::KeyPress& key);
    bool Edit(const Platform::KeyPress& key);
    void MoveTo(RowPoint to, bool extend, bool keepColumn = false);
    void KeepCaretInView();
    // Replaces the selection, or the range given, with `text`.
    void Replace(RowPoint from, RowPoint to, std::string_view text, bool typing = false);
    void Paste();
    void Cut();
    void Show(const std::optional<RowSelection>& selection);  // after undo or redo
    // Runs an input action inside the error handler, then shows the result.
    template <typename Action>
    void Input(Action&& action);
    void Changed();

    RowText text_;
    const Platform::Desktop& desktop_;
    Platform::RowView* view_ = nullptr;
    size_t capacity_ = 0;
    RowPoint caret_, anchor_;
    uint32_t wantedColumn_ = 0;  // where Up and Down aim, as in a text editor
    uint64_t top_ = 0;
    uint32_t left_ = 0;
    uint32_t pageLines_ = 1, pageColumns_ = 0;  // 0 columns: not known, nothing scrolls sideways
};
