// The windowing operations that the four windows need, written once and realised by each
// backend (in-memory for tests, Qt, Win32). Texts are CP1251 bytes; the backends convert. File
// names are the platform's own (std::filesystem::path) and pass through unconverted.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class LineList;
class RowEditor;

namespace Platform {

struct Color {
    uint8_t Red = 0, Green = 0, Blue = 0;
    bool operator==(const Color&) const = default;
};

struct Font {
    std::string Face;  // "Courier", "System": a backend substitutes a face of the same kind
    int PixelHeight = 16;
    bool Bold = false;
    Color Colour;
    bool operator==(const Font&) const = default;
};

enum class Border { Fixed, Sizeable };
enum class ScrollBars { Vertical, Both };

struct WindowSpec {
    std::string Caption;
    int Left = 0, Top = 0;
    int Width = 0, Height = 0;
    bool ClientSize = false;  // Width and Height are the client area below the menu bar
    Border Frame = Border::Sizeable;
    bool SystemMenu = false;  // window menu and close button only; false: no caption buttons
};

struct Rect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

// Where a control stands in its window's client area.
struct Placement {
    bool FillClient = false;  // the whole client area, following the window's size
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool AnchorBottom = false;  // the bottom edge keeps its distance from the client's bottom

    // The distance to the bottom of a client area this high that a bottom-anchored control keeps
    // once the window has its first size. A window smaller than designed still shows the
    // control's bottom edge.
    int BottomGapIn(int clientHeight) const { return std::max(0, clientHeight - Top - Height); }
    // Where the control stands in a client area of the given size; `bottomGap` is the distance a
    // bottom-anchored control keeps, negative while it is not fixed and the designed height holds.
    Rect In(int clientWidth, int clientHeight, int bottomGap) const {
        if (FillClient) return {0, 0, clientWidth, clientHeight};
        if (!AnchorBottom || bottomGap < 0) return {Left, Top, Width, Height};
        return {Left, Top, Width, std::max(0, clientHeight - Top - bottomGap)};
    }
};

struct TextViewSpec {
    Placement Where;
    Color Background = {};
    ::Platform::Font Font = {};  // qualified: GCC rejects a member that re-declares its type's name
    ScrollBars Bars = ScrollBars::Vertical;
};

struct LabelSpec {  // a one-line label with a lowered edge
    Placement Where;
    Color Background;
    ::Platform::Font Font;
};

struct PanelSpec {  // a status line with a raised outer and lowered inner bevel
    Placement Where;
    Color Background;
    ::Platform::Font Font;
    std::string Text;
};

// A key press: the virtual-key code and the modifier states.
struct KeyPress {
    uint8_t VirtualKey = 0;
    bool Shift = false, Ctrl = false, Alt = false;
    bool operator==(const KeyPress&) const = default;
};

struct MenuItem {
    std::string Caption;                 // "&" marks the access letter
    uint16_t Shortcut = 0;               // shown beside drop-down items; 0: none
    std::function<void()> Command = {};  // empty for drop-downs and items without a command
    std::vector<MenuItem> Items = {};    // non-empty: a drop-down on the bar
};

class TextView {
  public:
    virtual ~TextView() = default;
    // Puts the caret at the start of line `index` without showing or raising the window.
    virtual void SetCaretLine(int32_t index) = 0;
};

// Rows of text that a view draws on demand, only those on screen: the whole text never exists.
class RowSource {
  public:
    virtual ~RowSource() = default;
    virtual uint64_t RowCount() const = 0;
    // Row `row` (below RowCount) without a line break.
    virtual std::string Row(uint64_t row) const = 0;
    // Rows first..first+count-1, each followed by CR LF, appended to `out`.
    virtual void AppendRows(std::string& out, uint64_t first, uint64_t count) const {
        for (uint64_t row = first; row < first + count; ++row) out.append(Row(row)).append("\r\n");
    }
    // How many bytes of the document those rows show: what a copy of them is measured in.
    virtual uint64_t BytesOf(uint64_t first, uint64_t count) const = 0;
};

// The screen side of a view whose behaviour lives in a RowEditor: the backend paints the lines
// the editor holds, only those on screen, and turns its input into calls on the editor.
class RowView {
  public:
    virtual ~RowView() = default;
    // The editor's text, caret, selection or scroll position changed: show it as it is now.
    virtual void Changed() = 0;
    // The platform's clipboard, as CP1251 text.
    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
};

// Runs an action that the user started inside the program's error boundary. Returns true when
// it completed, false when it failed and the user has been told.
using Guard = std::function<bool(const std::function<void()>& action)>;

class TextControl {  // a label or a status panel
  public:
    virtual ~TextControl() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
};

class Window {
  public:
    virtual ~Window() = default;
    virtual void Place(int left, int top) = 0;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    // Makes the window visible, raises it above the program's other windows and activates it.
    virtual void Show() = 0;
    virtual void Hide() = 0;  // keeps the contents
    // Asks for the window to close, as its close button does.
    virtual void Close() = 0;
    // Called on a close request; the main window's default ends the message loop.
    virtual void OnCloseRequest(std::function<void()> handler) = 0;

    virtual void SetMenu(std::vector<MenuItem> bar) = 0;  // an empty bar shows no menu bar
    // The view shows `lines` from now on and sets its capacity; `lines` must outlive the window.
    virtual TextView& AddTextView(const TextViewSpec& spec, LineList& lines) = 0;
    // A view that shows `editor` and feeds it the user's input; the view attaches itself to the
    // editor, which must outlive the window.
    virtual RowView& AddRowView(const TextViewSpec& spec, RowEditor& editor) = 0;
    virtual TextControl& AddLabel(const LabelSpec& spec) = 0;
    virtual TextControl& AddPanel(const PanelSpec& spec) = 0;
};

// The progress window of a long piece of work; it goes when the object goes.
class Progress {
  public:
    virtual ~Progress() = default;
    // Shows `text` and, where known, the share done (0 to 100); then delivers the events that
    // wait, so that the windows repaint and "Отмена" can be pressed. False once it has been.
    virtual bool Update(const std::string& text, std::optional<int> percent) = 0;
};

// The desktop the windows live on: it creates them, shows the modal dialogs and delivers input.
class Desktop {
  public:
    virtual ~Desktop() = default;
    virtual void SetApplicationTitle(const std::string& title) = 0;
    virtual int ScreenWidth() = 0;
    virtual std::unique_ptr<Window> NewWindow(const WindowSpec& spec) = 0;
    // Modal; offers `initialPath` as the file name. Returns the chosen path, or nothing.
    virtual std::optional<std::filesystem::path> OpenFileDialog(
        const std::filesystem::path& initialPath) = 0;
    // Modal over every window: the caption, the text, the stop icon and one OK button.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
    // Modal over every window: `caption`, one line field holding `initial`, "OK" and "Отмена";
    // Enter and Escape answer it. Returns the field's CP1251 text, or nothing when cancelled.
    virtual std::optional<std::string> Prompt(const std::string& caption,
                                              const std::string& initial) = 0;
    // Receives every key press in every window of the program before the focused control does;
    // a press for which it returns true goes no further.
    virtual void SetKeyHandler(std::function<bool(const KeyPress&)> handler) {
        keyHandler_ = std::move(handler);
    }
    bool HasKeyHandler() const { return keyHandler_ != nullptr; }
    // For the backends: hands a key press to the key handler inside the error boundary. True when
    // the handler took it; a command that failed took its key too. False without a handler.
    bool DeliverKey(const KeyPress& key) const {
        if (!keyHandler_) return false;
        bool handled = true;
        const auto handler = keyHandler_;  // a command may replace the handler
        Guarded([&] { handled = handler(key); });
        return handled;
    }
    // The one error boundary: menu commands, the key handler and the row views' edits and copies
    // run inside it. Until one is set, actions run unguarded.
    virtual void SetErrorHandler(Guard handler) { errorHandler_ = std::move(handler); }
    // Runs an action of the user's inside the error handler; false when it failed.
    bool Guarded(const std::function<void()>& action) const {
        if (!errorHandler_) {
            action();
            return true;
        }
        return errorHandler_(action);
    }
    // Shows `main`, then delivers input until `main` closes. Returns the exit code.
    virtual int Run(Window& main) = 0;

    // Questions, long loads and the end of the loop.
    enum class Answer { Yes, No, Cancel };
    // Modal over every window: the caption, the text, the question icon and the buttons "Да"
    // (the default), "Нет" and "Отмена", in Russian whatever the system's language. Closing
    // the box answers Cancel.
    virtual Answer Ask(const std::string& caption, const std::string& text) = 0;
    // Shows a small progress window with `name` (a file name, shortened in the middle where it
    // does not fit), a line of text and "Отмена". While it is up, the program's other windows
    // take no input, but they repaint whenever the progress is updated.
    virtual std::unique_ptr<Progress> ShowProgress(const std::string& name) = 0;
    // Ends the loop of Run, as a main window without a close handler does when it closes.
    virtual void Quit() = 0;

  private:
    Guard errorHandler_;
    std::function<bool(const KeyPress&)> keyHandler_;
};

}  // namespace Platform
