// The real program on the Qt backend, offscreen: the main window's client area, panels and face,
// the dump's header over its rows and its context menu, minimised windows, the end of the loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "AnsweringDesktop.h"
#include "FirmwareUnit.h"
#include "Keys.h"
#include "LineList.h"
#include "ListingUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "QtProbe.h"
#include "ScriptUnit.h"

namespace {

QtWindow& MainWindow() {
    return QtProbe::Of(*MainUnit::MainForm->Window);
}

class QtProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.AnswerFileDialog = [](const std::filesystem::path&) {
            return std::filesystem::path(VANTREL_EXAMPLES "/firmware.bin");
        };
        desktop.ReceiveMessage = [](const std::string&, const std::string& text) {
            ADD_FAILURE() << text;
        };
        Program::StartUp(desktop);
        MainUnit::MainForm->Window->Show();  // the message loop's first step
        ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
    }
    void TearDown() override { Program::ShutDown(); }

    QtProbe probe;
    AnsweringDesktop desktop{probe.platform()};
};

TEST_F(QtProgramTest, MainWindowClientAreaPanelBevelsAndViewFace) {
    EXPECT_EQ(MainWindow().Client()->size(), QSize(792, 67));

    // The status panels: a raised outer and a lowered inner bevel.
    const QImage client = MainWindow().Client()->grab().toImage();
    const QColor light = client.pixelColor(0, 0), shadow = client.pixelColor(791, 32);
    EXPECT_GT(light.lightness(), shadow.lightness());
    EXPECT_EQ(client.pixelColor(791, 0), shadow);  // the outer bevel is raised
    EXPECT_EQ(client.pixelColor(1, 1), shadow);    // the inner bevel is lowered

    // The views: a fixed-pitch bold face of 16 px.
    const QFontInfo face(QtProbe::Of(*ScriptUnit::ScriptForm->ScriptMemo).font());
    EXPECT_TRUE(face.fixedPitch()) << face.family().toStdString();
    EXPECT_TRUE(face.bold());
    EXPECT_EQ(face.pixelSize(), 16);
}

// The header's columns stand over the dump's: the first "00" of the header, after eleven blanks,
// begins where the eleven characters of a row's address and bar end. The rows look as the text
// view of the other windows shows the same lines: font, colours, margins and line spacing.
TEST_F(QtProgramTest, DumpHeaderStandsOverItsColumnsAndRowsLookAsText) {
    probe.PressKey(*ScriptUnit::ScriptForm->Window, {.VirtualKey = Keys::F3});
    QtRowView& view = QtProbe::Of(*FirmwareUnit::FirmwareForm->FirmwareShowMemo);
    view.clearFocus();  // no caret, as in the text view without the focus
    const QImage client =
        QtProbe::Of(*FirmwareUnit::FirmwareForm->Window).Client()->grab().toImage();
    auto firstColumn = [&](int top, int bottom, QColor colour) {
        for (int x = 0; x < client.width(); ++x)
            for (int y = top; y < bottom; ++y)
                if (client.pixelColor(x, y) == colour) return x;
        return -1;
    };
    const int headerText = firstColumn(1, 24, QColor(255, 255, 0));
    const int rowText = firstColumn(26, 45, QColor(0, 255, 0));
    const QFontMetricsF metrics(view.font());
    EXPECT_NEAR(headerText - metrics.horizontalAdvance(QString(11, ' ')), rowText, 1.0);

    LineList lines;
    QtTextView text(
        {.Where = {},
         .Background = {0, 0, 0},
         .Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 255, 0}}},
        lines, nullptr);
    lines.SetText(LinesOf(view.Editor(), 0, view.Editor().LineCount()));
    text.resize(view.size());
    const QRect inside = view.viewport()->geometry();
    auto pixels = [&](QWidget& widget) {
        return widget.grab(inside).toImage().convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(pixels(view), pixels(text));
}

// The context menu opens on a right click and runs what is chosen in it: here, by the keyboard,
// going to an address that the user gives in the real prompt.
TEST_F(QtProgramTest, ContextMenuRunsGoToThroughThePrompt) {
    probe.PressKey(*ScriptUnit::ScriptForm->Window, {.VirtualKey = Keys::F3});
    QtRowView& view = QtProbe::Of(*FirmwareUnit::FirmwareForm->FirmwareShowMemo);
    QMenu* menu = QtProbe::OpenContextMenu(view);
    ASSERT_NE(menu, nullptr);
    probe.AnswerPrompt({.Typed = "0xF00"});
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
        QTest::keyClick(menu, key);
    EXPECT_EQ(view.Editor().Caret(), (RowPoint{0xF0, 11}));
    EXPECT_EQ(view.verticalScrollBar()->value(), static_cast<int>(view.Editor().Top()));
    EXPECT_GT(view.Editor().Top(), 0u);
}

// However the window manager left a window, the commands that show it bring it back active.
TEST_F(QtProgramTest, MinimisedToolWindowsComeBackWhenShown) {
    QtWindow& listing = QtProbe::Of(*ListingUnit::ListingForm->Window);
    listing.showMinimized();
    probe.PressKey(*MainUnit::MainForm->Window, {.VirtualKey = Keys::F9});
    EXPECT_FALSE(listing.isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&listing));
}

TEST(QtProgramMainTest, RunsUntilTheMainWindowClosesAndReleasesTheWindows) {
    QtProbe probe;
    QTimer::singleShot(0, [&] { probe.RequestClose(*MainUnit::MainForm->Window); });
    // A loop that does not end fails the test instead of hanging it.
    QTimer stuck;
    stuck.setSingleShot(true);
    stuck.callOnTimeout([] { QCoreApplication::exit(1); });
    stuck.start(5000);
    Program::Main(probe.platform());
    EXPECT_TRUE(stuck.isActive()) << "the loop ran on after the main window closed";
    EXPECT_EQ(MainUnit::MainForm, nullptr);
}

}  // namespace
