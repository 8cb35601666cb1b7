// Start-up: placement and stacking, the Windows menu, and how the program ends.
#include "FormFixture.h"
#include "RunUnit.h"

namespace {

TEST_F(FormTest, WindowsArePlacedFromTheScreenWidth) {
    struct Layout {
        int ScreenWidth, MainLeft, ScriptLeft;
    };
    const auto at = [](const MemoryWindow& window) {
        return std::pair(window.Left(), window.Top());
    };
    for (const Layout layout :
         {Layout{1025, 112, 289}, Layout{799, 0, 177}, Layout{641, -79, 98}}) {
        SCOPED_TRACE(layout.ScreenWidth);
        Start(layout.ScreenWidth);
        EXPECT_EQ(at(Main()), std::pair(layout.MainLeft, 0));
        EXPECT_EQ(at(ListingWindow()), std::pair(layout.MainLeft, 420));
        EXPECT_EQ(at(FirmwareWindow()), std::pair(layout.MainLeft, 119));
        EXPECT_EQ(at(ScriptWindow()), std::pair(layout.ScriptLeft, 119));
        Program::ShutDown();
    }
}

TEST_F(FormTest, MainWindowLiesOnTopAndTheWindowsMenuBringsToolsBack) {
    Start();
    const std::vector<MemoryWindow*> bottomToTop = {&ListingWindow(), &FirmwareWindow(),
                                                    &ScriptWindow(), &Main()};
    EXPECT_EQ(platform.Stack, bottomToTop);
    const std::pair<MemoryWindow*, const char*> tools[] = {{&ScriptWindow(), "&Скрипт"},
                                                           {&ListingWindow(), "&Листинг"},
                                                           {&FirmwareWindow(), "&Прошивка"}};
    for (const auto& [window, item] : tools) {
        window->Close();
        EXPECT_FALSE(window->Visible());
        Choose(Main(), {"&Окна", item});
        EXPECT_EQ(platform.ActiveWindow(), window);
    }
    EXPECT_FALSE(platform.LoopEnded);
}

TEST_F(FormTest, ExitEndsTheLoopAndReleasesEverything) {
    const std::string file = temp.Write("inc.vts", "INC2 01 01\r\n");
    platform.RunActions = {[&] { OpenScript(file); }, [&] { Choose(Main(), {"&Выполнение F9"}); },
                           [&] {
                               Choose(Main(), {"&Файл", "&Выход"});
                           },
                           [&] { ADD_FAILURE() << "input after the main window closed"; }};
    EXPECT_EQ(Program::Main(platform), 0);
    EXPECT_TRUE(platform.MessageBoxes.empty());  // the run set a register
    EXPECT_TRUE(platform.Stack.empty());
    EXPECT_EQ(RunUnit::RegisterFile[0], 0);
    EXPECT_EQ(MainUnit::ScriptFileName, "");
}

}  // namespace
