// The real program on the Qt backend, offscreen: start-up, the shortcuts from every window, the
// commands with their dialogs answered through the platform, and the error box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <deque>

#include "Cp1251.h"
#include "FirmwareUnit.h"
#include "HexUnit.h"
#include "ListingUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "QtProbe.h"
#include "QtTextView.h"
#include "QtWindow.h"
#include "ScriptUnit.h"
#include "TempDir.h"

namespace {

std::string Ru(const char* utf8) {
    return Cp1251::FromUtf8(utf8);
}

const std::string Examples = VANTREL_EXAMPLES;

QtWindow& MainWindow() {
    return QtProbe::Of(*MainUnit::MainForm->Window);
}
QtWindow& ScriptWindow() {
    return QtProbe::Of(*ScriptUnit::ScriptForm->Window);
}
QtWindow& ListingWindow() {
    return QtProbe::Of(*ListingUnit::ListingForm->Window);
}
QtWindow& FirmwareWindow() {
    return QtProbe::Of(*FirmwareUnit::FirmwareForm->Window);
}
QtTextView& ScriptView() {
    return QtProbe::Of(*ScriptUnit::ScriptForm->ScriptMemo);
}

// The menu item with this caption, on the bar or in a drop-down, as the user sees it.
QAction* Item(QtWindow& window, const char* utf8Caption) {
    const QString caption = QString::fromUtf8(utf8Caption);
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == caption) return action;
        if (action->menu())
            for (QAction* entry : action->menu()->actions())
                if (entry->text().section('\t', 0, 0) == caption) return entry;
    }
    return nullptr;
}

QStringList BarCaptions(QtWindow& window) {
    QStringList captions;
    if (!window.menuWidget()) return captions;
    for (QAction* action : window.menuBar()->actions()) captions << action->text();
    return captions;
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        probe.Qt().AnswerFileDialog = [this](const std::string& initial) {
            offered.push_back(initial);
            std::optional<std::string> answer;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        };
        probe.Qt().ReceiveMessageBox = [this](const std::string& caption, const std::string& text) {
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
    void OpenFirmware(const std::string& path, QtWindow& from) {
        answers.push_back(path);
        Press(from, Qt::Key_F3);
    }
    void OpenScript(const std::string& path, QtWindow& from) {
        answers.push_back(path);
        Press(from, Qt::Key_F3, Qt::ShiftModifier);
    }
    std::string Shown(Platform::TextView& view) { return probe.DisplayedText(view); }

    QtProbe probe;
    std::deque<std::string> answers;
    std::vector<std::string> offered;
    std::vector<std::pair<std::string, std::string>> boxes;
    TempDir dir;
};

TEST_F(ProgramTest, StartsWithFourWindowsPlacedForTheScreen) {
    const int left = (QGuiApplication::primaryScreen()->geometry().width() - 800) / 2;
    QtWindow& main = MainWindow();
    EXPECT_EQ(main.windowTitle(), "Vantrel");
    EXPECT_EQ(main.frameGeometry().topLeft(), QPoint(left, 0));
    EXPECT_EQ(main.Client()->size(), QSize(792, 67));
    EXPECT_EQ(main.minimumSize(), main.maximumSize());
    EXPECT_EQ(main.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
              Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    EXPECT_EQ(ListingWindow().windowTitle(), QString::fromUtf8("Листинг"));
    EXPECT_EQ(ListingWindow().frameGeometry(), QRect(left, 420, 798, 500));
    EXPECT_EQ(FirmwareWindow().windowTitle(), QString::fromUtf8("Бинарный файл"));
    EXPECT_EQ(FirmwareWindow().frameGeometry(), QRect(left, 119, 620, 500));
    EXPECT_EQ(ScriptWindow().windowTitle(), QString::fromUtf8("Скрипт"));
    EXPECT_EQ(ScriptWindow().frameGeometry(), QRect(left + 177, 119, 620, 500));

    for (QtWindow* window : {&main, &ListingWindow(), &FirmwareWindow(), &ScriptWindow()})
        EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &main);
    EXPECT_GT(main.RaisedAt(), ScriptWindow().RaisedAt());
    EXPECT_GT(ScriptWindow().RaisedAt(), FirmwareWindow().RaisedAt());
    EXPECT_GT(FirmwareWindow().RaisedAt(), ListingWindow().RaisedAt());

    EXPECT_EQ(MainUnit::MainForm->ScriptLoadedPanel->Text(), Ru("Скрипт: ещё не загружен"));
    EXPECT_EQ(MainUnit::MainForm->FirmwareLoadedPanel->Text(), Ru("HEX-файл: ещё не загружен"));
    EXPECT_EQ(BarCaptions(main), QString::fromUtf8("&Файл|&Окна|&Выполнение F9").split('|'));
    EXPECT_EQ(Item(main, "&Открыть скрипт...")->text(),
              QString::fromUtf8("&Открыть скрипт...\tShift+F3"));
    EXPECT_EQ(Item(main, "&Открыть HEX-файл...")->text(),
              QString::fromUtf8("&Открыть HEX-файл...\tF3"));
    EXPECT_EQ(BarCaptions(ScriptWindow()),
              QString::fromUtf8("Открыть скрипт|Сохранить скрипт").split('|'));
    EXPECT_EQ(BarCaptions(FirmwareWindow()), QStringList{QString::fromUtf8("Открыть HEX-файл")});
    EXPECT_EQ(ListingWindow().menuWidget(), nullptr);
}

TEST_F(ProgramTest, F3FillsTheDumpHeaderAndPanelWithoutShowingTheWindow) {
    probe.RequestClose(*FirmwareUnit::FirmwareForm->Window);
    const std::string image = Examples + "/firmware.bin";
    OpenFirmware(image, ScriptWindow());

    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(FirmwareWindow().isVisible());
    const std::string header = FirmwareUnit::FirmwareForm->FirstStringStaticText->Text();
    EXPECT_EQ(header.substr(0, 17), "           00 01 ");
    EXPECT_EQ(header, HexUnit::DumpHeader());
    const std::string dump = Shown(*FirmwareUnit::FirmwareForm->FirmwareShowMemo);
    EXPECT_EQ(dump.substr(0, 23), "00000000 | 7F 56 54 52 ");
    std::string rows;
    for (const std::string& row : HexUnit::ComposeDump().Rows) rows += row + "\r\n";
    EXPECT_TRUE(dump == rows);
    EXPECT_EQ(FirmwareUnit::FirmwareForm->DumpLines.Count(), 4096 / 16 + 1);
    EXPECT_EQ(MainUnit::MainForm->FirmwareLoadedPanel->Text(), Ru("HEX-ФАЙЛ ЗАГРУЖЕН:   ") + image);

    // The header's columns stand over the dump's: the first "00" of the header, after eleven
    // blanks, begins where the eleven characters of a row's address and bar end.
    FirmwareWindow().show();
    probe.ProcessEvents();
    const QImage client = FirmwareWindow().Client()->grab().toImage();
    auto firstColumn = [&](int top, int bottom, QColor colour) {
        for (int x = 0; x < client.width(); ++x)
            for (int y = top; y < bottom; ++y)
                if (client.pixelColor(x, y) == colour) return x;
        return -1;
    };
    const int headerText = firstColumn(1, 24, QColor(255, 255, 0));
    const int rowText = firstColumn(26, 45, QColor(0, 255, 0));
    const QFontMetricsF metrics(ScriptView().font());
    EXPECT_NEAR(headerText - metrics.horizontalAdvance(QString(11, ' ')), rowText, 1.0);

    // The firmware window's own item runs the same command and offers the path chosen last.
    answers.push_back(image);
    Item(FirmwareWindow(), "Открыть HEX-файл")->trigger();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0], "");
    EXPECT_EQ(offered[1], image);
}

TEST_F(ProgramTest, ShiftF3LoadsAndShowsTheScript) {
    probe.RequestClose(*ScriptUnit::ScriptForm->Window);
    const std::string script = dir.Write("lf.vts", "PTR4 0000 'Signature'\nSET2 01 0004\n");
    OpenScript(script, ListingWindow());

    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(ScriptWindow().isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &ScriptWindow());
    EXPECT_EQ(Shown(*ScriptUnit::ScriptForm->ScriptMemo),
              "PTR4 0000 'Signature'\r\nSET2 01 0004\r\n");
    EXPECT_EQ(MainUnit::MainForm->ScriptLoadedPanel->Text(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + script);
    EXPECT_EQ(MainUnit::ScriptFileName, script);

    // A missing file: the error box, and the panel still names the script loaded before.
    OpenScript(dir.Path("missing.vts"), MainWindow());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Vantrel");
    EXPECT_EQ(boxes[0].second,
              "Cannot open file \"" + dir.Path("missing.vts") + "\". No such file or directory.");
    EXPECT_EQ(MainUnit::MainForm->ScriptLoadedPanel->Text(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + script);
}

TEST_F(ProgramTest, F9InTheScriptViewRunsTheScriptIntoTheListing) {
    OpenFirmware(Examples + "/firmware.bin", MainWindow());
    OpenScript(Examples + "/example.vts", MainWindow());
    probe.RequestClose(*ListingUnit::ListingForm->Window);

    ScriptWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ScriptWindow()));
    ASSERT_EQ(QApplication::focusWidget(), &ScriptView());
    QTest::keyClick(ScriptWindow().windowHandle(), Qt::Key_F9);
    probe.ProcessEvents();

    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(ListingWindow().isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &ListingWindow());
    LineList& listing = ListingUnit::ListingForm->ListingLines;
    ASSERT_EQ(listing.Count(), 13);
    EXPECT_EQ(listing.Get(0), "Signature 7F 56 found");
    EXPECT_EQ(listing.Get(6), "Version: VANTREL FW 1.04 ");
    EXPECT_EQ(listing.Get(9), "Computed checksum: 0000B477");
    EXPECT_EQ(listing.Get(10), "Stored checksum: 0000B477");
    EXPECT_EQ(Shown(*ListingUnit::ListingForm->ListingMemo), std::string(listing.Text()));
    // F9 reaches the text view no more than any other shortcut does.
    EXPECT_EQ(ScriptUnit::ScriptForm->ScriptLines.Text().find('\t'), std::string::npos);

    // The next run reads what the user typed, unsaved.
    probe.TypeText(*ScriptUnit::ScriptForm->ScriptMemo, "PTR4 0000 'Again'");
    Press(ScriptWindow(), Qt::Key_F9);
    ASSERT_EQ(listing.Count(), 14);
    EXPECT_EQ(listing.Get(13), "Again: 7F565452");

    // From each of the four windows; the listing comes back when it was hidden.
    for (QtWindow* window : {&MainWindow(), &FirmwareWindow(), &ListingWindow(), &ScriptWindow()}) {
        if (window != &ListingWindow()) ListingWindow().hide();
        Press(*window, Qt::Key_F9);
        EXPECT_EQ(listing.Count(), 14);
        EXPECT_EQ(QApplication::activeWindow(), &ListingWindow());
    }
}

TEST_F(ProgramTest, AFailedRunShowsOneBoxAndPutsTheCaretOnTheLine) {
    OpenFirmware(Examples + "/firmware.bin", MainWindow());
    OpenScript(dir.Write("bad.vts",
                         "PTR4 0000 'One'\r\nPTR4 0000 'Two'\r\nSET2 02 00G4\r\n"
                         "PTR4 0000 'Never'\r\n"),
               MainWindow());
    probe.RequestClose(*ListingUnit::ListingForm->Window);
    Press(MainWindow(), Qt::Key_F9);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Vantrel");
    EXPECT_EQ(boxes[0].second, "'$00G4' is not a valid integer value.");
    EXPECT_FALSE(ListingWindow().isVisible());
    EXPECT_EQ(Shown(*ListingUnit::ListingForm->ListingMemo), "One: 7F565452\r\nTwo: 7F565452\r\n");
    EXPECT_EQ(ScriptView().textCursor().blockNumber(), 2);
    EXPECT_EQ(ScriptView().textCursor().positionInBlock(), 0);
    EXPECT_EQ(QApplication::activeWindow(), &MainWindow());
}

TEST_F(ProgramTest, SaveScriptWritesTheEditedTextOverTheLoadedFile) {
    // Before any script was loaded, the typed text has nowhere to go: the user is told.
    probe.TypeText(*ScriptUnit::ScriptForm->ScriptMemo, "typed");
    Item(ScriptWindow(), "Сохранить скрипт")->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].second, Ru("Скрипт не сохранён: сначала откройте файл скрипта."));

    const std::string file = dir.Write("edit.vts", "SET2 01 0004\nEQU2 01 'R1'");
    answers.push_back(file);
    Item(ScriptWindow(), "Открыть скрипт")->trigger();
    probe.TypeText(*ScriptUnit::ScriptForm->ScriptMemo, "\r\nSWP 01");
    Item(ScriptWindow(), "Сохранить скрипт")->trigger();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(TempDir::Read(file), "SET2 01 0004\r\nEQU2 01 'R1'\r\nSWP 01");
    EXPECT_EQ(MainUnit::MainForm->ScriptLoadedPanel->Text(), Ru("СКРИПТ ЗАГРУЖЕН:   ") + file);
}

TEST_F(ProgramTest, ClosedToolWindowsComeBackThroughTheWindowsMenu) {
    probe.TypeText(*ScriptUnit::ScriptForm->ScriptMemo, "kept");
    for (QtWindow* window : {&ScriptWindow(), &ListingWindow(), &FirmwareWindow()}) {
        QCloseEvent request;
        QCoreApplication::sendEvent(window->windowHandle(), &request);
    }
    probe.ProcessEvents();
    EXPECT_FALSE(ScriptWindow().isVisible() || ListingWindow().isVisible() ||
                 FirmwareWindow().isVisible());
    EXPECT_TRUE(MainWindow().isVisible());

    const std::pair<const char*, QtWindow*> items[] = {{"&Скрипт", &ScriptWindow()},
                                                       {"&Листинг", &ListingWindow()},
                                                       {"&Прошивка", &FirmwareWindow()}};
    for (const auto& [caption, window] : items) {
        Item(MainWindow(), caption)->trigger();
        probe.ProcessEvents();
        EXPECT_TRUE(window->isVisible()) << caption;
        EXPECT_EQ(QApplication::activeWindow(), window) << caption;
    }
    EXPECT_EQ(ScriptUnit::ScriptForm->ScriptLines.Text(), "kept");
}

TEST(ProgramMainTest, RunsUntilTheMainWindowClosesAndReleasesTheWindows) {
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
    EXPECT_EQ(ScriptUnit::ScriptForm, nullptr);
}

}  // namespace
