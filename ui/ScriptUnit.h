// The script window: the editable script that a run executes, with its open and save items.
#pragma once

#include <memory>
#include <vector>

#include "LineList.h"
#include "Platform.h"

namespace ScriptUnit {

class TScriptForm {
  public:
    explicit TScriptForm(Platform::Platform& platform);
    TScriptForm(const TScriptForm&) = delete;
    TScriptForm& operator=(const TScriptForm&) = delete;

    void FormCreate();
    void ScriptOpenClick();
    void SaveScriptClick();

    LineList ScriptLines;  // declared first: the view is bound to it until the window goes
    std::unique_ptr<Platform::Window> Window;
    Platform::TextView* ScriptMemo = nullptr;
    Platform::MenuItem ScriptOpen, SaveScript;
    std::vector<Platform::MenuItem> MainMenu1;
};

extern std::unique_ptr<TScriptForm> ScriptForm;

}  // namespace ScriptUnit
