// The Qt backend's own promises beyond the contract: texts byte for byte, the views' batching,
// frames and sizes, fonts, colours and bevels, menus, keys, and the real dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "Cp1251.h"
#include "LineList.h"
#include "QtControls.h"
#include "QtProbe.h"
#include "QtText.h"
#include "QtTextView.h"
#include "QtWindow.h"
#include "ShortCut.h"
#include "TempDir.h"

namespace {

std::string Ru(const char* utf8) {
    return Cp1251::FromUtf8(utf8);
}

Platform::MenuItem Item(const char* utf8Caption, std::function<void()> command = nullptr,
                        uint16_t shortcut = 0, std::vector<Platform::MenuItem> items = {}) {
    Platform::MenuItem item;
    item.Caption = Ru(utf8Caption);
    item.Shortcut = shortcut;
    item.Command = std::move(command);
    item.Items = std::move(items);
    return item;
}

Platform::LabelSpec Label(int width, Platform::Font font = {}) {
    Platform::LabelSpec spec;
    spec.Where.Left = 1;
    spec.Where.Width = width;
    spec.Where.Height = 25;
    spec.Font = font;
    return spec;
}

class QtBackendTest : public ::testing::Test {
  protected:
    std::unique_ptr<Platform::Window> ToolWindow(int width = 620, int height = 500) {
        Platform::WindowSpec spec{
            .Caption = "tool", .Left = 40, .Top = 119, .Width = width, .Height = height};
        return probe.platform().CreateWindow(spec);
    }
    static Platform::TextViewSpec ViewSpec(Platform::ScrollBars bars) {
        return {
            .Where = {.FillClient = true},
            .Background = {0, 0, 255},
            .Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}},
            .Bars = bars};
    }
    QtTextView& AddView(Platform::Window& window, LineList& lines,
                        Platform::ScrollBars bars = Platform::ScrollBars::Vertical) {
        return QtProbe::Of(window.AddTextView(ViewSpec(bars), lines));
    }
    // Runs `check` on the modal widget as soon as it is up.
    static void WhenModal(std::function<void(QWidget*)> check) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, check] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                check(modal);
            }
        });
        timer->start(10);
    }

    QtProbe probe;
};

TEST_F(QtBackendTest, EveryByteSurvivesTheViewBothWays) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') all += static_cast<char>(b);
    EXPECT_EQ(QtText::FromQString(QtText::ToQString(all)), all);

    LineList lines;
    auto window = ToolWindow();
    QtTextView& view = AddView(*window, lines);
    window->Show();
    lines.SetText(all + "\r\n\xA0 no-break\r\n");
    lines.ViewEdited();  // read the text back from the document
    EXPECT_EQ(lines.Text(), all + "\r\n\xA0 no-break\r\n");
    EXPECT_EQ(view.document()->blockCount(), 3);
    EXPECT_EQ(view.document()->firstBlock().text().size(), 253);

    // What CP1251 cannot hold reads back as one '?' each, line separators as line breaks.
    EXPECT_EQ(QtText::FromDocument(u"a\u2028b\u2029c\U0001F600d\u4E2D"), "a\r\nb\r\nc?d?");
    EXPECT_EQ(QtText::ToDocument("a\r\nb\rc\nd"), u"a\nb\rc\nd");
}

TEST_F(QtBackendTest, ProgramChangesAreNotTakenForTheUsersEdits) {
    // A lone LF shows as a line break; were the view's own update taken for an edit, the next
    // read would fetch the text back with CR LF and count two lines.
    LineList lines;
    auto window = ToolWindow();
    AddView(*window, lines);
    window->Show();
    lines.SetText("a\nb");
    probe.ProcessEvents();
    EXPECT_EQ(lines.Count(), 1);
    lines.Add("c\nd");
    lines.AppendBlock(std::string(100000, 'e') + "\n\r\n");
    probe.ProcessEvents();
    // After a last line without a break, the block's lines each begin with one instead.
    EXPECT_TRUE(lines.Text() == "a\nb\r\nc\nd\r\n" + std::string(100000, 'e') + "\n");
    EXPECT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines.Capacity(), QtTextView::Capacity);
}

TEST_F(QtBackendTest, AppendedLinesComeBeforeWhatTheUserDoesNext) {
    LineList lines;
    auto window = ToolWindow();
    QtTextView& view = AddView(*window, lines);
    window->Show();
    ASSERT_TRUE(QtProbe::Activate(*window));
    for (int i = 0; i < 1000; ++i) lines.Add("line " + std::to_string(i));
    // No event has run: the user's next key press still lands after the last line.
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&view, "typed");
    EXPECT_EQ(lines.Count(), 1001);
    EXPECT_EQ(lines.Get(999), "line 999");
    EXPECT_EQ(lines.Get(1000), "typed");

    // The caret goes to a line that is still on its way into the document.
    lines.Clear();
    lines.Add("first");
    lines.Add("second");
    window->Hide();
    view.SetCaretLine(1);
    EXPECT_EQ(view.textCursor().blockNumber(), 1);
    EXPECT_EQ(view.textCursor().positionInBlock(), 0);
    EXPECT_FALSE(window->Visible());
}

TEST_F(QtBackendTest, LargeBlocksGoInWholeAcrossPieces) {
    LineList lines;
    auto window = ToolWindow();
    QtTextView& view = AddView(*window, lines);
    window->Show();
    // A CR at the last byte of the first piece, its LF at the first byte of the next.
    const std::string first((size_t{1} << 20) - 1, 'a');
    lines.AppendBlock(first + "\r\nb\r\n");
    EXPECT_EQ(view.document()->blockCount(), 3);
    EXPECT_EQ(probe.DisplayedText(view), first + "\r\nb\r\n");
    EXPECT_EQ(view.textCursor().position(), 0);  // a filled view starts at the top
    // An undo does not take back what the program put in.
    EXPECT_FALSE(view.document()->isUndoAvailable());
}

TEST_F(QtBackendTest, ViewsLookAsAskedAndDoNotWrap) {
    LineList script, listing;
    auto window = ToolWindow();
    QtTextView& vertical = AddView(*window, script, Platform::ScrollBars::Vertical);
    QtTextView& both = AddView(*window, listing, Platform::ScrollBars::Both);
    window->Show();

    QFontInfo face(vertical.font());
    EXPECT_TRUE(face.fixedPitch()) << face.family().toStdString();
    EXPECT_TRUE(face.bold());
    EXPECT_EQ(face.pixelSize(), 16);
    EXPECT_EQ(vertical.palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_EQ(vertical.palette().color(QPalette::Text), QColor(255, 255, 0));
    EXPECT_EQ(vertical.lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(vertical.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(vertical.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(both.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // A long line runs off to the right; the view scrolls sideways with the caret.
    script.SetText(std::string(400, 'x'));
    probe.ProcessEvents();
    EXPECT_EQ(vertical.document()->firstBlock().layout()->lineCount(), 1);
    vertical.moveCursor(QTextCursor::End);
    probe.ProcessEvents();
    EXPECT_GT(vertical.horizontalScrollBar()->value(), 0);
}

TEST_F(QtBackendTest, ToolWindowsAreSizeableWithoutButtonsAndKeepTheBottomAnchor) {
    auto tool = ToolWindow();
    tool->SetMenu({Item("Открыть HEX-файл", [] {})});
    Platform::TextControl& label = tool->AddLabel(Label(611));
    LineList lines;
    Platform::TextViewSpec spec = ViewSpec(Platform::ScrollBars::Vertical);
    spec.Where = {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true};
    QtTextView& view = QtProbe::Of(tool->AddTextView(spec, lines));
    tool->Show();
    probe.ProcessEvents();

    QtWindow& window = QtProbe::Of(*tool);
    EXPECT_EQ(window.frameGeometry(), QRect(40, 119, 620, 500));
    EXPECT_LT(window.minimumSize().height(), window.maximumSize().height());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::Tool));  // an independent window, not a palette

    auto& header = dynamic_cast<QtLabel&>(label);
    EXPECT_EQ(header.geometry(), QRect(1, 0, 611, 25));
    EXPECT_EQ(view.geometry(), QRect(0, 25, 613, 434));
    window.resize(700, 600);
    probe.ProcessEvents();
    EXPECT_EQ(view.geometry(), QRect(0, 25, 613, 534));
    EXPECT_EQ(header.geometry(), QRect(1, 0, 611, 25));
    window.resize(500, 300);
    probe.ProcessEvents();
    EXPECT_EQ(view.geometry(), QRect(0, 25, 613, 234));
}

TEST_F(QtBackendTest, PanelsAndLabelsDrawTheirBevelsAndColours) {
    Platform::WindowSpec spec{.Caption = "main",
                              .Width = 792,
                              .Height = 67,
                              .ClientSize = true,
                              .Frame = Platform::Border::Fixed,
                              .SystemMenu = true};
    auto main = probe.platform().CreateWindow(spec);
    const Platform::Font lime{
        .Face = "System", .PixelHeight = 16, .Bold = true, .Colour = {0, 255, 0}};
    Platform::TextControl& top = main->AddPanel({.Where = {.Width = 792, .Height = 33},
                                                 .Background = {0, 0, 0},
                                                 .Font = lime,
                                                 .Text = Ru("Скрипт: ещё не загружен")});
    main->AddPanel({.Where = {.Top = 34, .Width = 792, .Height = 33},
                    .Background = {0, 0, 0},
                    .Font = lime,
                    .Text = "HEX"});
    Platform::TextControl& label = main->AddLabel(
        Label(300, {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {255, 255, 0}}));
    label.SetText("<b>00 01</b> &x");
    main->Show();
    probe.ProcessEvents();
    EXPECT_EQ(top.Text(), Ru("Скрипт: ещё не загружен"));
    EXPECT_EQ(label.Text(), "<b>00 01</b> &x");
    EXPECT_EQ(dynamic_cast<QtLabel&>(label).textFormat(), Qt::PlainText);
    dynamic_cast<QWidget&>(label).hide();

    const QImage client = QtProbe::Of(*main).Client()->grab().toImage();
    const QColor light = client.pixelColor(0, 0), shadow = client.pixelColor(791, 32);
    EXPECT_GT(light.lightness(), shadow.lightness());
    EXPECT_GT(shadow.lightness(), 0);
    EXPECT_EQ(client.pixelColor(1, 1), shadow);    // the inner bevel is lowered
    EXPECT_EQ(client.pixelColor(790, 31), light);  // ... and lit from below right
    EXPECT_EQ(client.pixelColor(791, 0), shadow);  // the outer bevel is raised
    EXPECT_EQ(client.pixelColor(400, 2), QColor(Qt::black));
    EXPECT_EQ(client.pixelColor(400, 33), QtProbe::Of(*main).palette().color(QPalette::Window));
    EXPECT_EQ(client.pixelColor(400, 34), light);  // the second panel starts after the gap
    int lime_pixels = 0;
    for (int x = 2; x < 300; ++x)
        for (int y = 2; y < 31; ++y) lime_pixels += client.pixelColor(x, y) == QColor(0, 255, 0);
    EXPECT_GT(lime_pixels, 100);  // the text, in lime
    QFontInfo face(dynamic_cast<QtPanel&>(top).font());
    EXPECT_TRUE(face.bold());
    EXPECT_EQ(face.pixelSize(), 16);
}

TEST_F(QtBackendTest, KeyPressesMapToVirtualKeysAndBeatQtShortcuts) {
    auto press = [](int key, Qt::KeyboardModifiers modifiers = {}) {
        return QtPlatform::ToKeyPress(QKeyEvent(QEvent::KeyPress, key, modifiers));
    };
    EXPECT_EQ(press(Qt::Key_F1)->VirtualKey, 112);
    EXPECT_EQ(press(Qt::Key_F24)->VirtualKey, 135);
    EXPECT_EQ(press(Qt::Key_A)->VirtualKey, 'A');
    EXPECT_EQ(*press(Qt::Key_F3, Qt::ShiftModifier),
              (Platform::KeyPress{.VirtualKey = 114, .Shift = true}));
    EXPECT_EQ(*press(Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier),
              (Platform::KeyPress{.VirtualKey = 120, .Ctrl = true, .Alt = true}));
    EXPECT_FALSE(press(Qt::Key_F25));

    // A Qt shortcut on the same key does not get it first.
    std::vector<Platform::KeyPress> received;
    probe.platform().SetKeyHandler([&](const Platform::KeyPress& key) {
        received.push_back(key);
        return true;
    });
    auto window = ToolWindow();
    LineList lines;
    AddView(*window, lines);
    QAction stolen;
    stolen.setShortcut(Qt::Key_F9);
    int stolenRuns = 0;
    QObject::connect(&stolen, &QAction::triggered, [&] { ++stolenRuns; });
    QtProbe::Of(*window).addAction(&stolen);
    window->Show();
    probe.PressKey(*window, {.VirtualKey = 120});
    // A consumed key does not reach the text view either.
    probe.PressKey(*window, {.VirtualKey = 'Q'});
    EXPECT_EQ(stolenRuns, 0);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].VirtualKey, 120);
    EXPECT_EQ(lines.Text(), "");

    // Nothing runs while a modal dialog is up.
    QDialog modal;
    modal.setModal(true);
    modal.show();
    QTest::keyClick(QtProbe::Of(*window).windowHandle(), Qt::Key_F9);
    QTest::keyClick(modal.windowHandle(), Qt::Key_F9);
    EXPECT_EQ(received.size(), 2u);
    probe.platform().SetKeyHandler(nullptr);
}

TEST_F(QtBackendTest, MessageBoxIsAModalStopBoxWithTheCaptionAndText) {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        modality = box->windowModality();
        box->accept();
    });
    probe.platform().MessageBox("Vantrel", Ru("Нет файла <x>."));
    EXPECT_EQ(caption, "Vantrel");
    EXPECT_EQ(text, QString::fromUtf8("Нет файла <x>."));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_EQ(modality, Qt::ApplicationModal);
}

TEST_F(QtBackendTest, FileDialogOffersTheLastPathAndReturnsAnyName) {
    TempDir folder;
    const std::string last = Ru("/tmp/старый скрипт.vts");
    const std::string missing = folder.Path("missing.bin");
    QStringList offered, filters;
    bool anyFile = false, resizable = false;
    int keys = 0;
    probe.platform().SetKeyHandler([&](const Platform::KeyPress&) { return ++keys, true; });
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        offered = dialog->selectedFiles();
        filters = dialog->nameFilters();
        anyFile = dialog->fileMode() == QFileDialog::AnyFile;
        resizable = dialog->minimumSize() != dialog->maximumSize();
        QTest::keyClick(dialog->windowHandle(), Qt::Key_F3);  // no second dialog from inside
        // The user types the name of a file that does not exist and presses Enter.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->selectAll();
        QTest::keyClicks(name, QString::fromStdString(missing));
        QTest::keyClick(name, Qt::Key_Return);
    });
    const std::optional<std::string> chosen = probe.platform().OpenFileDialog(last);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, missing);
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(QtText::FromQString(offered[0]), last);
    EXPECT_EQ(filters, QStringList{QFileDialog::tr("All Files (*)")});
    EXPECT_TRUE(anyFile);
    EXPECT_TRUE(resizable);
    EXPECT_EQ(keys, 0);

    WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(probe.platform().OpenFileDialog(last));
    probe.platform().SetKeyHandler(nullptr);
}

}  // namespace
