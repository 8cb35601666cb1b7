#include "QtProbe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>
#include <map>

#include "Cp1251.h"
#include "Keys.h"
#include "PlatformContract.h"
#include "QtText.h"

namespace {

// The Windows virtual-key codes the tests press; letters and digits share their codes.
Qt::Key KeyOf(uint8_t virtualKey) {
    using namespace Keys;
    static const std::map<uint8_t, Qt::Key> named = {
        {Back, Qt::Key_Backspace}, {Tab, Qt::Key_Tab},           {Return, Qt::Key_Return},
        {PageUp, Qt::Key_PageUp},  {PageDown, Qt::Key_PageDown}, {End, Qt::Key_End},
        {Home, Qt::Key_Home},      {Left, Qt::Key_Left},         {Up, Qt::Key_Up},
        {Right, Qt::Key_Right},    {Down, Qt::Key_Down},         {Insert, Qt::Key_Insert},
        {Delete, Qt::Key_Delete}};
    if (virtualKey >= F1 && virtualKey <= F24) return Qt::Key(Qt::Key_F1 + (virtualKey - F1));
    const auto found = named.find(virtualKey);
    return found == named.end() ? Qt::Key(virtualKey) : found->second;
}

Qt::KeyboardModifiers ModifiersOf(const Platform::KeyPress& key) {
    return Qt::KeyboardModifiers{} | (key.Shift ? Qt::ShiftModifier : Qt::NoModifier) |
           (key.Ctrl ? Qt::ControlModifier : Qt::NoModifier) |
           (key.Alt ? Qt::AltModifier : Qt::NoModifier);
}

// Types CP1251 text key by key into `target`: CR LF as the Enter key, any other byte as its
// character with the key a keyboard layout for it reports.
void Type(QWidget* target, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            QTest::keyClick(target, Qt::Key_Return);
            ++i;
            continue;
        }
        const QChar typed(Cp1251::ToUnicode(static_cast<uint8_t>(text[i])));
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key(typed.toUpper().unicode()),
                            QString(typed), Qt::NoModifier);
    }
}

// Answers the prompt once it is up, from inside its own event loop.
void Answer(const BackendProbe::PromptAnswer& answer, int tries) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QLineEdit* field = dialog ? dialog->findChild<QLineEdit*>() : nullptr;
    if (!field) {
        if (tries > 0) QTimer::singleShot(10, [answer, tries] { Answer(answer, tries - 1); });
        return;
    }
    if (answer.Typed) Type(field, *answer.Typed);
    QTest::keyClick(field, answer.Accept ? Qt::Key_Return : Qt::Key_Escape);
}

}  // namespace

void QtProbe::ProcessEvents() {
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

bool QtProbe::Activate(QWidget& widget) {
    widget.window()->activateWindow();
    return QTest::qWaitForWindowActive(widget.window());
}

Platform::Window* QtProbe::ActiveWindow() {
    return dynamic_cast<QtWindow*>(QApplication::activeWindow());
}

// The offscreen platform keeps no stacking order; the windows record when they were raised.
bool QtProbe::IsAbove(Platform::Window& upper, Platform::Window& lower) {
    return Of(upper).RaisedAt() > Of(lower).RaisedAt();
}

void QtProbe::TypeText(Platform::TextView& view, const std::string& text) {
    QtTextView& widget = Of(view);
    widget.setFocus();
    QTest::keyClick(&widget, Qt::Key_End, Qt::ControlModifier);
    Type(&widget, text);
}

std::string QtProbe::DisplayedText(Platform::TextView& view) {
    ProcessEvents();
    return QtText::FromDocument(Of(view).document()->toRawText());
}

void QtProbe::PressKey(Platform::Window& focused, const Platform::KeyPress& key) {
    Activate(Of(focused));
    // Through the window, as the windowing system delivers it.
    QTest::keyClick(Of(focused).windowHandle(), KeyOf(key.VirtualKey), ModifiersOf(key));
}

std::string QtProbe::DisplayedText(Platform::RowView& view) {
    ProcessEvents();
    // The lines standing wholly in the view.
    const RowEditor& editor = Of(view).Editor();
    const uint64_t top = editor.Top();
    return LinesOf(editor, top, std::min(editor.LineCount(), top + editor.PageLines()));
}

void QtProbe::PressKey(Platform::RowView& view, const Platform::KeyPress& key) {
    QtRowView& widget = Of(view);
    Activate(widget);
    widget.setFocus();
    PressKey(*QtPlatform::WindowOf(&widget), key);
}

void QtProbe::TypeText(Platform::RowView& view, const std::string& text) {
    QtRowView& widget = Of(view);
    Activate(widget);
    widget.setFocus();
    Type(&widget, text);
}

QMenu* QtProbe::OpenContextMenu(QtRowView& view) {
    Activate(view);
    // Through the window, which turns the right button's press into the context menu's event.
    QWidget& window = *view.window();
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {},
                      view.viewport()->mapTo(&window, QPoint(40, 10)));
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

std::vector<std::string> QtProbe::ContextMenu(Platform::RowView& view) {
    std::vector<std::string> shown;
    QMenu* menu = OpenContextMenu(Of(view));
    if (!menu) return shown;
    for (const QAction* action : menu->actions())
        shown.push_back(QtText::FromQString(action->text()));
    menu->close();
    return shown;
}

void QtProbe::AnswerPrompt(const PromptAnswer& answer) {
    QTimer::singleShot(0, [answer] { Answer(answer, 500); });
}

std::string QtProbe::Clipboard() {
    return QtText::FromDocument(QGuiApplication::clipboard()->text());
}

void QtProbe::RequestClose(Platform::Window& window) {
    QCloseEvent request;
    QCoreApplication::sendEvent(Of(window).windowHandle(), &request);
}

// Answered from inside the box's own loop, as soon as it is up.
void QtProbe::AnswerNextQuestion(const std::string& button) {
    answering_ = std::make_unique<QTimer>();
    answering_->callOnTimeout([this, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        answering_->stop();
        lastQuestion_ = QtText::FromQString(box->text());
        if (button.empty()) return QTest::keyClick(box, Qt::Key_Return);
        for (QAbstractButton* pressed : box->buttons())
            if (pressed->text() == QtText::ToQString(button)) return pressed->click();
        ADD_FAILURE() << "no button " << Cp1251::ToUtf8(button);
        box->reject();
    });
    answering_->start(10);
}

std::string QtProbe::ProgressShown() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return "";
    std::string shown;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        shown += QtText::FromQString(label->text()) + "\r\n";
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        shown += QtText::FromQString(button->text());
    return shown;
}

void QtProbe::CancelProgress() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    for (QPushButton* button :
         dialog ? dialog->findChildren<QPushButton*>() : QList<QPushButton*>{})
        if (button->text() == QtText::ToQString(Cp1251::FromUtf8("Отмена")))
            // Queued: the click arrives when the platform next delivers events.
            return (void)QMetaObject::invokeMethod(button, &QPushButton::click,
                                                   Qt::QueuedConnection);
    ADD_FAILURE() << "no progress window with \"Отмена\"";
}

INSTANTIATE_TEST_SUITE_P(Qt, PlatformContract,
                         ::testing::Values([] { return std::make_unique<QtProbe>(); }));
