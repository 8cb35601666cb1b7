// The Qt backend's own promises beyond the contract: texts byte for byte, framing, function keys
// against Qt's shortcuts, and the real modal dialogs.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "Cp1251.h"
#include "Keys.h"
#include "LineList.h"
#include "QtProbe.h"
#include "QtText.h"
#include "TempDir.h"

namespace {

// A shown, active window filled by one view of `lines`.
class QtBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window->Show();
        ASSERT_TRUE(QtProbe::Activate(view));
    }
    // Runs `answer` on the modal widget once it is up: in its own event loop.
    static void WhenModal(std::function<void(QWidget*)> answer) {
        QTimer::singleShot(0, [answer] { answer(QApplication::activeModalWidget()); });
    }

    QtProbe probe;
    LineList lines;
    std::unique_ptr<Platform::Window> window =  // goes before the list it shows
        probe.platform().NewWindow({.Caption = "tool", .Width = 620, .Height = 500});
    QtTextView& view = QtProbe::Of(
        window->AddTextView({.Where = {.FillClient = true}, .Background = {}, .Font = {}}, lines));
};

TEST_F(QtBackendTest, EveryByteGoesThroughTheViewAndBack) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') all += static_cast<char>(b);
    lines.SetText(all + "\r\n\xA0 no-break\r\n");
    lines.ViewEdited();  // read the text back from the document
    EXPECT_EQ(lines.Text(), all + "\r\n\xA0 no-break\r\n");
    // The clipboard's UTF-8 holds them too, with a line feed for each CR LF.
    EXPECT_EQ(QString::fromUtf8(QtText::ToUtf8Lines(all + "\r\n\r")),
              QtText::ToQString(all) + "\n\r");
    // What CP1251 cannot hold reads back as one '?' each, line separators as line breaks.
    EXPECT_EQ(QtText::FromDocument(u"a\u2028b\u2029c\U0001F600d"), "a\r\nb\r\nc?d");

    // A CR at the last byte of one piece of a large text, its LF at the first of the next.
    const std::string first((size_t{1} << 20) - 1, 'a');
    lines.SetText(first + "\r\nb\r\n");
    EXPECT_EQ(view.document()->blockCount(), 3);
    EXPECT_FALSE(view.document()->isUndoAvailable());  // an undo does not take the fill back
    view.SetCaretLine(1);
    EXPECT_EQ(view.textCursor().blockNumber(), 1);

    // A lone LF shows as a line break; were the view's own updates taken for an edit, the list
    // would read the text back with CR LF.
    lines.SetText("a\nb");
    lines.Add("c\nd");
    probe.ProcessEvents();
    EXPECT_EQ(lines.Text(), "a\nb\r\nc\nd");
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
    area.resize(620, 555);
    EXPECT_EQ(dump->geometry(), QRect(0, 25, 613, 530));
}

// A Qt shortcut on the same key does not get it first, though the text view has the focus and
// is asked first (ShortcutOverride); a consumed key does not reach the view either.
TEST_F(QtBackendTest, FunctionKeysBeatQtShortcutsInAFocusedView) {
    std::vector<uint8_t> received;
    probe.platform().SetKeyHandler([&](const Platform::KeyPress& key) {
        received.push_back(key.VirtualKey);
        return true;
    });
    QAction stolen;
    stolen.setShortcut(Qt::Key_F9);
    QObject::connect(&stolen, &QAction::triggered, [] { ADD_FAILURE() << "the shortcut ran"; });
    QtProbe::Of(*window).addAction(&stolen);
    probe.PressKey(*window, {.VirtualKey = Keys::F9});
    probe.PressKey(*window, {.VirtualKey = 'Q'});
    EXPECT_EQ(QApplication::focusWidget(), &view);
    EXPECT_EQ(received, (std::vector<uint8_t>{120, 'Q'}));
    EXPECT_EQ(lines.Text(), "");
}

TEST_F(QtBackendTest, RealDialogsAreModalAndAnswerAsTheUserDoes) {
    // When the message box closes, the window and the control that had the focus have it again.
    WhenModal([](QWidget* modal) { modal->close(); });
    probe.platform().ShowMessage("Vantrel", Cp1251::FromUtf8("Нет файла <x>."));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&QtProbe::Of(*window)));
    EXPECT_EQ(QApplication::focusWidget(), &view);

    // The prompt shows its caption and its buttons in Russian, whatever Qt's own translations.
    WhenModal([](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QString::fromUtf8("Найти"));
        QStringList buttons;
        for (const QPushButton* button : modal->findChildren<QPushButton*>())
            buttons << button->text();
        EXPECT_EQ(buttons, (QStringList{"OK", QString::fromUtf8("Отмена")}));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(probe.platform().Prompt(Cp1251::FromUtf8("Найти"), "7F"), std::nullopt);

    // The file dialog speaks Russian whatever the locale, its sizes, dates and folders too,
    // offers the last path and returns the name of a missing file too; keys pressed in it do not
    // reach the program. Names go both ways as the file system's own, also with characters the
    // interface's code page lacks.
    TempDir folder;
    const std::filesystem::path missing = folder.Root() / std::filesystem::path(u8"нет-日本.bin");
    const std::filesystem::path last = folder.Root() / std::filesystem::path(u8"старый 日本.vts");
    std::filesystem::create_directory(folder.Root() / "sub");
    QFile image(QString::fromStdString(folder.Write("a.bin", std::string(2048, 'a'))));
    ASSERT_TRUE(image.open(QIODevice::ReadWrite));
    ASSERT_TRUE(image.setFileTime(QDateTime(QDate(2026, 1, 2), QTime(3, 4)),
                                  QFileDevice::FileModificationTime));
    image.close();
    int keys = 0;
    probe.platform().SetKeyHandler([&](const Platform::KeyPress&) { return ++keys, true; });
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(std::ranges::any_of(dialog->findChildren<QPushButton*>(), [](auto* button) {
            return button->text() == QString::fromUtf8("Отмена");
        }));
        EXPECT_EQ(dialog->selectedFiles(), QStringList{QtText::FromPath(last)});
        auto* details = dialog->findChild<QTreeView*>("treeView");
        ASSERT_NE(details, nullptr);
        const QAbstractItemModel& files = *details->model();
        const auto cell = [&](int row, int column) {  // the folder first, then the file
            return files.index(row, column, details->rootIndex()).data().toString().toStdString();
        };
        // The model fills and sorts its rows as the file system answers.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return files.rowCount(details->rootIndex()) == 2 && cell(0, 2) == "Папка" &&
                   !cell(1, 3).empty();
        }));
        EXPECT_EQ(cell(0, 2), "Папка");
        EXPECT_EQ(cell(1, 1), "2,00 кБ");
        EXPECT_EQ(cell(1, 3), "02.01.2026 03:04");
        QTest::keyClick(dialog->windowHandle(), Qt::Key_F3);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(missing.string()));  // keyClicks types ASCII only
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(probe.platform().OpenFileDialog(last), missing);
    EXPECT_EQ(keys, 0);
}

}  // namespace
