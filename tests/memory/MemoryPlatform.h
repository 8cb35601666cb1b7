// A windowing platform that keeps everything in memory: it records what the program asks of the
// screen and lets a test act as the user (choose menu items, type, press keys, answer dialogs).
// It is its own probe for the platform contract.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BackendProbe.h"
#include "LineList.h"
#include "Platform.h"
#include "RowCursor.h"

class MemoryPlatform;

// A text view whose displayed text follows its LineList.
class MemoryTextView : public Platform::TextView, public LineListView {
  public:
    explicit MemoryTextView(LineList& lines) : Lines(lines) { Lines.Bind(this); }
    ~MemoryTextView() override { Lines.Bind(nullptr); }

    void SetCaretLine(int32_t index) override;
    void TextReplaced(std::string_view text) override { Displayed = text; }
    void TextAppended(std::string_view bytes) override;
    std::string ReadText() override { return Displayed; }
    // Types at the end of the text as the user would.
    void TypeText(const std::string& text);

    LineList& Lines;
    std::string Displayed;
    size_t Caret = 0;  // byte offset into Displayed
    int Appends = 0;
};

// A view over rows drawn on demand: it shows a page of lines from the cursor's top, or, once the
// user has edited it, the text view over its LineList.
class MemoryRowView : public Platform::RowView {
  public:
    MemoryRowView(MemoryPlatform& platform, const Platform::TextViewSpec& spec,
                  const Platform::RowSource& rows, LineList& text);

    void ShowRows() override;
    // The lines on screen, or the whole text once edited; CR LF between.
    std::string Displayed() const;
    // A key the program's key handler left alone: navigation or copy.
    void PressKey(const Platform::KeyPress& key);
    // Types at the caret; the first edit turns the rows into text.
    void TypeText(const std::string& text);

    RowCursor Cursor;
    MemoryTextView Text;
    bool Edited = false;

  private:
    MemoryPlatform& platform_;
};

// A label or a status panel.
class MemoryText : public Platform::TextControl {
  public:
    void SetText(const std::string& text) override { Value = text; }
    std::string Text() const override { return Value; }

    std::string Value;
};

class MemoryWindow : public Platform::Window {
  public:
    MemoryWindow(MemoryPlatform& platform, const Platform::WindowSpec& spec);
    ~MemoryWindow() override;

    void SetCaption(const std::string& caption) override { Spec.Caption = caption; }
    std::string Caption() const override { return Spec.Caption; }
    void Place(int left, int top) override { Spec.Left = left, Spec.Top = top; }
    int Left() const override { return Spec.Left; }
    int Top() const override { return Spec.Top; }
    void Show() override;
    void Hide() override { Shown = false; }
    bool Visible() const override { return Shown; }
    void Close() override;
    void OnCloseRequest(std::function<void()> handler) override {
        closeHandler_ = std::move(handler);
    }
    void SetMenu(std::vector<Platform::MenuItem> bar) override { MenuBar = std::move(bar); }
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
    std::vector<std::unique_ptr<MemoryText>> Texts;  // labels and panels

  private:
    MemoryPlatform& platform_;
    std::function<void()> closeHandler_;
};

class MemoryPlatform : public Platform::Desktop, public BackendProbe {
  public:
    void SetApplicationTitle(const std::string&) override {}
    int ScreenWidth() override { return ScreenWidthValue; }
    std::unique_ptr<Platform::Window> NewWindow(const Platform::WindowSpec& spec) override;
    std::optional<std::filesystem::path> OpenFileDialog(
        const std::filesystem::path& initialPath) override;
    void ShowMessage(const std::string& caption, const std::string& text) override {
        MessageBoxes.push_back({caption, text});
    }
    void SetKeyHandler(std::function<bool(const Platform::KeyPress&)> handler) override {
        keyHandler_ = std::move(handler);
    }
    // Shows `main`, then performs RunActions in order until `main` closes. Returns 0.
    int Run(Platform::Window& main) override;

    // Presses a key while `focused` has the focus; true when the key handler took it. A key it
    // leaves goes to the window's row view, if it has one.
    bool Press(MemoryWindow& focused, const Platform::KeyPress& key);

    // The probe.
    Platform::Desktop& platform() override { return *this; }
    void ProcessEvents() override {}
    // The topmost visible window, which the platform keeps active.
    MemoryWindow* ActiveWindow() override;
    bool IsAbove(Platform::Window& upper, Platform::Window& lower) override;
    void TypeText(Platform::TextView& view, const std::string& text) override {
        static_cast<MemoryTextView&>(view).TypeText(text);
    }
    std::string DisplayedText(Platform::TextView& view) override {
        return static_cast<MemoryTextView&>(view).Displayed;
    }
    void PressKey(Platform::Window& focused, const Platform::KeyPress& key) override {
        Press(static_cast<MemoryWindow&>(focused), key);
    }
    std::string DisplayedText(Platform::RowView& view) override {
        return static_cast<MemoryRowView&>(view).Displayed();
    }
    void PressKey(Platform::RowView& view, const Platform::KeyPress& key) override {
        static_cast<MemoryRowView&>(view).PressKey(key);
    }
    void TypeText(Platform::RowView& view, const std::string& text) override {
        static_cast<MemoryRowView&>(view).TypeText(text);
    }
    std::string Clipboard() override { return ClipboardText; }
    void RequestClose(Platform::Window& window) override { window.Close(); }

    // Chosen by the test.
    int ScreenWidthValue = 1024;
    std::deque<std::optional<std::filesystem::path>> DialogAnswers;  // none left: the user cancels
    std::vector<std::function<void()>> RunActions;

    // Recorded.
    struct Box {
        std::string Caption, Text;
    };
    std::vector<std::filesystem::path> DialogOffers;  // the initial path each dialog offered
    std::string ClipboardText;                        // what the last copy put there
    std::vector<Box> MessageBoxes;
    std::vector<MemoryWindow*> Stack;  // live windows, bottom of the stacking order first
    Platform::Window* Main = nullptr;  // the window Run shows
    bool LoopEnded = false;            // the main window closed

  private:
    std::function<bool(const Platform::KeyPress&)> keyHandler_;
};
