// The four windows on the real platform: shortcuts matched in the message loop from every window,
// and the end of the loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

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

    Win32Probe probe;
};

TEST_F(Win32ProgramTest, ShortcutsWorkFromEveryWindowAndCloseEndsTheLoop) {
    Platform::Window& main = *MainUnit::MainForm->Window;
    Platform::Window& script = *ScriptUnit::ScriptForm->Window;
    Platform::Window& listing = *ListingUnit::ListingForm->Window;
    main.Show();
    listing.Hide();
    probe.ProcessEvents();

    // F9 while the script's EDIT view has the focus runs the (empty) script and shows the listing.
    probe.PressKey(script, {.VirtualKey = 120});
    EXPECT_TRUE(listing.Visible());
    EXPECT_EQ(probe.ActiveWindow(), &listing);

    // Shift+F3 from the firmware window opens a script through the dialog.
    TempDir folder;
    const std::string path = folder.Write("script.txt", "SET2E 01 0010\r\nINV2 01\r\n");
    probe.platform().AnswerFileDialog = [&](const std::filesystem::path&) {
        return std::optional<std::filesystem::path>(path);
    };
    probe.PressKey(*FirmwareUnit::FirmwareForm->Window, {.VirtualKey = 114, .Shift = true});
    EXPECT_EQ(probe.DisplayedText(*ScriptUnit::ScriptForm->ScriptMemo),
              "SET2E 01 0010\r\nINV2 01\r\n");
    EXPECT_EQ(probe.ActiveWindow(), &script);

    // The close button of the main window ends the loop at once.
    PostMessageW(Win32Probe::Handle(main), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(probe.platform().Run(main), 0);
}

TEST_F(Win32ProgramTest, F3ReachesTheHandlerFromTheDumpBeforeAndAfterAnEdit) {
    FirmwareUnit::TFirmwareForm& firmware = *FirmwareUnit::FirmwareForm;
    Platform::RowView& dump = *firmware.FirmwareShowMemo;
    Win32::RowView& rows = Win32Probe::Rows(dump);
    firmware.Window->Show();
    TempDir folder;
    const std::string image = folder.Write("image.bin", std::string(40, '\x11'));
    probe.platform().AnswerFileDialog = [&](const std::filesystem::path&) {
        return std::optional<std::filesystem::path>(image);
    };

    probe.PressKey(dump, {.VirtualKey = 114});
    EXPECT_EQ(probe.DisplayedText(dump).substr(0, 19), "00000000 | 11 11 11");
    probe.TypeText(dump, "X");
    ASSERT_EQ(GetFocus(), rows.Text().Handle());

    // F3 from the text the dump became: the rows again, and the keyboard with them.
    probe.PressKey(*firmware.Window, {.VirtualKey = 114});
    EXPECT_FALSE(rows.Edited());
    EXPECT_EQ(GetFocus(), rows.Handle());
    EXPECT_EQ(probe.DisplayedText(dump).substr(0, 19), "00000000 | 11 11 11");
}

}  // namespace
