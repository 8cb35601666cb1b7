// The four windows on the real platform: shortcuts from every window, the dialog, the end of the
// loop.
#include <gtest/gtest.h>

#include "Cp1251.h"
#include "FirmwareUnit.h"
#include "ListingUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "ScriptUnit.h"
#include "TempDir.h"
#include "Win32Probe.h"

namespace {

class Win32ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override { Program::StartUp(probe.platform()); }
    void TearDown() override { Program::ShutDown(); }

    static Platform::Window& Main() { return *MainUnit::MainForm->Window; }
    static Platform::Window& Script() { return *ScriptUnit::ScriptForm->Window; }
    static Platform::Window& Listing() { return *ListingUnit::ListingForm->Window; }
    static Platform::Window& Firmware() { return *FirmwareUnit::FirmwareForm->Window; }

    Win32Probe probe;
};

TEST_F(Win32ProgramTest, ShortcutsWorkFromEveryWindowAndCloseEndsTheLoop) {
    Main().Show();
    Listing().Hide();
    probe.ProcessEvents();

    // F9 while the script view has the focus runs the (empty) script and shows the listing.
    probe.PressKey(Script(), {.VirtualKey = 120});
    EXPECT_TRUE(Listing().Visible());
    EXPECT_EQ(probe.ActiveWindow(), &Listing());
    EXPECT_TRUE(probe.IsAbove(Listing(), Script()));
    EXPECT_TRUE(probe.IsAbove(Listing(), Main()));

    // Shift+F3 from the firmware window opens a script through the dialog.
    TempDir folder;
    const std::string path = folder.Write("script.txt", "SET2E 01 0010\r\nINV2 01\r\n");
    std::string offered = "unset";
    probe.platform().FileDialogAnswer = [&](const std::string& initial) {
        offered = initial;
        return std::optional<std::string>(path);
    };
    probe.PressKey(Firmware(), {.VirtualKey = 114, .Shift = true});
    EXPECT_EQ(offered, "");
    EXPECT_EQ(probe.DisplayedText(*ScriptUnit::ScriptForm->ScriptMemo),
              "SET2E 01 0010\r\nINV2 01\r\n");
    EXPECT_EQ(MainUnit::MainForm->ScriptLoadedPanel->Text(),
              Cp1251::FromUtf8("СКРИПТ ЗАГРУЖЕН:   ") + path);
    EXPECT_EQ(probe.ActiveWindow(), &Script());

    // The close button of the main window ends the loop at once.
    PostMessageW(Win32Probe::Handle(Main()), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(probe.platform().Run(Main()), 0);
}

}  // namespace
