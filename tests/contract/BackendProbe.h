// What the platform contract suite needs from a backend to act as the user and to look at the
// screen. Each backend's test program implements it and instantiates the suite with a factory.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform.h"
#include "RowEditor.h"

class BackendProbe {
  public:
    virtual ~BackendProbe() = default;
    virtual Platform::Desktop& platform() = 0;
    // Lets the toolkit deliver what is pending (no-op for the in-memory backend).
    virtual void ProcessEvents() = 0;
    virtual Platform::Window* ActiveWindow() = 0;
    // True when `upper` lies above `lower` in the stacking order of the program's windows.
    virtual bool IsAbove(Platform::Window& upper, Platform::Window& lower) = 0;
    // Types CP1251 text at the end of the view as the user would ("\r\n" presses Enter).
    virtual void TypeText(Platform::TextView& view, const std::string& text) = 0;
    // What the view displays, as CP1251 with CR LF between lines.
    virtual std::string DisplayedText(Platform::TextView& view) = 0;
    // Presses a key while `focused` has the keyboard focus.
    virtual void PressKey(Platform::Window& focused, const Platform::KeyPress& key) = 0;
    // What a row view shows: the lines on screen, CP1251 with CR LF between lines.
    virtual std::string DisplayedText(Platform::RowView& view) = 0;
    // Presses a key while the row view has the keyboard focus.
    virtual void PressKey(Platform::RowView& view, const Platform::KeyPress& key) = 0;
    // Types CP1251 text at the row view's caret as the user would.
    virtual void TypeText(Platform::RowView& view, const std::string& text) = 0;
    // The captions of the row view's context menu, each with a tab and the key name it shows.
    virtual std::vector<std::string> ContextMenu(Platform::RowView& view) = 0;
    // How the user answers the next prompt: Enter, after typing `Typed` over the offered text
    // when given, or Escape.
    struct PromptAnswer {
        bool Accept = true;
        std::optional<std::string> Typed = std::nullopt;
    };
    virtual void AnswerPrompt(const PromptAnswer& answer) = 0;
    // The text on the clipboard, as CP1251.
    virtual std::string Clipboard() = 0;
    // Delivers a close request to the window, as the platform's close key would.
    virtual void RequestClose(Platform::Window& window) = 0;
    // Answers the next question of the platform by pressing its button captioned `button`
    // (CP1251), or its default button when `button` is empty; a question without that button
    // fails the test.
    virtual void AnswerNextQuestion(const std::string& button) = 0;
    // The text of the question asked last.
    virtual std::string LastQuestion() = 0;
    // What the progress window shows: its texts, then its button's caption, CR LF between; empty
    // when none is up.
    virtual std::string ProgressShown() = 0;
    // Presses "Отмена" in the progress window; the platform sees it when it next delivers events.
    virtual void CancelProgress() = 0;
};

// The editor's lines from `first` up to `end`, with CR LF between them: what a row view shows.
inline std::string LinesOf(const RowEditor& cursor, uint64_t first, uint64_t end) {
    std::string shown;
    for (uint64_t line = first; line < end; ++line) {
        if (line > first) shown += "\r\n";
        shown += cursor.Line(line);
    }
    return shown;
}

using BackendFactory = std::function<std::unique_ptr<BackendProbe>()>;
