// The four windows on the real platform: F3 from the dump, and the end of the loop.
#include <gtest/gtest.h>

#include "AnsweringDesktop.h"
#include "FirmwareUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "TempDir.h"
#include "Win32Probe.h"

namespace {

TEST(Win32ProgramTest, F3FromTheDumpAndCloseEndsTheLoop) {
    Win32Probe probe;
    AnsweringDesktop desktop(probe.platform());
    Program::StartUp(desktop);
    Platform::RowView& dump = *FirmwareUnit::FirmwareForm->FirmwareShowMemo;
    FirmwareUnit::FirmwareForm->Window->Show();
    TempDir folder;
    const std::filesystem::path image = folder.Write("image.bin", std::string(40, '\x11'));
    desktop.AnswerFileDialog = [&](const std::filesystem::path&) { return image; };
    probe.PressKey(dump, {.VirtualKey = VK_F3});
    EXPECT_EQ(probe.DisplayedText(dump).substr(0, 19), "00000000 | 11 11 11");

    // The close button of the main window ends the loop at once.
    Platform::Window& main = *MainUnit::MainForm->Window;
    PostMessageW(Win32Probe::Handle(main), WM_SYSCOMMAND, SC_CLOSE, 0);
    // A loop that does not end fails the test instead of hanging it.
    const UINT_PTR stuck =
        SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); });
    EXPECT_EQ(probe.platform().Run(main), 0);
    KillTimer(nullptr, stuck);
    Program::ShutDown();
}

}  // namespace
