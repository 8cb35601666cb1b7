// Start-up: placement and stacking, the Windows menu, and how the program ends.
#include "FormFixture.h"
#include "RunUnit.h"

namespace {

TEST_F(FormTest, WindowsArePlacedFromTheScreenWidth) {
    const auto at = [](const MemoryWindow& window) {
        return std::pair(window.Left(), window.Top());
    };
    for (const auto& [screenWidth, mainLeft] : {std::pair(1025, 112), std::pair(641, -79)}) {
        SCOPED_TRACE(screenWidth);
        Start(screenWidth);
        EXPECT_EQ(at(Main()), std::pair(mainLeft, 0));
        EXPECT_EQ(at(ListingWindow()), std::pair(mainLeft, 420));
        EXPECT_EQ(at(FirmwareWindow()), std::pair(mainLeft, 119));
        EXPECT_EQ(at(ScriptWindow()), std::pair(mainLeft + 177, 119));
    }
}

TEST_F(FormTest, MainWindowLiesOnTopAndTheWindowsMenuBringsToolsBack) {
    EXPECT_EQ(platform.ActiveWindow(), &Main());
    const std::pair<MemoryWindow*, const char*> tools[] = {{&ScriptWindow(), "&Скрипт"},
                                                           {&ListingWindow(), "&Листинг"},
                                                           {&FirmwareWindow(), "&Прошивка"}};
    for (const auto& [window, item] : tools) {
        window->Close();
        Choose(Main(), {"&Окна", item});
        EXPECT_EQ(platform.ActiveWindow(), window);
    }
    EXPECT_FALSE(platform.LoopEnded);  // closing a tool window only hides it
}

TEST_F(FormTest, ExitEndsTheLoopAndShutDownReleasesEverything) {
    OpenScript(temp.Write("inc.vts", "INC2 01 01\r\n"));
    Choose(Main(), {"&Выполнение F9"});
    Choose(Main(), {"&Файл", "&Выход"});
    EXPECT_TRUE(platform.LoopEnded);
    EXPECT_TRUE(platform.Messages.empty());  // the run set a register
    Program::ShutDown();
    EXPECT_EQ(RunUnit::RegisterFile[0], 0);
    EXPECT_EQ(MainUnit::ScriptFileName, "");
}

}  // namespace
