// The real program on the Qt backend, offscreen: start-up with the windows' frames and looks, the
// commands from their keys with the dialogs answered through the platform, and the error box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <utility>

#include "Cp1251.h"
#include "FirmwareUnit.h"
#include "HexUnit.h"
#include "ListingUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "QtControls.h"
#include "QtProbe.h"
#include "QtRowView.h"
#include "QtTextView.h"
#include "QtWindow.h"
#include "ScriptUnit.h"
#include "TempDir.h"

namespace {

// The dump's rows of the current image, one string each.
std::vector<std::string> DumpRows() {
    std::string text;
    HexUnit::AppendDumpRows(text, 0, HexUnit::DumpRowCount(), "\n");
    std::vector<std::string> rows;
    for (size_t at = 0; at < text.size(); at = text.find('\n', at) + 1)
        rows.push_back(text.substr(at, text.find('\n', at) - at));
    return rows;
}

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
    std::string Shown(Platform::TextView& view) { return probe.DisplayedText(view); }
    static QtWindow& ScriptWindow() { return QtProbe::Of(*ScriptUnit::ScriptForm->Window); }
    static QtWindow& ListingWindow() { return QtProbe::Of(*ListingUnit::ListingForm->Window); }
    static QtWindow& FirmwareWindow() { return QtProbe::Of(*FirmwareUnit::FirmwareForm->Window); }
    static QtTextView& ScriptView() { return QtProbe::Of(*ScriptUnit::ScriptForm->ScriptMemo); }

    QtProbe probe;
    std::optional<std::string> answer;  // the file dialog's next answer
    std::vector<std::pair<std::string, std::string>> boxes;
    TempDir dir;
};

TEST_F(QtProgramTest, StartsWithFourWindowsPlacedFramedAndDrawn) {
    const int left = (QGuiApplication::primaryScreen()->geometry().width() - 800) / 2;
    const Qt::WindowFlags buttons = Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    QtWindow& main = MainWindow();
    EXPECT_EQ(main.frameGeometry().topLeft(), QPoint(left, 0));
    EXPECT_EQ(main.Client()->size(), QSize(792, 67));
    EXPECT_EQ(main.minimumSize(), main.maximumSize());
    EXPECT_EQ(main.windowFlags() & buttons, Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    EXPECT_EQ(ListingWindow().frameGeometry(), QRect(left, 420, 798, 500));
    EXPECT_EQ(FirmwareWindow().frameGeometry(), QRect(left, 119, 620, 500));
    EXPECT_EQ(ScriptWindow().frameGeometry(), QRect(left + 177, 119, 620, 500));
    // The tool windows: sizeable, independent windows with a caption and no caption buttons.
    for (QtWindow* tool : {&ListingWindow(), &FirmwareWindow(), &ScriptWindow()}) {
        EXPECT_LT(tool->minimumHeight(), tool->maximumHeight());
        EXPECT_EQ(tool->windowType(), Qt::Window);
        EXPECT_EQ(tool->windowFlags() & (buttons | Qt::WindowTitleHint), Qt::WindowTitleHint);
    }
    // Access letters stay; drop-down items name their shortcut; Run stands on the bar.
    QStringList bar;
    for (QAction* action : main.menuBar()->actions()) bar << action->text();
    EXPECT_EQ(bar, QString::fromUtf8("&Файл|&Окна|&Выполнение F9").split('|'));
    EXPECT_EQ(Item(main, "&Открыть скрипт...")->text(),
              QString::fromUtf8("&Открыть скрипт...\tShift+F3"));
    EXPECT_EQ(ListingWindow().menuWidget(), nullptr);

    // The status panels: black, a raised outer and a lowered inner bevel, a gap between them,
    // and the text in lime bold 16 px.
    const QImage client = main.Client()->grab().toImage();
    const QColor light = client.pixelColor(0, 0), shadow = client.pixelColor(791, 32);
    EXPECT_GT(light.lightness(), shadow.lightness());
    EXPECT_GT(shadow.lightness(), 0);
    EXPECT_EQ(client.pixelColor(791, 0), shadow);  // the outer bevel is raised
    EXPECT_EQ(client.pixelColor(1, 1), shadow);    // the inner bevel is lowered
    EXPECT_EQ(client.pixelColor(790, 31), light);  // ... and lit from below right
    EXPECT_EQ(client.pixelColor(400, 2), QColor(Qt::black));
    EXPECT_EQ(client.pixelColor(400, 33), main.palette().color(QPalette::Window));
    EXPECT_EQ(client.pixelColor(400, 34), light);  // the second panel starts after the gap
    int limePixels = 0;
    for (int x = 2; x < 300; ++x)
        for (int y = 2; y < 31; ++y) limePixels += client.pixelColor(x, y) == QColor(0, 255, 0);
    EXPECT_GT(limePixels, 100);
    const QFontInfo panelFace(
        dynamic_cast<QtPanel&>(*MainUnit::MainForm->ScriptLoadedPanel).font());
    EXPECT_TRUE(panelFace.bold());
    EXPECT_EQ(panelFace.pixelSize(), 16);

    // The views: a fixed-pitch bold face of 16 px in their colours, no wrap, scroll bars standing.
    QtTextView& script = ScriptView();
    const QFontInfo face(script.font());
    EXPECT_TRUE(face.fixedPitch()) << face.family().toStdString();
    EXPECT_TRUE(face.bold());
    EXPECT_EQ(face.pixelSize(), 16);
    EXPECT_EQ(script.palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_EQ(script.palette().color(QPalette::Text), QColor(255, 255, 0));
    EXPECT_EQ(script.lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(script.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(script.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(QtProbe::Of(*ListingUnit::ListingForm->ListingMemo).horizontalScrollBarPolicy(),
              Qt::ScrollBarAlwaysOn);
    ScriptUnit::ScriptForm->ScriptLines.SetText(std::string(400, 'x'));
    probe.ProcessEvents();
    EXPECT_EQ(script.document()->firstBlock().layout()->lineCount(), 1);
}

TEST_F(QtProgramTest, F3ShowsTheDumpsRowsUnderItsHeaderAndNamesTheImage) {
    const std::string image = VANTREL_EXAMPLES "/firmware.bin";
    answer = image;
    Press(ScriptWindow(), Qt::Key_F3);
    FirmwareUnit::TFirmwareForm& firmware = *FirmwareUnit::FirmwareForm;
    Platform::TextControl& header = *firmware.FirstStringStaticText;
    EXPECT_EQ(header.Text(), HexUnit::DumpHeader());
    QtRowView& view = QtProbe::Of(*firmware.FirmwareShowMemo);
    const std::vector<std::string> rows = DumpRows();
    std::string top;
    for (uint32_t row = 0; row < view.Cursor().PageLines(); ++row)
        top += (row > 0 ? "\r\n" : "") + rows[row];
    EXPECT_EQ(probe.DisplayedText(view), top);
    EXPECT_EQ(view.Cursor().LineCount(), rows.size() + 1);
    EXPECT_EQ(MainUnit::MainForm->FirmwareLoadedPanel->Text(),
              Cp1251::FromUtf8("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + image);

    // The header's columns stand over the dump's: the first "00" of the header, after eleven
    // blanks, begins where the eleven characters of a row's address and bar end.
    auto& label = dynamic_cast<QtLabel&>(header);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.geometry(), QRect(1, 0, 611, 25));
    EXPECT_EQ(view.geometry(), QRect(0, 25, 613, 434));
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

    // Scrolling to the last row moves the rows only, never the header.
    const QImage headerBefore = label.grab().toImage();
    probe.PressKey(view, {.VirtualKey = 0x23, .Ctrl = true});
    const std::string bottom = probe.DisplayedText(view);
    const std::string& first = rows[rows.size() + 1 - view.Cursor().PageLines()];
    EXPECT_EQ(bottom.substr(0, first.size()), first);
    EXPECT_EQ(bottom.substr(bottom.size() - rows.back().size() - 2), rows.back() + "\r\n");
    EXPECT_EQ(label.grab().toImage(), headerBefore);
    EXPECT_EQ(header.Text(), HexUnit::DumpHeader());

    // The dump keeps its distance from the bottom edge; the header stays as it is.
    FirmwareWindow().resize(FirmwareWindow().size() + QSize(80, 100));
    probe.ProcessEvents();
    EXPECT_EQ(view.geometry(), QRect(0, 25, 613, 534));
    EXPECT_EQ(label.geometry(), QRect(1, 0, 611, 25));
}

TEST_F(QtProgramTest, TypingIntoTheDumpEditsItsTextUntilTheNextF3) {
    answer = VANTREL_EXAMPLES "/firmware.bin";
    Press(MainWindow(), Qt::Key_F3);
    FirmwareUnit::TFirmwareForm& firmware = *FirmwareUnit::FirmwareForm;
    QtRowView& view = QtProbe::Of(*firmware.FirmwareShowMemo);
    const std::vector<std::string> rows = DumpRows();
    const std::vector<uint8_t> image = HexUnit::ImageBytes;

    // Typed where the caret stands, in the rows turned into text; the image is untouched.
    probe.PressKey(view, {.VirtualKey = 0x28});
    probe.TypeText(view, "typed");
    ASSERT_TRUE(view.Edited());
    EXPECT_EQ(QApplication::focusWidget(), &view.TextView());
    EXPECT_EQ(firmware.DumpLines.Count(), static_cast<int32_t>(rows.size()));
    EXPECT_EQ(firmware.DumpLines.Get(1), "typed" + rows[1]);
    EXPECT_EQ(HexUnit::ImageBytes, image);

    // F3 from the edited text: the rows again, the typing gone, the keys back with the rows.
    answer = VANTREL_EXAMPLES "/firmware.bin";
    QTest::keyClick(FirmwareWindow().windowHandle(), Qt::Key_F3);
    probe.ProcessEvents();
    EXPECT_FALSE(view.Edited());
    EXPECT_EQ(firmware.DumpLines.Text(), "");
    EXPECT_EQ(probe.DisplayedText(view).substr(0, rows[0].size() + 2), rows[0] + "\r\n");
    EXPECT_EQ(QApplication::focusWidget(), &view);
    EXPECT_EQ(firmware.FirstStringStaticText->Text(), HexUnit::DumpHeader());
}

TEST_F(QtProgramTest, ShiftF3ShowsTheScriptF9InItsViewShowsTheListingSaveWritesIt) {
    const std::string file = dir.Write("s.vts", "INC2 01 01\nEQU2 01 'R'");
    answer = file;
    Press(FirmwareWindow(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::activeWindow(), &ScriptWindow());
    EXPECT_EQ(Shown(ScriptView()), "INC2 01 01\r\nEQU2 01 'R'");

    // F9 where the script view has the focus.
    ASSERT_EQ(QApplication::focusWidget(), &ScriptView());
    QTest::keyClick(ScriptWindow().windowHandle(), Qt::Key_F9);
    probe.ProcessEvents();
    EXPECT_EQ(QApplication::activeWindow(), &ListingWindow());
    EXPECT_EQ(Shown(*ListingUnit::ListingForm->ListingMemo), "R: 00000001\r\n");

    probe.TypeText(ScriptView(), "\r\nSWP 01");
    Item(ScriptWindow(), "Сохранить скрипт")->trigger();
    EXPECT_EQ(TempDir::Read(file), "INC2 01 01\r\nEQU2 01 'R'\r\nSWP 01");
}

TEST_F(QtProgramTest, MinimisedToolWindowsComeBackWhenShown) {
    // However the window manager left a window, the commands that show it bring it back active:
    // the menu, F9 for the listing, Shift+F3 for the script.
    ScriptWindow().showMinimized();
    Item(MainWindow(), "&Скрипт")->trigger();
    EXPECT_FALSE(ScriptWindow().isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&ScriptWindow()));

    ListingWindow().showMinimized();
    Press(MainWindow(), Qt::Key_F9);
    EXPECT_FALSE(ListingWindow().isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&ListingWindow()));

    ScriptWindow().showMinimized();
    answer = dir.Write("s.vts", "INC2 01 01");
    Press(MainWindow(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_FALSE(ScriptWindow().isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&ScriptWindow()));
}

TEST_F(QtProgramTest, AFailedRunShowsTheBoxAndPutsTheCaretOnTheLine) {
    answer = dir.Write("bad.vts", "EQU2 01 'One'\r\nSET2 02 00G4\r\nEQU2 01 'Never'\r\n");
    Press(MainWindow(), Qt::Key_F3, Qt::ShiftModifier);
    Press(MainWindow(), Qt::Key_F9);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Vantrel");
    EXPECT_EQ(boxes[0].second, "'$00G4' is not a valid integer value.");
    EXPECT_EQ(ScriptView().textCursor().blockNumber(), 1);
    EXPECT_EQ(ScriptView().textCursor().positionInBlock(), 0);
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
