// The Qt backend seen as the user sees it: active window, stacking, typing, keys, close requests.
#pragma once

#include "BackendProbe.h"
#include "QtPlatform.h"

class QtRowView;
class QtTextView;
class QtWindow;

class QtProbe : public BackendProbe {
  public:
    QtPlatform& platform() override { return platform_; }
    void ProcessEvents() override;
    Platform::Window* ActiveWindow() override;
    bool IsAbove(Platform::Window& upper, Platform::Window& lower) override;
    void TypeText(Platform::TextView& view, const std::string& text) override;
    std::string DisplayedText(Platform::TextView& view) override;
    void PressKey(Platform::Window& focused, const Platform::KeyPress& key) override;
    void RequestClose(Platform::Window& window) override;
    std::string DisplayedText(Platform::RowView& view) override;
    void PressKey(Platform::RowView& view, const Platform::KeyPress& key) override;
    void TypeText(Platform::RowView& view, const std::string& text) override;
    std::string Clipboard() override;

    static QtWindow& Of(Platform::Window& window);
    static QtTextView& Of(Platform::TextView& view);
    static QtRowView& Of(Platform::RowView& view);
    // Activates the window and waits until the platform reports it active.
    static bool Activate(Platform::Window& window);

  private:
    QtPlatform platform_;
};
