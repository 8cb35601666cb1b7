// The Qt backend seen as the user sees it: active window, stacking, typing, keys, close requests.
#pragma once

#include <QMenu>
#include <QTimer>
#include <memory>

#include "BackendProbe.h"
#include "QtPlatform.h"
#include "QtRowView.h"
#include "QtTextView.h"
#include "QtWindow.h"

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
    std::vector<std::string> ContextMenu(Platform::RowView& view) override;
    void AnswerPrompt(const PromptAnswer& answer) override;
    std::string Clipboard() override;
    void AnswerNextQuestion(const std::string& button) override;
    std::string LastQuestion() override { return lastQuestion_; }
    std::string ProgressShown() override;
    void CancelProgress() override;

    static QtWindow& Of(Platform::Window& window) { return dynamic_cast<QtWindow&>(window); }
    static QtTextView& Of(Platform::TextView& view) { return dynamic_cast<QtTextView&>(view); }
    static QtRowView& Of(Platform::RowView& view) { return dynamic_cast<QtRowView&>(view); }
    // Activates the widget's window and waits until the platform reports it active.
    static bool Activate(QWidget& widget);
    // Right-clicks the row view as the user does; returns the context menu that opens.
    static QMenu* OpenContextMenu(QtRowView& view);

  private:
    QtPlatform platform_;
    std::unique_ptr<QTimer> answering_;  // waits for the next question to come up
    std::string lastQuestion_;
};
