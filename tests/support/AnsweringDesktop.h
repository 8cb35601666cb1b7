// A desktop in front of a real backend that answers the modal file dialog and receives the
// message boxes itself when told to, so that the program runs there without a user.
#pragma once

#include "Platform.h"

class AnsweringDesktop final : public Platform::Desktop {
  public:
    explicit AnsweringDesktop(Platform::Desktop& backend) : backend_(backend) {}

    // When set, they stand in for the file dialog and the message box.
    std::function<std::optional<std::filesystem::path>(const std::filesystem::path& initialPath)>
        AnswerFileDialog;
    std::function<void(const std::string& caption, const std::string& text)> ReceiveMessage;

    std::optional<std::filesystem::path> OpenFileDialog(
        const std::filesystem::path& initialPath) override {
        if (AnswerFileDialog) return AnswerFileDialog(initialPath);
        return backend_.OpenFileDialog(initialPath);
    }
    void ShowMessage(const std::string& caption, const std::string& text) override {
        if (ReceiveMessage) return ReceiveMessage(caption, text);
        backend_.ShowMessage(caption, text);
    }

    // The backend's windows deliver the keys and run the commands: it holds the handlers too.
    void SetKeyHandler(std::function<bool(const Platform::KeyPress&)> handler) override {
        backend_.SetKeyHandler(handler);
        Desktop::SetKeyHandler(std::move(handler));
    }
    void SetErrorHandler(Platform::Guard handler) override {
        backend_.SetErrorHandler(handler);
        Desktop::SetErrorHandler(std::move(handler));
    }
    void SetApplicationTitle(const std::string& title) override {
        backend_.SetApplicationTitle(title);
    }
    int ScreenWidth() override { return backend_.ScreenWidth(); }
    std::unique_ptr<Platform::Window> NewWindow(const Platform::WindowSpec& spec) override {
        return backend_.NewWindow(spec);
    }
    std::optional<std::string> Prompt(const std::string& caption,
                                      const std::string& initial) override {
        return backend_.Prompt(caption, initial);
    }
    int Run(Platform::Window& main) override { return backend_.Run(main); }
    Answer Ask(const std::string& caption, const std::string& text) override {
        return backend_.Ask(caption, text);
    }
    std::unique_ptr<Platform::Progress> ShowProgress(const std::string& name) override {
        return backend_.ShowProgress(name);
    }
    void Quit() override { backend_.Quit(); }

  private:
    Platform::Desktop& backend_;
};
