// The Qt backend's own promises beyond the contract: texts byte for byte, the row view drawn as
// the text view, keys against Qt's shortcut system, Tab, and the real modal dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "Cp1251.h"
#include "HexUnit.h"
#include "LineList.h"
#include "QtProbe.h"
#include "QtRowView.h"
#include "QtText.h"
#include "QtTextView.h"
#include "QtWindow.h"
#include "TempDir.h"

namespace {

class QtBackendTest : public ::testing::Test {
  protected:
    // A shown window filled by one view of `lines`.
    QtTextView& ShownView() {
        window = probe.platform().NewWindow({.Caption = "tool", .Width = 620, .Height = 500});
        Platform::TextViewSpec filling;
        filling.Where.FillClient = true;
        QtTextView& view = QtProbe::Of(window->AddTextView(filling, lines));
        window->Show();
        return view;
    }
    // Runs `check` on the modal widget once it is up: in its own event loop.
    static void WhenModal(std::function<void(QWidget*)> check) {
        QTimer::singleShot(0, [check] { check(QApplication::activeModalWidget()); });
    }

    QtProbe probe;
    LineList lines, text;                      // text: what a row view turns into
    std::unique_ptr<Platform::Window> window;  // goes before the lists it shows
};

TEST_F(QtBackendTest, EveryByteGoesThroughTheViewAndBack) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') all += static_cast<char>(b);
    EXPECT_EQ(QtText::FromQString(QtText::ToQString(all)), all);

    QtTextView& view = ShownView();
    lines.SetText(all + "\r\n\xA0 no-break\r\n");
    lines.ViewEdited();  // read the text back from the document
    EXPECT_EQ(lines.Text(), all + "\r\n\xA0 no-break\r\n");
    EXPECT_EQ(view.document()->blockCount(), 3);
    // What CP1251 cannot hold reads back as one '?' each, line separators as line breaks.
    EXPECT_EQ(QtText::FromDocument(u"a\u2028b\u2029c\U0001F600d"), "a\r\nb\r\nc?d");

    // A lone LF shows as a line break; were the view's own updates, replaced or appended, taken
    // for an edit, the next read would fetch the text back with CR LF and count more lines.
    lines.SetText("a\nb");
    lines.Add("c\nd");
    lines.Add(std::string(100000, 'e') + "\n");
    probe.ProcessEvents();
    EXPECT_TRUE(lines.Text() == "a\nb\r\nc\nd\r\n" + std::string(100000, 'e') + "\n");
}

TEST_F(QtBackendTest, BatchedAppendsComeFirstAndFillsAreNoEdits) {
    QtTextView& view = ShownView();
    ASSERT_TRUE(QtProbe::Activate(*window));
    for (int i = 0; i < 1000; ++i) lines.Add("line " + std::to_string(i));
    // No event has run: the user's next key press still lands after the last line.
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&view, "typed");
    EXPECT_EQ(lines.Get(1000), "typed");
    // The caret goes to a line that is still on its way into the document.
    lines.Clear();
    lines.Add("first");
    lines.Add("second");
    view.SetCaretLine(1);
    EXPECT_EQ(view.textCursor().blockNumber(), 1);

    // A CR at the last byte of one piece of a large text, its LF at the first of the next: the
    // text a dump turns into when the user first types into it.
    const std::string first((size_t{1} << 20) - 1, 'a');
    lines.SetText(first + "\r\nb\r\n");
    EXPECT_EQ(view.document()->blockCount(), 3);
    EXPECT_EQ(probe.DisplayedText(view), first + "\r\nb\r\n");
    EXPECT_EQ(view.textCursor().position(), 0);        // a filled view starts at the top
    EXPECT_FALSE(view.document()->isUndoAvailable());  // an undo does not take the fill back
}

// The dump's rows, with every kind of character a row holds.
class SampleRows : public Platform::RowSource {
  public:
    uint64_t RowCount() const override { return 100; }
    std::string Row(uint64_t row) const override {
        return HexUnit::Hex32(static_cast<uint32_t>(16 * row)) + " | 7F 56 54 | \x7FVT\xC0\xFF.";
    }
};

// Pixel for pixel what the text view showed for the dump, at the top and scrolled, with a
// selection made by the same clicks; Tab types nothing into it.
TEST_F(QtBackendTest, RowViewIsDrawnAsTheTextViewShowingTheSameRows) {
    static const SampleRows rows;  // outlives the window, as the fixture's lists do
    window = probe.platform().NewWindow({.Caption = "rows", .Width = 1300, .Height = 500});
    Platform::TextViewSpec spec;
    spec.Where = {.Left = 0, .Top = 0, .Width = 613, .Height = 434};
    spec.Background = {0, 0, 0};
    spec.Font = {.Face = "Courier", .PixelHeight = 16, .Bold = true, .Colour = {0, 255, 0}};
    int guarded = 0;
    probe.platform().SetErrorHandler([&](const std::function<void()>& action) {
        ++guarded;
        action();
        return true;
    });
    QtRowView& drawn = QtProbe::Of(window->AddRowView(spec, rows, text));
    spec.Where.Left = 650;
    QtTextView& filled = QtProbe::Of(window->AddTextView(spec, lines));
    std::string all;
    for (uint64_t row = 0; row < rows.RowCount(); ++row) all += rows.Row(row) + "\r\n";
    lines.SetText(all);
    window->Show();
    ASSERT_TRUE(QtProbe::Activate(*window));
    auto unfocused = [&](QWidget& view) {
        view.clearFocus();
        probe.ProcessEvents();
        return view.grab().toImage();
    };
    EXPECT_EQ(unfocused(drawn), unfocused(filled));
    for (QAbstractScrollArea* view :
         {static_cast<QAbstractScrollArea*>(&drawn), static_cast<QAbstractScrollArea*>(&filled)}) {
        view->verticalScrollBar()->setValue(40);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(45, 30));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(300, 70));
    }
    EXPECT_EQ(drawn.Cursor().Anchor().Line, 41u);
    EXPECT_EQ(unfocused(drawn), unfocused(filled));

    drawn.setFocus();
    QTest::keyClick(&drawn, Qt::Key_Tab);
    EXPECT_FALSE(drawn.Edited());
    EXPECT_EQ(guarded, 0);
}

// A bottom-anchored control keeps the distance it had when the window opened; once the window
// manager's frame has taken its part of the window, the distance is the one it has then.
TEST_F(QtBackendTest, FramingSettlesTheBottomDistance) {
    QtClientArea area(nullptr);
    auto* dump = new QWidget(&area);
    area.Add(dump, {.Left = 0, .Top = 25, .Width = 613, .Height = 434, .AnchorBottom = true});
    area.resize(620, 480);
    area.show();
    probe.ProcessEvents();
    area.resize(620, 455);  // as when the frame's caption came after the first layout
    EXPECT_EQ(dump->geometry(), QRect(0, 25, 613, 409));
    area.Settle();
    EXPECT_EQ(dump->geometry(), QRect(0, 25, 613, 430));
    area.resize(620, 555);
    EXPECT_EQ(dump->geometry(), QRect(0, 25, 613, 530));
}

TEST_F(QtBackendTest, FunctionKeysBeatQtShortcutsInAFocusedView) {
    // A Qt shortcut on the same key does not get it first, though the text view has the focus
    // and is asked first (ShortcutOverride); a consumed key does not reach the view either.
    std::vector<Platform::KeyPress> received;
    probe.platform().SetKeyHandler([&](const Platform::KeyPress& key) {
        received.push_back(key);
        return true;
    });
    QtTextView& view = ShownView();
    QAction stolen;
    stolen.setShortcut(Qt::Key_F9);
    int stolenRuns = 0;
    QObject::connect(&stolen, &QAction::triggered, [&] { ++stolenRuns; });
    QtProbe::Of(*window).addAction(&stolen);
    probe.PressKey(*window, {.VirtualKey = 120});
    EXPECT_EQ(QApplication::focusWidget(), &view);
    probe.PressKey(*window, {.VirtualKey = 'Q'});
    EXPECT_EQ(stolenRuns, 0);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].VirtualKey, 120);
    EXPECT_EQ(lines.Text(), "");
    probe.platform().SetKeyHandler(nullptr);
}

TEST_F(QtBackendTest, TabTypesNoTab) {
    // The view is its window's only control: a tab key goes nowhere, whatever the modifiers, and
    // least of all into the text.
    QtTextView& view = ShownView();
    ASSERT_TRUE(QtProbe::Activate(*window));
    QWindow* keyboard = QtProbe::Of(*window).windowHandle();
    QTest::keyClick(keyboard, Qt::Key_A);
    for (Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers{}, Qt::KeyboardModifiers{Qt::ShiftModifier},
          Qt::KeyboardModifiers{Qt::ControlModifier}, Qt::KeyboardModifiers{Qt::AltModifier}})
        QTest::keyClick(keyboard, Qt::Key_Tab, modifiers);
    QTest::keyClick(keyboard, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(keyboard, Qt::Key_B);
    EXPECT_EQ(lines.Text(), "ab");
    EXPECT_EQ(QApplication::focusWidget(), &view);
}

TEST_F(QtBackendTest, RealDialogsAreModalAndAnswerAsTheUserDoes) {
    // When the message box closes, the window and the control that had the focus have it again.
    QtTextView& view = ShownView();
    ASSERT_TRUE(QtProbe::Activate(*window));
    int boxes = 0;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        ++boxes;
        box->accept();
    });
    probe.platform().ShowMessage("Vantrel", Cp1251::FromUtf8("Нет файла <x>."));
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&QtProbe::Of(*window)));
    EXPECT_EQ(QApplication::focusWidget(), &view);

    // The file dialog speaks Russian whatever the locale, offers the last path and returns the name
    // of a missing file too; keys pressed in it do not reach the program. Names go both ways as the
    // file system's own, also with characters the interface's code page lacks.
    TempDir folder;
    const std::filesystem::path last(u8"/tmp/старый скрипт 日本.vts");
    const std::filesystem::path missing = folder.Root() / std::filesystem::path(u8"нет-日本.bin");
    int keys = 0;
    probe.platform().SetKeyHandler([&](const Platform::KeyPress&) { return ++keys, true; });
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        QStringList buttons;
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            buttons << button->text();
        EXPECT_TRUE(buttons.contains(QString::fromUtf8("Отмена")))
            << buttons.join('|').toStdString();
        EXPECT_EQ(dialog->selectedFiles(),
                  QStringList{QString::fromUtf8("/tmp/старый скрипт 日本.vts")});
        QTest::keyClick(dialog->windowHandle(), Qt::Key_F3);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(missing.string()));  // keyClicks types ASCII only
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(probe.platform().OpenFileDialog(last), missing);
    EXPECT_EQ(keys, 0);

    WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(probe.platform().OpenFileDialog(last));
    probe.platform().SetKeyHandler(nullptr);
}

}  // namespace
