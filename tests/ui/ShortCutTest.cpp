// Shortcut values, names and matching, and the main window's shortcuts from every window.
#include "FormFixture.h"
#include "ShortCut.h"

namespace {

TEST(ShortCut, EncodesNamesAndMatches) {
    EXPECT_EQ(ShortCut::Encode(114, true), 8306);
    EXPECT_EQ(ShortCut::Encode(65, false, true, true), 65 + 16384 + 32768);
    EXPECT_EQ(ShortCut::Name(8306), "Shift+F3");
    EXPECT_EQ(ShortCut::Name(ShortCut::Encode(135, true, true, true)), "Shift+Ctrl+Alt+F24");
    EXPECT_EQ(ShortCut::Name(ShortCut::Encode('S', false, true)), "");  // no name: no shortcut
    EXPECT_TRUE(ShortCut::Matches(8306, {.VirtualKey = 114, .Shift = true}));
    EXPECT_FALSE(ShortCut::Matches(8306, {.VirtualKey = 114, .Shift = true, .Ctrl = true}));
    EXPECT_FALSE(ShortCut::Matches(120, {.VirtualKey = 120, .Alt = true}));
    EXPECT_FALSE(ShortCut::Matches(0, {}));
}

class ShortCutFromWindow : public FormTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override { Start(); }
    MemoryWindow& Focused() {
        MemoryWindow* windows[] = {&Main(), &ScriptWindow(), &ListingWindow(), &FirmwareWindow()};
        return *windows[GetParam()];
    }
};

TEST_P(ShortCutFromWindow, MainWindowShortcutsWorkWhereverTheFocusIs) {
    const std::string script = temp.Write("s.vts", "INC2 01 01\r\nEQU2 01 'R'\r\n");
    Focused().Show();
    platform.DialogAnswers.push_back(script);
    EXPECT_TRUE(Press(Focused(), 114, true));
    EXPECT_EQ(MainUnit::ScriptFileName, script);

    Focused().Show();
    platform.DialogAnswers.push_back(temp.Write("fw.bin", "\x7F"));
    EXPECT_TRUE(Press(Focused(), 114));
    EXPECT_EQ(DumpView().Cursor.Line(0), "00000000 | 7F ");

    Focused().Show();
    EXPECT_TRUE(Press(Focused(), 120));
    EXPECT_EQ(Listing().Text(), "R: 00000001\r\n");

    // Other modifier states are other keys: nothing runs and the key goes on to the window.
    EXPECT_FALSE(Press(Focused(), 120, true));
    EXPECT_FALSE(Press(Focused(), 113));
    EXPECT_EQ(platform.DialogOffers.size(), 2u);
    EXPECT_EQ(Listing().Text(), "R: 00000001\r\n");
    EXPECT_TRUE(platform.MessageBoxes.empty());
}

std::string WindowName(const ::testing::TestParamInfo<int>& info) {
    const char* names[] = {"Main", "Script", "Listing", "Firmware"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(EachWindow, ShortCutFromWindow, ::testing::Values(0, 1, 2, 3), WindowName);

}  // namespace
