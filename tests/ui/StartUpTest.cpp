// Start-up: placement and stacking, the Windows menu, and how the program ends.
#include "FormFixture.h"
#include "RunUnit.h"

namespace {

struct Layout {
    int ScreenWidth, MainLeft, ScriptLeft;
};

class PlacementTest : public FormTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(PlacementTest, WindowsArePlacedFromTheScreenWidth) {
    const Layout layout = GetParam();
    Start(layout.ScreenWidth);
    const std::vector<std::pair<int, int>> placed = {
        {Main().Left(), Main().Top()},
        {ListingWindow().Left(), ListingWindow().Top()},
        {FirmwareWindow().Left(), FirmwareWindow().Top()},
        {ScriptWindow().Left(), ScriptWindow().Top()}};
    const std::vector<std::pair<int, int>> expected = {{layout.MainLeft, 0},
                                                       {layout.MainLeft, 420},
                                                       {layout.MainLeft, 119},
                                                       {layout.ScriptLeft, 119}};
    EXPECT_EQ(placed, expected);
}

INSTANTIATE_TEST_SUITE_P(ScreenWidths, PlacementTest,
                         ::testing::Values(Layout{1025, 112, 289}, Layout{799, 0, 177},
                                           Layout{641, -79, 98}),
                         [](const ::testing::TestParamInfo<Layout>& info) {
                             return "Width" + std::to_string(info.param.ScreenWidth);
                         });

TEST_F(FormTest, MainWindowLiesOnTopAndTheWindowsMenuBringsToolsBack) {
    Start();
    const std::vector<MemoryWindow*> bottomToTop = {&ListingWindow(), &FirmwareWindow(),
                                                    &ScriptWindow(), &Main()};
    EXPECT_EQ(platform.StackingOrder(), bottomToTop);
    EXPECT_EQ(platform.ActiveWindow(), &Main());
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

TEST_F(FormTest, ExitEndsTheLoopWithoutSavingAndReleasesEverything) {
    const std::string file = temp.Write("inc.vts", "INC2 01 01\r\nEQU2 01 'R'\r\n");
    platform.DialogAnswers.push_back(file);
    std::string listingSeen;
    platform.RunActions = {[&] { Press(Main(), 114, true); },
                           [&] { Press(ScriptWindow(), 120); },
                           [&] { ScriptView().TypeText("SWP 01\r\n"); },
                           [&] { listingSeen = std::string(Listing().Text()); },
                           [&] {
                               Choose(Main(), {"&Файл", "&Выход"});
                           },
                           [&] { ADD_FAILURE() << "input after the main window closed"; }};
    EXPECT_EQ(Program::Main(platform), 0);
    EXPECT_EQ(listingSeen, "R: 00000001\r\n");
    EXPECT_EQ(TempDir::Read(file), "INC2 01 01\r\nEQU2 01 'R'\r\n");
    EXPECT_TRUE(platform.MessageBoxes.empty());
    EXPECT_EQ(MainUnit::MainForm, nullptr);
    EXPECT_TRUE(platform.Windows().empty());
    EXPECT_EQ(RunUnit::RegisterFile[0], 0);
    EXPECT_EQ(MainUnit::ScriptFileName, "");
}

}  // namespace
