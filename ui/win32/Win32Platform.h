// The platform layer realised with the wide Win32 API.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "Platform.h"
#include "Win32.h"

namespace Win32 {

class Win32Window;

// The window class of the progress window: no program window, so that it takes no shortcuts.
inline constexpr wchar_t ProgressClass[] = L"VantrelProgress";

class Win32Platform final : public Platform::Desktop {
  public:
    Win32Platform();
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    void SetApplicationTitle(const std::string& title) override;
    int ScreenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
    std::unique_ptr<::Platform::Window> NewWindow(const ::Platform::WindowSpec& spec) override;
    std::optional<std::filesystem::path> OpenFileDialog(
        const std::filesystem::path& initialPath) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
    std::optional<std::string> Prompt(const std::string& caption,
                                      const std::string& initial) override;
    int Run(::Platform::Window& main) override;
    Answer Ask(const std::string& caption, const std::string& text) override;
    std::unique_ptr<::Platform::Progress> ShowProgress(const std::string& name) override;
    void Quit() override { EndLoop(); }

    // The key press of a WM_KEYDOWN or WM_SYSKEYDOWN with these parameters, while it is handled.
    static ::Platform::KeyPress ToKeyPress(WPARAM key, LPARAM flags);
    // Delivers one message as the loop does: a key press goes to the key handler first.
    void Deliver(MSG& message);
    // Delivers every message already waiting; false once the loop was asked to end.
    bool DeliverPending();

    // For the windows: the close request of the main window.
    void EndLoop() { loopEnded_ = true; }
    bool IsMain(const Win32Window& window) const;
    void Forget(const Win32Window& window);
    static bool IsProgramWindow(HWND window);

  private:
    HWND ModalOwner() const;

    HWND applicationWindow_;  // hidden; owns the tool windows, so only the main one is in the task
                              // bar
    std::string title_ = "Vantrel";
    const Win32Window* first_ = nullptr;
    const Win32Window* main_ = nullptr;
    bool loopEnded_ = false;
};

}  // namespace Win32
