// A windowing platform that keeps everything in memory: it records what the program asks of the
// screen and lets a test act as the user (choose menu items, type, press keys, answer dialogs).
// It is its own probe for the platform contract.
#pragma once

#include <algorithm>
#include <deque>

#include "BackendProbe.h"
#include "Cp1251.h"
#include "LineList.h"
#include "Platform.h"
#include "RowEditor.h"
#include "ShortCut.h"

class MemoryWindow;

// What the windows share with their platform.
struct MemoryDesktop : Platform::Desktop {
    std::vector<MemoryWindow*> Stack;  // live windows, bottom of the stacking order first
    std::string ClipboardText;
    bool LoopEnded = false;  // the main window closed
    // The progress window that is up: its name and text; "Отмена" pressed and not yet seen.
    struct ProgressWindow {
        std::string Name, Text;
        bool Cancelled = false;
    };
    std::optional<ProgressWindow> ProgressUp;
};

class MemoryProgress : public Platform::Progress {
  public:
    explicit MemoryProgress(MemoryDesktop& desktop) : Desktop(desktop) {}
    ~MemoryProgress() override { Desktop.ProgressUp.reset(); }
    bool Update(const std::string& text, std::optional<int>) override {
        Desktop.ProgressUp->Text = text;
        return !Desktop.ProgressUp->Cancelled;
    }
    MemoryDesktop& Desktop;
};

// A text view whose displayed text follows its LineList.
class MemoryTextView : public Platform::TextView, public LineListView {
  public:
    explicit MemoryTextView(LineList& lines) : Lines(lines) { Lines.Bind(this); }
    ~MemoryTextView() override { Lines.Bind(nullptr); }

    void SetCaretLine(int32_t index) override { CaretLine = index; }
    void TextReplaced(std::string_view text) override { Displayed = text; }
    void TextAppended(std::string_view bytes) override { Displayed += bytes; }
    std::string ReadText() override { return Displayed; }
    // Types at the end of the text as the user would.
    void TypeText(const std::string& text) {
        Displayed += text;
        Lines.ViewEdited();
    }

    LineList& Lines;
    std::string Displayed;
    int32_t CaretLine = 0;
};

// The screen side of a row view: a page of lines from the editor's top line.
class MemoryRowView : public Platform::RowView {
  public:
    // Small, so that a test reaches the paste limit cheaply.
    static constexpr size_t Capacity = size_t{1} << 20;

    MemoryRowView(MemoryDesktop& desktop, const Platform::TextViewSpec& spec, RowEditor& editor)
        : Editor(editor), Desktop(desktop) {
        Editor.Attach(*this, Capacity);
        // A line is 16 pixels high; the last line that fits only in part does not count.
        Editor.SetPage(static_cast<uint32_t>(spec.Where.Height / 16), 0);
    }

    void Changed() override { ++Repaints; }
    std::string ClipboardText() override { return Desktop.ClipboardText; }
    void SetClipboardText(const std::string& text) override { Desktop.ClipboardText = text; }
    std::string Displayed() const {
        return LinesOf(Editor, Editor.Top(),
                       std::min(Editor.LineCount(), Editor.Top() + Editor.PageLines()));
    }

    RowEditor& Editor;
    MemoryDesktop& Desktop;
    int Repaints = 0;
};

// A label or a status panel.
struct MemoryText : Platform::TextControl {
    void SetText(const std::string& text) override { Value = text; }
    std::string Text() const override { return Value; }
    std::string Value;
};

class MemoryWindow : public Platform::Window {
  public:
    MemoryWindow(MemoryDesktop& desktop, const Platform::WindowSpec& spec)
        : Spec(spec), Desktop(desktop) {
        Desktop.Stack.push_back(this);
    }
    ~MemoryWindow() override { std::erase(Desktop.Stack, this); }

    void Place(int left, int top) override { Spec.Left = left, Spec.Top = top; }
    int Left() const override { return Spec.Left; }
    int Top() const override { return Spec.Top; }
    void Show() override {
        Shown = true;
        std::erase(Desktop.Stack, this);
        Desktop.Stack.push_back(this);
    }
    void Hide() override { Shown = false; }
    // Only the main window has no close handler.
    void Close() override {
        if (OnClose) return OnClose();
        Hide();
        Desktop.LoopEnded = true;
    }
    void OnCloseRequest(std::function<void()> handler) override { OnClose = std::move(handler); }
    void SetMenu(std::vector<Platform::MenuItem> bar) override { MenuBar = std::move(bar); }
    Platform::TextView& AddTextView(const Platform::TextViewSpec&, LineList& lines) override {
        return TextViews.emplace_back(lines);
    }
    Platform::RowView& AddRowView(const Platform::TextViewSpec& spec, RowEditor& editor) override {
        return RowViews.emplace_back(Desktop, spec, editor);
    }
    Platform::TextControl& AddLabel(const Platform::LabelSpec&) override {
        return Texts.emplace_back();
    }
    Platform::TextControl& AddPanel(const Platform::PanelSpec& spec) override {
        Texts.emplace_back().SetText(spec.Text);
        return Texts.back();
    }

    Platform::WindowSpec Spec;  // Left and Top follow Place
    bool Shown = false;
    std::vector<Platform::MenuItem> MenuBar;
    std::deque<MemoryTextView> TextViews;
    std::deque<MemoryRowView> RowViews;
    std::deque<MemoryText> Texts;  // labels and panels
    MemoryDesktop& Desktop;
    std::function<void()> OnClose;
};

class MemoryPlatform : public MemoryDesktop, public BackendProbe {
  public:
    void SetApplicationTitle(const std::string&) override {}
    int ScreenWidth() override { return ScreenWidthValue; }
    std::unique_ptr<Platform::Window> NewWindow(const Platform::WindowSpec& spec) override {
        return std::make_unique<MemoryWindow>(*this, spec);
    }
    // The answer the test queued first; none left: the user cancels.
    std::optional<std::filesystem::path> OpenFileDialog(const std::filesystem::path&) override {
        if (DialogAnswers.empty()) return std::nullopt;
        std::filesystem::path answer = DialogAnswers.front();
        DialogAnswers.pop_front();
        return answer;
    }
    void ShowMessage(const std::string&, const std::string& text) override {
        Messages.push_back(text);
    }
    // The answer the test queued first; none left: the user cancels.
    Answer Ask(const std::string&, const std::string& text) override {
        Questions.push_back(text);
        if (Answers.empty()) return Answer::Cancel;
        Answer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::unique_ptr<Platform::Progress> ShowProgress(const std::string& name) override {
        ProgressUp = ProgressWindow{.Name = name, .Text = "", .Cancelled = CancelLoads};
        ProgressNames.push_back(name);
        return std::make_unique<MemoryProgress>(*this);
    }
    void Quit() override { LoopEnded = true; }
    // The answer the test queued first; none left: the user cancels.
    std::optional<std::string> Prompt(const std::string& caption,
                                      const std::string& initial) override {
        Prompts.push_back({caption, initial});
        if (PromptAnswers.empty()) return std::nullopt;
        const PromptAnswer answer = PromptAnswers.front();
        PromptAnswers.pop_front();
        if (!answer.Accept) return std::nullopt;
        return answer.Typed.value_or(initial);
    }
    // Shows `main`; the test then acts as the user until it closes.
    int Run(Platform::Window& main) override {
        main.Show();
        return 0;
    }

    // Presses a key while `focused` has the focus; true when the key handler took it. A key it
    // leaves goes to the window's row view, if it has one.
    bool Press(MemoryWindow& focused, const Platform::KeyPress& key) {
        if (ProgressUp) return false;  // the other windows take no input meanwhile
        const bool taken = DeliverKey(key);
        if (!taken && !focused.RowViews.empty()) focused.RowViews.front().Editor.Key(key);
        return taken;
    }

    // The probe.
    Platform::Desktop& platform() override { return *this; }
    void ProcessEvents() override {}
    // The topmost visible window, which the platform keeps active.
    MemoryWindow* ActiveWindow() override {
        auto shown = std::ranges::find_if(Stack.rbegin(), Stack.rend(), &MemoryWindow::Shown);
        return shown == Stack.rend() ? nullptr : *shown;
    }
    bool IsAbove(Platform::Window& upper, Platform::Window& lower) override {
        return std::ranges::find(Stack, &upper) > std::ranges::find(Stack, &lower);
    }
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
        static_cast<MemoryRowView&>(view).Editor.Key(key);
    }
    void TypeText(Platform::RowView& view, const std::string& text) override {
        static_cast<MemoryRowView&>(view).Editor.Type(text);
    }
    std::vector<std::string> ContextMenu(Platform::RowView& view) override {
        std::vector<std::string> shown;
        for (const auto& item : static_cast<MemoryRowView&>(view).Editor.ContextMenu())
            shown.push_back(item.Caption + "\t" + ShortCut::Name(item.Shortcut));
        return shown;
    }
    void AnswerPrompt(const PromptAnswer& answer) override { PromptAnswers.push_back(answer); }
    std::string Clipboard() override { return ClipboardText; }
    void RequestClose(Platform::Window& window) override { window.Close(); }
    void AnswerNextQuestion(const std::string& button) override {
        const std::pair<const char*, Answer> buttons[] = {{"", Answer::Yes},
                                                          {"Да", Answer::Yes},
                                                          {"Нет", Answer::No},
                                                          {"Отмена", Answer::Cancel}};
        for (const auto& [caption, answer] : buttons)
            if (Cp1251::FromUtf8(caption) == button) Answers.push_back(answer);
    }
    std::string LastQuestion() override { return Questions.empty() ? "" : Questions.back(); }
    std::string ProgressShown() override {
        if (!ProgressUp) return "";
        return ProgressUp->Name + "\r\n" + ProgressUp->Text + "\r\n" + Cp1251::FromUtf8("Отмена");
    }
    void CancelProgress() override {
        if (ProgressUp) ProgressUp->Cancelled = true;
    }

    int ScreenWidthValue = 1024;
    std::deque<std::filesystem::path> DialogAnswers;
    std::vector<std::string> Messages;       // the texts of the message boxes shown
    std::deque<Answer> Answers;              // the answers to the next questions
    std::vector<std::string> Questions;      // the texts of the questions asked
    std::vector<std::string> ProgressNames;  // the names of the progress windows shown
    bool CancelLoads = false;  // "Отмена" is pressed as soon as a progress window shows
    std::deque<PromptAnswer> PromptAnswers;
    std::vector<std::pair<std::string, std::string>> Prompts;  // caption and offered text
};
