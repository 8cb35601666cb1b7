// The script window: the editable script that a run executes, with its open and save items.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "LineList.h"
#include "Platform.h"

namespace ScriptUnit {

class TScriptForm {
  public:
    explicit TScriptForm(Platform::Desktop& platform);
    TScriptForm(const TScriptForm&) = delete;
    TScriptForm& operator=(const TScriptForm&) = delete;

    void FormCreate();
    void ScriptOpenClick();
    void SaveScriptClick();
    void Show() { Window->Show(); }
    // Shows the window with `text`, the script as just loaded from its file.
    void ShowScript(std::string_view text);
    // True when a script was loaded from a file and its text differs from what was last loaded
    // or saved.
    bool Modified();
    // Puts the caret at the start of line `line`, leaving the window where it is.
    void SetCaretLine(int32_t line) { ScriptMemo->SetCaretLine(line); }

    LineList ScriptLines;  // declared first: the view is bound to it until the window goes
    std::unique_ptr<Platform::Window> Window;
    Platform::TextView* ScriptMemo = nullptr;

  private:
    std::string savedText_;  // the text as last loaded or saved
};

extern std::unique_ptr<TScriptForm> ScriptForm;

}  // namespace ScriptUnit
