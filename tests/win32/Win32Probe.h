// Acts as the user on the Win32 backend: messages go to the controls as the keyboard would send
// them, and what is on screen is read back from the controls themselves.
#pragma once

#include <functional>
#include <vector>

#include "BackendProbe.h"
#include "Controls.h"
#include "RowView.h"
#include "Win32Platform.h"
#include "Win32Window.h"

class Win32Probe : public BackendProbe {
  public:
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
    // The pixels, row by row, that `draw` leaves on a black canvas of the given size.
    static std::vector<COLORREF> Canvas(int width, int height,
                                        const std::function<void(HDC)>& draw);

  private:
    // Posts each character where the focus is, as the keyboard would.
    void Type(const std::string& text);
    // Posts the key press to `target`, with the modifiers down meanwhile.
    void PostKey(HWND target, const Platform::KeyPress& key);

    Win32::Win32Platform platform_;
};
