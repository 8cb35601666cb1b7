// A top-level window: frame, menu bar, child controls and the close request.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Platform.h"
#include "Win32.h"

namespace Win32 {

class Win32Platform;

// The class of every top-level window of the program.
ATOM RegisterWindowClass();

class Win32Window final : public Platform::Window {
  public:
    Win32Window(Win32Platform& platform, const Platform::WindowSpec& spec, HWND owner);
    ~Win32Window() override;

    void Place(int left, int top) override;
    int Left() const override;
    int Top() const override;
    void Show() override;
    void Hide() override;
    void Close() override;
    void OnCloseRequest(std::function<void()> handler) override;

    void SetMenu(std::vector<Platform::MenuItem> bar) override;
    Platform::TextView& AddTextView(const Platform::TextViewSpec& spec, LineList& lines) override;
    Platform::RowView& AddRowView(const Platform::TextViewSpec& spec, RowEditor& editor) override;
    Platform::TextControl& AddLabel(const Platform::LabelSpec& spec) override;
    Platform::TextControl& AddPanel(const Platform::PanelSpec& spec) override;

    HWND Handle() const { return handle_; }
    static Win32Window* From(HWND handle);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT Respond(UINT message, WPARAM wParam, LPARAM lParam);
    void AppendItems(HMENU menu, const std::vector<Platform::MenuItem>& items, bool dropDown);
    void RunMenuCommand(UINT id);
    void FitClient();
    void LayoutControls();
    template <class T, class... Arguments>
    T& Add(Arguments&... arguments);
    void Adopt(std::unique_ptr<Control> control);

    Win32Platform& platform_;
    HWND handle_ = nullptr;
    Platform::WindowSpec spec_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::function<void()>> commands_;  // by menu id, from FirstCommand
    std::function<void()> closeHandler_;
    bool shownOnce_ = false;
};

}  // namespace Win32
