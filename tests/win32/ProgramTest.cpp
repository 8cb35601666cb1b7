// The four windows on the real platform: F3 from the dump and from the text it turned into, and
// the end of the loop.
#include <gtest/gtest.h>

#include "FirmwareUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "TempDir.h"
#include "Win32Probe.h"

namespace {

class Win32ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override { Program::StartUp(probe.platform()); }
    void TearDown() override { Program::ShutDown(); }

    Win32Probe probe;
};

TEST_F(Win32ProgramTest, F3FromTheDumpBeforeAndAfterAnEditAndCloseEndsTheLoop) {
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

    // The close button of the main window ends the loop at once.
    Platform::Window& main = *MainUnit::MainForm->Window;
    PostMessageW(Win32Probe::Handle(main), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(probe.platform().Run(main), 0);
}

}  // namespace
