// Acts as the user on the Win32 backend: messages go to the controls as the keyboard would send
// them, and what is on screen is read back from the controls themselves.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "BackendProbe.h"
#include "Controls.h"
#include "RowView.h"
#include "Win32Platform.h"
#include "Win32Window.h"

class Win32Probe : public BackendProbe {
  public:
    ~Win32Probe() override;
    Win32::Win32Platform& platform() override { return platform_; }
    void ProcessEvents() override { platform_.DeliverPending(); }
    Platform::Window* ActiveWindow() override {
        return Win32::Win32Window::From(GetActiveWindow());
    }
    bool IsAbove(Platform::Window& upper, Platform::Window& lower) override;
    void TypeText(Platform::TextView& view, const std::string& text) override;
    std::string DisplayedText(Platform::TextView& view) override;
    void PressKey(Platform::Window& focused, const Platform::KeyPress& key) override;
    std::string DisplayedText(Platform::RowView& view) override;
    void PressKey(Platform::RowView& view, const Platform::KeyPress& key) override;
    void TypeText(Platform::RowView& view, const std::string& text) override;
    std::vector<std::string> ContextMenu(Platform::RowView& view) override;
    void AnswerPrompt(const PromptAnswer& answer) override;
    std::string Clipboard() override;
    void RequestClose(Platform::Window& window) override;
    void AnswerNextQuestion(const std::string& button) override;
    std::string LastQuestion() override;
    std::string ProgressShown() override;
    void CancelProgress() override;

    static HWND Handle(Platform::Window& window) {
        return dynamic_cast<Win32::Win32Window&>(window).Handle();
    }
    static HWND Handle(Platform::TextView& view) {
        return dynamic_cast<Win32::EditView&>(view).Handle();
    }
    static Win32::RowView& Rows(Platform::RowView& view) {
        return dynamic_cast<Win32::RowView&>(view);
    }
    // Runs `act` on the next visible window of `windowClass` of this thread ("#32770" a dialog,
    // "#32768" a popup menu) from inside the modal loop that shows it.
    static void WhenShown(const wchar_t* windowClass, std::function<void(HWND)> act);
    // Right-clicks the row view and runs `act` on its popup menu.
    void RightClick(Platform::RowView& view, std::function<void(HWND)> act);
    // The pixels, row by row, that `draw` leaves on a black canvas of the given size.
    static std::vector<COLORREF> Canvas(int width, int height,
                                        const std::function<void(HDC)>& draw);

  private:
    // Posts each character where the focus is, as the keyboard would; a line break is Enter.
    void Type(const std::string& text);
    // Posts the key press to `target`, with the modifiers down meanwhile.
    void PostKey(HWND target, const Platform::KeyPress& key);

    Win32::Win32Platform platform_;
};
