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

TEST_F(FormTest, FramesMenusAndLooks) {
    Start();
    const auto frame = [](MemoryWindow& w) {
        return std::make_tuple(w.Caption(), w.Spec.Width, w.Spec.Height, w.Spec.ClientSize,
                               w.Spec.Frame, w.Spec.SystemMenu);
    };
    using Platform::Border;
    EXPECT_EQ(frame(Main()),
              std::make_tuple(std::string("Vantrel"), 792, 67, true, Border::Fixed, true));
    EXPECT_EQ(frame(ListingWindow()),
              std::make_tuple(Ru("Листинг"), 798, 500, false, Border::Sizeable, false));
    EXPECT_EQ(frame(FirmwareWindow()),
              std::make_tuple(Ru("Бинарный файл"), 620, 500, false, Border::Sizeable, false));
    EXPECT_EQ(frame(ScriptWindow()),
              std::make_tuple(Ru("Скрипт"), 620, 500, false, Border::Sizeable, false));

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
    EXPECT_EQ(MainUnit::MainForm->Run.Shortcut, 120);
    EXPECT_EQ(ScriptWindow().DisplayedMenu(),
              (std::vector<std::string>{Ru("Открыть скрипт"), Ru("Сохранить скрипт")}));
    EXPECT_EQ(FirmwareWindow().DisplayedMenu(), std::vector<std::string>{Ru("Открыть HEX-файл")});
    EXPECT_TRUE(ListingWindow().MenuBar.empty());

    const Platform::Color black{0, 0, 0}, lime{0, 255, 0}, yellow{255, 255, 0};
    ASSERT_EQ(Main().Panels.size(), 2u);
    const MemoryText& scriptPanel = *Main().Panels[0];
    const MemoryText& firmwarePanel = *Main().Panels[1];
    EXPECT_EQ(scriptPanel.Value, Ru("Скрипт: ещё не загружен"));
    EXPECT_EQ(firmwarePanel.Value, Ru("HEX-файл: ещё не загружен"));
    EXPECT_EQ(firmwarePanel.Where.Top, 34);
    EXPECT_EQ(firmwarePanel.Where.Height, 33);
    EXPECT_EQ(firmwarePanel.Font, (Platform::Font{"System", 16, true, lime}));
    EXPECT_EQ(scriptPanel.Background, black);

    const MemoryTextView& script = ScriptView();
    EXPECT_TRUE(script.Spec.Where.FillClient);
    EXPECT_EQ(script.Spec.Background, (Platform::Color{0, 0, 255}));
    EXPECT_EQ(script.Spec.Font, (Platform::Font{"Courier", 16, true, yellow}));
    EXPECT_EQ(script.Spec.Bars, Platform::ScrollBars::Vertical);
    const MemoryTextView& listing = *ListingWindow().TextViews.at(0);
    EXPECT_EQ(listing.Spec.Background, (Platform::Color{166, 202, 240}));
    EXPECT_EQ(listing.Spec.Font.Colour, black);
    EXPECT_EQ(listing.Spec.Bars, Platform::ScrollBars::Both);
    const MemoryTextView& dump = *FirmwareWindow().TextViews.at(0);
    EXPECT_EQ(dump.Spec.Where.Top, 25);
    EXPECT_EQ(dump.Spec.Where.Width, 613);
    EXPECT_TRUE(dump.Spec.Where.AnchorBottom);
    EXPECT_EQ(dump.Spec.Font.Colour, lime);
    const MemoryText& header = *FirmwareWindow().Labels.at(0);
    EXPECT_EQ(header.Where.Left, 1);
    EXPECT_EQ(header.Where.Width, 611);
    EXPECT_EQ(header.Font.Colour, yellow);
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
