// A windowing platform that keeps everything in memory: it records what the program asks of the
// screen and lets a test act as the user (choose menu items, type, press keys, answer dialogs).
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "LineList.h"
#include "Platform.h"
#include "RowCursor.h"

class MemoryPlatform;

// A text view: its displayed text is kept in step with the bound LineList.
class MemoryTextView : public Platform::TextView, public LineListView {
  public:
    MemoryTextView(LineList& lines, size_t capacity);
    ~MemoryTextView() override;
    MemoryTextView(const MemoryTextView&) = delete;
    MemoryTextView& operator=(const MemoryTextView&) = delete;

    void SetCaretLine(int32_t index) override;
    void TextReplaced(std::string_view text) override;
    void TextAppended(std::string_view bytes) override;
    std::string ReadText() override;

    // Types at the end of the text as the user would; what goes beyond the capacity is refused.
    void TypeText(const std::string& text);

    LineList& Lines;
    std::string Displayed;
    size_t Caret = 0;  // byte offset into Displayed
    int Appends = 0, Reads = 0;
};

// A view over rows drawn on demand: it shows PageLines() lines from the cursor's top, or, once
// the user has edited it, the text view over its LineList.
class MemoryRowView : public Platform::RowView {
  public:
    MemoryRowView(MemoryPlatform& platform, const Platform::TextViewSpec& spec,
                  const Platform::RowSource& rows, LineList& text);

    void ShowRows() override;

    // What the view shows: the lines on screen, or the whole text once edited; CR LF between.
    std::string Displayed() const;
    bool Edited() const { return edited_; }
    // A key the program's key handler left alone: navigation, copy, or an edit key (Enter,
    // Backspace, Delete) that turns the rows into text first.
    void PressKey(const Platform::KeyPress& key);
    // Types at the caret; the first edit turns the rows into text.
    void TypeText(const std::string& text);

    RowCursor Cursor;
    MemoryTextView Text;

  private:
    bool BecomeText();

    MemoryPlatform& platform_;
    bool edited_ = false;
};

// A label or a status panel.
class MemoryText : public Platform::TextControl {
  public:
    explicit MemoryText(std::string text) : Value(std::move(text)) {}
    void SetText(const std::string& text) override { Value = text; }
    std::string Text() const override { return Value; }

    std::string Value;
};

class MemoryWindow : public Platform::Window {
  public:
    MemoryWindow(MemoryPlatform& platform, const Platform::WindowSpec& spec);
    ~MemoryWindow() override;
    MemoryWindow(const MemoryWindow&) = delete;
    MemoryWindow& operator=(const MemoryWindow&) = delete;

    void SetCaption(const std::string& caption) override { Spec.Caption = caption; }
    std::string Caption() const override { return Spec.Caption; }
    void Place(int left, int top) override { Spec.Left = left, Spec.Top = top; }
    int Left() const override { return Spec.Left; }
    int Top() const override { return Spec.Top; }
    void Show() override;
    void Hide() override;
    bool Visible() const override { return Shown; }
    void Close() override;
    void OnCloseRequest(std::function<void()> handler) override;
    void SetMenu(std::vector<Platform::MenuItem> bar) override;
    Platform::TextView& AddTextView(const Platform::TextViewSpec& spec, LineList& lines) override;
    Platform::RowView& AddRowView(const Platform::TextViewSpec& spec,
                                  const Platform::RowSource& rows, LineList& text) override;
    Platform::TextControl& AddLabel(const Platform::LabelSpec& spec) override;
    Platform::TextControl& AddPanel(const Platform::PanelSpec& spec) override;

    // Chooses the item reached through `captions` (bar item first), as a click would.
    void ChooseMenu(const std::vector<std::string>& captions);

    Platform::WindowSpec Spec;  // Left and Top follow Place
    bool Shown = false;
    std::vector<Platform::MenuItem> MenuBar;
    std::vector<std::unique_ptr<MemoryTextView>> TextViews;
    std::vector<std::unique_ptr<MemoryRowView>> RowViews;
    std::vector<std::unique_ptr<MemoryText>> Labels, Panels;

  private:
    MemoryPlatform& platform_;
    std::function<void()> closeHandler_;
};

class MemoryPlatform : public Platform::Desktop {
  public:
    MemoryPlatform() = default;
    ~MemoryPlatform() override;
    MemoryPlatform(const MemoryPlatform&) = delete;
    MemoryPlatform& operator=(const MemoryPlatform&) = delete;

    void SetApplicationTitle(const std::string&) override {}
    int ScreenWidth() override { return ScreenWidthValue; }
    std::unique_ptr<::Platform::Window> NewWindow(const ::Platform::WindowSpec& spec) override;
    std::optional<std::filesystem::path> OpenFileDialog(
        const std::filesystem::path& initialPath) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
    void SetKeyHandler(std::function<bool(const ::Platform::KeyPress&)> handler) override;
    // Shows `main`, then performs RunActions in order until `main` closes. Returns 0.
    int Run(::Platform::Window& main) override;

    // Presses a key while `focused` has the focus; true when the key handler took it. A key it
    // leaves goes to the window's row view, if it has one.
    bool PressKey(MemoryWindow& focused, const ::Platform::KeyPress& key);
    MemoryWindow* ActiveWindow() const { return active_; }
    bool IsAbove(const MemoryWindow& upper, const MemoryWindow& lower) const;
    // Live windows, bottom of the stacking order first.
    const std::vector<MemoryWindow*>& StackingOrder() const { return stack_; }
    // Live windows in the order they were created.
    const std::vector<MemoryWindow*>& Windows() const { return windows_; }

    // Chosen by the test.
    int ScreenWidthValue = 1024;
    size_t ViewCapacity = LineList::Unlimited;  // given to each text view's list
    std::deque<std::optional<std::filesystem::path>> DialogAnswers;  // none left: the user cancels
    std::vector<std::function<void()>> RunActions;

    // Recorded.
    struct Box {
        std::string Caption, Text;
    };
    std::vector<std::filesystem::path> DialogOffers;  // the initial path each dialog offered
    std::string Clipboard;                            // what the last copy put there
    std::vector<Box> MessageBoxes;
    bool LoopEnded = false;  // the main window closed

  private:
    friend class MemoryWindow;
    void Raise(MemoryWindow& window);
    void Hidden(MemoryWindow& window);
    void Closed(MemoryWindow& window);
    void Forget(MemoryWindow& window);

    std::vector<MemoryWindow*> windows_;
    std::vector<MemoryWindow*> stack_;
    MemoryWindow* active_ = nullptr;
    ::Platform::Window* main_ = nullptr;
    std::function<bool(const ::Platform::KeyPress&)> keyHandler_;
};
