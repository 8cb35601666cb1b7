// A top-level window of the program: caption, frame, menu bar and the controls placed in its
// client area.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <vector>

#include "Platform.h"

// The client area below the menu bar. Controls stand where they were placed; those anchored to
// the bottom follow its height.
class QtClientArea : public QWidget {
  public:
    explicit QtClientArea(QWidget* parent) : QWidget(parent) {}
    void Add(QWidget* control, const Platform::Placement& where);
    // The window has taken its final size: bottom-anchored controls keep the distance they have
    // from now on, as the window opened with them.
    void Settle();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Control {
        QWidget* Widget;
        Platform::Placement Where;
        int BottomGap = -1;  // distance kept from the bottom; -1 until the area is laid out
    };
    void Arrange(Control& control);

    std::vector<Control> controls_;
    bool laidOut_ = false;
};

class QtWindow : public QMainWindow, public Platform::Window {
  public:
    // Menu commands run inside the desktop's error handler.
    QtWindow(const Platform::WindowSpec& spec, const Platform::Desktop& desktop);

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

    QtClientArea* Client() const { return client_; }
    // Moves the keyboard focus to the next (or previous) control that takes it, if there is one.
    void StepFocus(bool forward);
    // Orders the program's windows: a window raised or activated later lies above.
    uint64_t RaisedAt() const { return raisedAt_; }
    // A menu item's text: its caption, then the shortcut's name after a tab.
    static QString ItemText(const Platform::MenuItem& item);
    // Called when the window has closed, after a close request without a handler.
    std::function<void()> Closed;

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void ApplySize();
    int MenuHeight() const;

    Platform::WindowSpec spec_;
    const Platform::Desktop& desktop_;
    QtClientArea* client_;
    std::function<void()> closeHandler_;
    int left_, top_;
    bool shown_ = false;
    bool framed_ = false;  // the outer size has taken the window manager's frame into account
    uint64_t raisedAt_ = 0;
};
