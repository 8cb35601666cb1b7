// The real program on the Qt backend, offscreen: the main window's client area, panels and face,
// the dump's header over its rows, minimised windows, the end of the loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QTest>
#include <QTimer>

#include "FirmwareUnit.h"
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
        probe.platform().AnswerFileDialog = [](const std::filesystem::path&) {
            return std::filesystem::path(VANTREL_EXAMPLES "/firmware.bin");
        };
        probe.platform().ReceiveMessage = [](const std::string&, const std::string& text) {
            ADD_FAILURE() << text;
        };
        Program::StartUp(probe.platform());
        MainUnit::MainForm->Window->Show();  // the message loop's first step
        ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
    }
    void TearDown() override { Program::ShutDown(); }

    QtProbe probe;
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
// begins where the eleven characters of a row's address and bar end. The text the dump turns into
// at the first edit stands where the rows stood.
TEST_F(QtProgramTest, DumpHeaderStandsOverItsColumnsAndTheTextOverTheRows) {
    probe.PressKey(*ScriptUnit::ScriptForm->Window, {.VirtualKey = 114});
    QtRowView& view = QtProbe::Of(*FirmwareUnit::FirmwareForm->FirmwareShowMemo);
    QWidget& firmware = *QtProbe::Of(*FirmwareUnit::FirmwareForm->Window).Client();
    const QImage client = firmware.grab().toImage();
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

    probe.TypeText(view, "X");  // on the first line; the lines below stay
    ASSERT_TRUE(view.Edited());
    const QRect below(0, view.y() + 2 * metrics.lineSpacing(), view.width() - 30, 200);
    EXPECT_EQ(firmware.grab().toImage().copy(below), client.copy(below));
}

// However the window manager left a window, the commands that show it bring it back active.
TEST_F(QtProgramTest, MinimisedToolWindowsComeBackWhenShown) {
    QtWindow& listing = QtProbe::Of(*ListingUnit::ListingForm->Window);
    listing.showMinimized();
    probe.PressKey(*MainUnit::MainForm->Window, {.VirtualKey = 120});
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
