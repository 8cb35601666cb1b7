// Shortcut names, and the main window's shortcuts from every window.
#include "FormFixture.h"
#include "ShortCut.h"

namespace {

using namespace ShortCut;

TEST(ShortCut, NameShowsTheModifiersThenTheKey) {
    EXPECT_EQ(Name(Encode(KeyF3, true)), "Shift+F3");
    EXPECT_EQ(Name(Encode(KeyF24, true, true, true)), "Shift+Ctrl+Alt+F24");
    EXPECT_EQ(Name(Encode('S', false, true)), "");  // no name: no shortcut shown
}

TEST_F(FormTest, MainWindowShortcutsWorkWhereverTheFocusIs) {
    const std::string script = temp.Write("s.vts", "INC2 01 01\r\nEQU2 01 'R'\r\n");
    const std::string image = temp.Write("fw.bin", "\x7F");
    for (auto focused : {Main, ScriptWindow, ListingWindow, FirmwareWindow}) {
        Start();
        SCOPED_TRACE(focused().Spec.Caption);
        platform.DialogAnswers = {script, image};
        EXPECT_TRUE(Press(focused(), KeyF3, true));
        EXPECT_TRUE(Press(focused(), KeyF3));
        EXPECT_TRUE(Press(focused(), KeyF9));
        EXPECT_EQ(DumpView().Cursor.Line(0), "00000000 | 7F ");
        EXPECT_EQ(ListingWindow().TextViews.at(0).Displayed, "R: 00000001\r\n");
        EXPECT_EQ(platform.ActiveWindow(), &ListingWindow());  // a run shows the listing
        // Another modifier state is another key: it goes on to the window.
        EXPECT_FALSE(Press(focused(), KeyF9, false, true));
    }
}

}  // namespace
