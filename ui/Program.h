// Start-up of the window set and the program's entry, written once for every backend.
#pragma once

namespace Platform {
class Desktop;
}

namespace Program {

// Initialises the modules, sets the application title, creates and places the four windows in
// order and shows the tool windows. The forms are then MainUnit::MainForm, ScriptUnit::ScriptForm,
// ListingUnit::ListingForm and FirmwareUnit::FirmwareForm.
void StartUp(Platform::Desktop& platform);
// Releases the forms and resets the module state (tests start each case afresh).
void ShutDown();
// StartUp, then the message loop until the main window closes, then ShutDown. Returns 0.
int Main(Platform::Desktop& platform);

}  // namespace Program
