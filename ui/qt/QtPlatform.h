// The platform layer on Qt 6 Widgets.
#pragma once

#include <QObject>
#include <QTranslator>
#include <functional>
#include <optional>
#include <string>

#include "Platform.h"

class QKeyEvent;
class QtWindow;

class QtPlatform : public QObject, public ::Platform::Desktop {
  public:
    // Needs a QApplication; catches the program's key presses and puts Qt's texts in Russian
    // from now on.
    QtPlatform();
    ~QtPlatform() override;

    void SetApplicationTitle(const std::string& title) override;
    int ScreenWidth() override;
    std::unique_ptr<::Platform::Window> NewWindow(const ::Platform::WindowSpec& spec) override;
    std::optional<std::filesystem::path> OpenFileDialog(
        const std::filesystem::path& initialPath) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
    std::optional<std::string> Prompt(const std::string& caption,
                                      const std::string& initial) override;
    int Run(::Platform::Window& main) override;
    Answer Ask(const std::string& caption, const std::string& text) override;
    std::unique_ptr<::Platform::Progress> ShowProgress(const std::string& name) override;
    void Quit() override;

    // The key press a Qt key event stands for; nothing for keys that have no virtual-key code.
    static std::optional<::Platform::KeyPress> ToKeyPress(const QKeyEvent& event);
    // The program's window that an object belongs to, or nullptr.
    static QtWindow* WindowOf(QObject* object);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QTranslator russian_;
    std::string title_;
};
