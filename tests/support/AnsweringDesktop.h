// A desktop in front of a real backend that answers the modal file dialog and receives the
// message boxes itself when told to, so that the program runs there without a user.
#pragma once

#include "Platform.h"

class AnsweringDesktop final : public Platform::Desktop {
    using Text = const std::string&;
    using Path = const std::filesystem::path&;

  public:
    explicit AnsweringDesktop(Platform::Desktop& backend) : Backend(backend) {}

    // When set, they stand in for the file dialog and the message box.
    std::function<std::optional<std::filesystem::path>(Path initialPath)> AnswerFileDialog;
    std::function<void(Text caption, Text text)> ReceiveMessage;
    Platform::Desktop& Backend;

    std::optional<std::filesystem::path> OpenFileDialog(Path initialPath) override {
        return AnswerFileDialog ? AnswerFileDialog(initialPath)
                                : Backend.OpenFileDialog(initialPath);
    }
    void ShowMessage(Text caption, Text text) override {
        ReceiveMessage ? ReceiveMessage(caption, text) : Backend.ShowMessage(caption, text);
    }

    // The backend's windows deliver the keys and run the commands: it holds the handlers too.
    void SetKeyHandler(std::function<bool(const Platform::KeyPress&)> handler) override {
        Backend.SetKeyHandler(handler);
        Desktop::SetKeyHandler(std::move(handler));
    }
    void SetErrorHandler(Platform::Guard handler) override {
        Backend.SetErrorHandler(handler);
        Desktop::SetErrorHandler(std::move(handler));
    }
    void SetApplicationTitle(Text title) override { Backend.SetApplicationTitle(title); }
    int ScreenWidth() override { return Backend.ScreenWidth(); }
    std::unique_ptr<Platform::Window> NewWindow(const Platform::WindowSpec& spec) override {
        return Backend.NewWindow(spec);
    }
    std::optional<std::string> Prompt(Text caption, Text initial) override {
        return Backend.Prompt(caption, initial);
    }
    int Run(Platform::Window& main) override { return Backend.Run(main); }
    Answer Ask(Text caption, Text text) override { return Backend.Ask(caption, text); }
    std::unique_ptr<Platform::Progress> ShowProgress(Text name) override {
        return Backend.ShowProgress(name);
    }
    void Quit() override { Backend.Quit(); }
};
