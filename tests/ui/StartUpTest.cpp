// Start-up: placement, stacking, the windows' frames and looks, and how the program ends.
#include <fstream>

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
    EXPECT_EQ(platform.ScreenWidthReads, 1);
    EXPECT_EQ(Main().Left(), layout.MainLeft);
    EXPECT_EQ(Main().Top(), 0);
    EXPECT_EQ(ListingWindow().Left(), layout.MainLeft);
    EXPECT_EQ(ListingWindow().Top(), 420);
    EXPECT_EQ(FirmwareWindow().Left(), layout.MainLeft);
    EXPECT_EQ(FirmwareWindow().Top(), 119);
    EXPECT_EQ(ScriptWindow().Left(), layout.ScriptLeft);
    EXPECT_EQ(ScriptWindow().Top(), 119);
}

INSTANTIATE_TEST_SUITE_P(ScreenWidths, PlacementTest,
                         ::testing::Values(Layout{1024, 112, 289}, Layout{800, 0, 177},
                                           Layout{799, 0, 177}, Layout{641, -79, 98}),
                         [](const ::testing::TestParamInfo<Layout>& info) {
                             return "Width" + std::to_string(info.param.ScreenWidth);
                         });

TEST_F(FormTest, StartUpCreatesInOrderAndShowsTheMainWindowLast) {
    platform.ScreenWidthValue = 1024;
    Program::StartUp(platform);
    EXPECT_EQ(platform.ApplicationTitle, "Vantrel");
    EXPECT_FALSE(Main().Visible());  // until the message loop starts
    const std::vector<MemoryWindow*> created = {&Main(), &ListingWindow(), &FirmwareWindow(),
                                                &ScriptWindow()};
    EXPECT_EQ(platform.Windows(), created);

    platform.Run(*MainUnit::MainForm->Window);
    const std::vector<MemoryWindow*> bottomToTop = {&ListingWindow(), &FirmwareWindow(),
                                                    &ScriptWindow(), &Main()};
    EXPECT_EQ(platform.StackingOrder(), bottomToTop);
    EXPECT_EQ(platform.ActiveWindow(), &Main());
    for (MemoryWindow* window : created) EXPECT_TRUE(window->Visible());
    EXPECT_EQ(MainUnit::ScriptFileName, "");
    EXPECT_EQ(Script().Count() + Listing().Count() + Dump().Count(), 0);
    EXPECT_EQ(Header(), "");
}

TEST_F(FormTest, MenusAndInitialTexts) {
    Start();
    // Drop-down items show their shortcut's name; the bar's Run item shows none.
    const std::vector<std::string> mainMenu = {Ru("&Файл"),
                                               Ru("  &Открыть скрипт...\tShift+F3"),
                                               Ru("  &Открыть HEX-файл...\tF3"),
                                               Ru("  &Выход"),
                                               Ru("&Окна"),
                                               Ru("  &Скрипт"),
                                               Ru("  &Листинг"),
                                               Ru("  &Прошивка"),
                                               Ru("&Выполнение F9")};
    EXPECT_EQ(Main().DisplayedMenu(), mainMenu);
    EXPECT_EQ(ScriptWindow().DisplayedMenu(),
              (std::vector<std::string>{Ru("Открыть скрипт"), Ru("Сохранить скрипт")}));
    EXPECT_EQ(FirmwareWindow().DisplayedMenu(), std::vector<std::string>{Ru("Открыть HEX-файл")});
    EXPECT_TRUE(ListingWindow().MenuBar.empty());

    EXPECT_EQ(ScriptPanel(), Ru("Скрипт: ещё не загружен"));
    EXPECT_EQ(FirmwarePanel(), Ru("HEX-файл: ещё не загружен"));
    EXPECT_EQ(Main().Caption(), "Vantrel");
    EXPECT_EQ(ScriptWindow().Caption(), Ru("Скрипт"));
    EXPECT_EQ(ListingWindow().Caption(), Ru("Листинг"));
    EXPECT_EQ(FirmwareWindow().Caption(), Ru("Бинарный файл"));
}

TEST_F(FormTest, ToolWindowCloseHidesAndTheWindowsMenuBringsItBack) {
    Start();
    ListingUnit::ListingForm->ListingLines.Add("kept");
    const struct {
        MemoryWindow& Window;
        const char* Item;
    } tools[] = {{ScriptWindow(), "&Скрипт"},
                 {ListingWindow(), "&Листинг"},
                 {FirmwareWindow(), "&Прошивка"}};
    for (const auto& tool : tools) {
        tool.Window.Close();
        EXPECT_FALSE(tool.Window.Visible());
        EXPECT_FALSE(platform.LoopEnded);
        Choose(Main(), {"&Окна", tool.Item});
        EXPECT_TRUE(tool.Window.Visible());
        EXPECT_EQ(platform.ActiveWindow(), &tool.Window);
        EXPECT_EQ(platform.StackingOrder().back(), &tool.Window);
    }
    EXPECT_EQ(Listing().Get(0), "kept");
}

TEST_F(FormTest, ClosingTheMainWindowEndsAtOnceWithoutSaving) {
    Start();
    const std::string file = temp.Write("edited.vts", "INV2 01\r\n");
    OpenScript(file);
    ScriptView().TypeText("SWP 01\r\n");
    Main().Close();
    EXPECT_TRUE(platform.LoopEnded);
    EXPECT_TRUE(platform.MessageBoxes.empty());
    EXPECT_EQ(TempDir::Read(file), "INV2 01\r\n");
}

TEST_F(FormTest, ExitItemClosesTheMainWindow) {
    Start();
    Choose(Main(), {"&Файл", "&Выход"});
    EXPECT_TRUE(platform.LoopEnded);
    EXPECT_FALSE(Main().Visible());
}

TEST_F(FormTest, MainRunsTheLoopAndReleasesEverything) {
    const std::string file = temp.Write("inc.vts", "INC2 01 01\r\nEQU2 01 'R'\r\n");
    platform.DialogAnswers.push_back(file);
    std::string listingSeen;
    platform.RunActions = {[&] { Press(Main(), 114, true); }, [&] { Press(ScriptWindow(), 120); },
                           [&] { listingSeen = std::string(Listing().Text()); },
                           [&] {
                               Choose(Main(), {"&Файл", "&Выход"});
                           },
                           [&] { ADD_FAILURE() << "input after the main window closed"; }};
    EXPECT_EQ(Program::Main(platform), 0);
    EXPECT_EQ(listingSeen, "R: 00000001\r\n");
    EXPECT_EQ(MainUnit::MainForm, nullptr);
    EXPECT_EQ(ScriptUnit::ScriptForm, nullptr);
    EXPECT_TRUE(platform.Windows().empty());
    EXPECT_EQ(RunUnit::RegisterFile[0], 0);
}

}  // namespace
