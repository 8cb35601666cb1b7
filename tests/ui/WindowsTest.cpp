// The windows from start to end: placement and stacking, the menus, the main window's shortcuts
// from every window, and how the program ends.
#include "FormFixture.h"
#include "ShortCut.h"

namespace {

using namespace ShortCut;

TEST_F(FormTest, WindowsArePlacedFromTheScreenWidth) {
    const auto at = [](const MemoryWindow& w) { return std::pair(w.Left(), w.Top()); };
    for (const auto& [screenWidth, mainLeft] : {std::pair(1025, 112), std::pair(641, -79)}) {
        SCOPED_TRACE(screenWidth);
        Start(screenWidth);
        EXPECT_EQ(at(Main()), std::pair(mainLeft, 0));
        EXPECT_EQ(at(ListingWindow()), std::pair(mainLeft, 420));
        EXPECT_EQ(at(FirmwareWindow()), std::pair(mainLeft, 119));
        EXPECT_EQ(at(ScriptWindow()), std::pair(mainLeft + 177, 119));
    }
}

TEST_F(FormTest, ClosedToolWindowsComeBackByTheWindowsMenuAndExitEndsTheLoop) {
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
    Choose(Main(), {"&Файл", "&Выход"});
    EXPECT_TRUE(platform.LoopEnded);
}

TEST(ShortCut, NameShowsTheModifiersThenTheKey) {
    EXPECT_EQ(Name(Encode(Keys::F3, true)), "Shift+F3");
    EXPECT_EQ(Name(Encode(Keys::F24, true, true, true)), "Shift+Ctrl+Alt+F24");
}

// Each round starts the program afresh: a run left over from the round before would show 2.
TEST_F(FormTest, MainWindowShortcutsWorkWhereverTheFocusIs) {
    const std::string script = temp.Write("s.vts", "INC2 01 01\r\nEQU2 01 'R'\r\n");
    const std::string image = temp.Write("fw.bin", "\x7F");
    for (auto focused : {Main, ScriptWindow, ListingWindow, FirmwareWindow}) {
        Start();
        SCOPED_TRACE(focused().Spec.Caption);
        platform.DialogAnswers = {script, image};
        EXPECT_TRUE(Press(focused(), Keys::F3, true));
        EXPECT_TRUE(Press(focused(), Keys::F3));
        EXPECT_TRUE(Press(focused(), Keys::F9));
        EXPECT_EQ(DumpView().Editor.Line(0), "00000000 | 7F ");
        EXPECT_EQ(ListingWindow().TextViews.at(0).Displayed, "R: 00000001\r\n");
        EXPECT_EQ(platform.ActiveWindow(), &ListingWindow());  // a run shows the listing
        // Another modifier state is another key: it goes on to the window.
        EXPECT_FALSE(Press(focused(), Keys::F9, false, true));
    }
}

}  // namespace
