// The real program on the Qt backend, offscreen: the main window's client area, panels and face,
// the dump's header over its rows, F3 from the dump's text, minimised windows, the end of the loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QTest>
#include <QTimer>
#include <utility>

#include "FirmwareUnit.h"
#include "HexUnit.h"
#include "ListingUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "QtProbe.h"
#include "QtRowView.h"
#include "QtTextView.h"
#include "QtWindow.h"
#include "ScriptUnit.h"

namespace {

QtWindow& MainWindow() {
    return QtProbe::Of(*MainUnit::MainForm->Window);
}

// The menu item with this caption, on the bar or in a drop-down, as the user sees it.
QAction* Item(QtWindow& window, const char* utf8Caption) {
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text().section('\t', 0, 0) == QString::fromUtf8(utf8Caption)) return action;
    return nullptr;
}

class QtProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        probe.Qt().AnswerFileDialog = [this](const std::filesystem::path&) {
            return std::exchange(answer, std::nullopt);
        };
        probe.Qt().ReceiveMessage = [this](const std::string& caption, const std::string& text) {
            boxes.push_back({caption, text});
        };
        Program::StartUp(probe.Qt());
        MainUnit::MainForm->Window->Show();  // the message loop's first step
        ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
    }
    void TearDown() override { Program::ShutDown(); }

    // Presses the key where `window` has the focus, as the user would.
    void Press(QtWindow& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.windowHandle(), key, modifiers);
        probe.ProcessEvents();
    }
    static QtWindow& ScriptWindow() { return QtProbe::Of(*ScriptUnit::ScriptForm->Window); }
    static QtWindow& ListingWindow() { return QtProbe::Of(*ListingUnit::ListingForm->Window); }
    static QtWindow& FirmwareWindow() { return QtProbe::Of(*FirmwareUnit::FirmwareForm->Window); }
    static QtTextView& ScriptView() { return QtProbe::Of(*ScriptUnit::ScriptForm->ScriptMemo); }

    QtProbe probe;
    std::optional<std::string> answer;  // the file dialog's next answer
    std::vector<std::pair<std::string, std::string>> boxes;
};

TEST_F(QtProgramTest, MainWindowClientAreaPanelBevelsAndViewFace) {
    QtWindow& main = MainWindow();
    EXPECT_EQ(main.Client()->size(), QSize(792, 67));

    // The status panels: a raised outer and a lowered inner bevel.
    const QImage client = main.Client()->grab().toImage();
    const QColor light = client.pixelColor(0, 0), shadow = client.pixelColor(791, 32);
    EXPECT_GT(light.lightness(), shadow.lightness());
    EXPECT_EQ(client.pixelColor(791, 0), shadow);  // the outer bevel is raised
    EXPECT_EQ(client.pixelColor(1, 1), shadow);    // the inner bevel is lowered

    // The views: a fixed-pitch bold face of 16 px.
    const QFontInfo face(ScriptView().font());
    EXPECT_TRUE(face.fixedPitch()) << face.family().toStdString();
    EXPECT_TRUE(face.bold());
    EXPECT_EQ(face.pixelSize(), 16);
}

TEST_F(QtProgramTest, F3ShowsTheRowsUnderTheHeaderAndAgainAfterAnEdit) {
    const std::string image = VANTREL_EXAMPLES "/firmware.bin";
    answer = image;
    Press(ScriptWindow(), Qt::Key_F3);
    FirmwareUnit::TFirmwareForm& firmware = *FirmwareUnit::FirmwareForm;
    Platform::TextControl& header = *firmware.FirstStringStaticText;
    EXPECT_EQ(header.Text(), HexUnit::DumpHeader());
    QtRowView& view = QtProbe::Of(*firmware.FirmwareShowMemo);

    // The header's columns stand over the dump's: the first "00" of the header, after eleven
    // blanks, begins where the eleven characters of a row's address and bar end.
    const QImage client = FirmwareWindow().Client()->grab().toImage();
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

    // Typed into, the dump turns into its text; F3 from there brings the rows and the keys back.
    probe.TypeText(view, "typed");
    ASSERT_TRUE(view.Edited());
    EXPECT_EQ(QApplication::focusWidget(), &view.TextView());
    answer = image;
    QTest::keyClick(FirmwareWindow().windowHandle(), Qt::Key_F3);
    probe.ProcessEvents();
    EXPECT_FALSE(view.Edited());
    EXPECT_EQ(firmware.DumpLines.Text(), "");
    EXPECT_EQ(QApplication::focusWidget(), &view);
}

TEST_F(QtProgramTest, MinimisedToolWindowsComeBackWhenShown) {
    // However the window manager left a window, the commands that show it bring it back active.
    ListingWindow().showMinimized();
    Press(MainWindow(), Qt::Key_F9);
    EXPECT_FALSE(ListingWindow().isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&ListingWindow()));
}

TEST(QtProgramMainTest, RunsUntilTheMainWindowClosesAndReleasesTheWindows) {
    QtProbe probe;
    int windows = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            windows += dynamic_cast<QtWindow*>(widget) && widget->isVisible();
        Item(MainWindow(), "&Выход")->trigger();
    });
    EXPECT_EQ(Program::Main(probe.Qt()), 0);
    EXPECT_EQ(windows, 4);
    EXPECT_EQ(MainUnit::MainForm, nullptr);
}

}  // namespace
