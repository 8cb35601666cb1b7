#include "Program.h"

#include "FirmwareUnit.h"
#include "HexUnit.h"
#include "ListingUnit.h"
#include "MainUnit.h"
#include "Platform.h"
#include "RunUnit.h"
#include "ScriptUnit.h"

namespace Program {

namespace {

void ResetModules() {
    HexUnit::ImageBytes.clear();
    HexUnit::ImageSize = 0;
    RunUnit::RegisterFile.fill(0);
    MainUnit::ScriptFileName.clear();
}

}  // namespace

void StartUp(Platform::Desktop& platform) {
    ResetModules();
    platform.SetApplicationTitle(MainUnit::ApplicationTitle);
    // The main window first: closing it ends the program. It is shown by the message loop, last,
    // so that it lies above the tool windows and is active.
    MainUnit::MainForm = std::make_unique<MainUnit::TMainForm>(platform);
    ListingUnit::ListingForm = std::make_unique<ListingUnit::TListingForm>(platform);
    ListingUnit::ListingForm->Show();
    FirmwareUnit::FirmwareForm = std::make_unique<FirmwareUnit::TFirmwareForm>(platform);
    FirmwareUnit::FirmwareForm->Show();
    ScriptUnit::ScriptForm = std::make_unique<ScriptUnit::TScriptForm>(platform);
    ScriptUnit::ScriptForm->Show();
    RunUnit::Bind(ScriptUnit::ScriptForm->ScriptLines, ListingUnit::ListingForm->ListingLines);
}

void ShutDown() {
    ScriptUnit::ScriptForm.reset();
    FirmwareUnit::FirmwareForm.reset();
    ListingUnit::ListingForm.reset();
    MainUnit::MainForm.reset();
    ResetModules();
}

int Main(Platform::Desktop& platform) {
    try {
        StartUp(platform);
        platform.Run(*MainUnit::MainForm->Window);
    } catch (...) {
        ShutDown();
        throw;
    }
    ShutDown();
    return 0;
}

}  // namespace Program
