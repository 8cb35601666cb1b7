// The main window: the two status lines, the menu of every command, the shared file-open dialog,
// and the error handler that every command runs inside.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Platform.h"

namespace MainUnit {

// The program's name in the task bar and the caption of every error box.
inline constexpr const char* ApplicationTitle = "Vantrel";

// The file-open dialog of both open commands. It offers the path chosen last, by either command.
class TOpenDialog {
  public:
    explicit TOpenDialog(Platform::Desktop& platform) : platform_(platform) {}
    // True when the user chose a path, which FileName then holds; false when cancelled.
    bool Execute();

    std::filesystem::path FileName;

  private:
    Platform::Desktop& platform_;
};

class TMainForm {
  public:
    explicit TMainForm(Platform::Desktop& platform);
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    void FormCreate();
    void FileOpenScriptClick();
    void FileOpenClick();
    void FileExitClick();
    void WindowsScriptClick();
    void WindowsListingClick();
    void WindowsFirmwareClick();
    void RunScript();
    // Runs the command of the menu item whose shortcut matches; true when one did.
    bool ShortCutPressed(const Platform::KeyPress& key);
    // Asks whether to save the script's unsaved edits before they are left, and saves them if
    // so; true when the command that leaves them may go on.
    bool QuerySaveScript();

    std::unique_ptr<Platform::Window> Window;
    Platform::TextControl* ScriptLoadedPanel = nullptr;
    Platform::TextControl* FirmwareLoadedPanel = nullptr;
    std::vector<Platform::MenuItem> MainMenu;  // the bar as installed; shortcuts are found here

    TOpenDialog MainOpenDialog;

  private:
    Platform::Desktop& platform_;
};

extern std::unique_ptr<TMainForm> MainForm;
// The path of the script loaded last; empty until a script loads successfully.
extern std::filesystem::path ScriptFileName;

// The program's error handler: runs `command`; an error ends it and is shown in one message box
// captioned with the application title, and the program goes on. True when it completed.
bool RunCommand(Platform::Desktop& platform, const std::function<void()>& command);
// A menu item that runs `command`.
Platform::MenuItem Item(const char* utf8Caption, std::function<void()> command,
                        uint16_t shortcut = 0);

}  // namespace MainUnit
