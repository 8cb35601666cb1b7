#include "QtProbe.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QTest>
#include <QTextDocument>
#include <QWindow>
#include <map>

#include "Cp1251.h"
#include "QtRowView.h"
#include "QtText.h"
#include "QtTextView.h"
#include "QtWindow.h"

namespace {

// The Windows virtual-key codes the tests press; letters and digits share their codes.
Qt::Key KeyOf(uint8_t virtualKey) {
    static const std::map<uint8_t, Qt::Key> named = {
        {0x08, Qt::Key_Backspace}, {0x09, Qt::Key_Tab},      {0x0D, Qt::Key_Return},
        {0x21, Qt::Key_PageUp},    {0x22, Qt::Key_PageDown}, {0x23, Qt::Key_End},
        {0x24, Qt::Key_Home},      {0x25, Qt::Key_Left},     {0x26, Qt::Key_Up},
        {0x27, Qt::Key_Right},     {0x28, Qt::Key_Down},     {0x2D, Qt::Key_Insert},
        {0x2E, Qt::Key_Delete}};
    if (virtualKey >= 112 && virtualKey <= 135) return Qt::Key(Qt::Key_F1 + (virtualKey - 112));
    const auto found = named.find(virtualKey);
    return found == named.end() ? Qt::Key(virtualKey) : found->second;
}

Qt::KeyboardModifiers ModifiersOf(const Platform::KeyPress& key) {
    return Qt::KeyboardModifiers{} | (key.Shift ? Qt::ShiftModifier : Qt::NoModifier) |
           (key.Ctrl ? Qt::ControlModifier : Qt::NoModifier) |
           (key.Alt ? Qt::AltModifier : Qt::NoModifier);
}

// Types CP1251 text into `widget`: CR LF as the Enter key, any other byte as its character.
void Type(QWidget& widget, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            QTest::keyClick(&widget, Qt::Key_Return);
            ++i;
        } else {
            QTest::keyClicks(&widget, QString(QChar(Cp1251::ToUnicode(uint8_t(text[i])))));
        }
    }
}

}  // namespace

void QtProbe::ProcessEvents() {
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

QtWindow& QtProbe::Of(Platform::Window& window) {
    return dynamic_cast<QtWindow&>(window);
}

QtTextView& QtProbe::Of(Platform::TextView& view) {
    return dynamic_cast<QtTextView&>(view);
}

QtRowView& QtProbe::Of(Platform::RowView& view) {
    return dynamic_cast<QtRowView&>(view);
}

bool QtProbe::Activate(Platform::Window& window) {
    QtWindow& widget = Of(window);
    widget.activateWindow();
    return QTest::qWaitForWindowActive(&widget);
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
    Type(widget, text);
}

std::string QtProbe::DisplayedText(Platform::TextView& view) {
    ProcessEvents();
    return QtText::FromDocument(Of(view).document()->toRawText());
}

void QtProbe::PressKey(Platform::Window& focused, const Platform::KeyPress& key) {
    Activate(focused);
    // Through the window, as the windowing system delivers it.
    QTest::keyClick(Of(focused).windowHandle(), KeyOf(key.VirtualKey), ModifiersOf(key));
}

std::string QtProbe::DisplayedText(Platform::RowView& view) {
    ProcessEvents();
    const QtRowView& widget = Of(view);
    if (widget.Edited()) return DisplayedText(widget.TextView());
    // The lines standing wholly in the view.
    const RowCursor& cursor = widget.Cursor();
    const uint64_t end = std::min(cursor.LineCount(), cursor.Top() + cursor.PageLines());
    std::string shown;
    for (uint64_t line = cursor.Top(); line < end; ++line) {
        if (line > cursor.Top()) shown += "\r\n";
        shown += cursor.Line(line);
    }
    return shown;
}

void QtProbe::PressKey(Platform::RowView& view, const Platform::KeyPress& key) {
    QtRowView& widget = Of(view);
    Activate(*QtPlatform::WindowOf(&widget));
    widget.setFocus();
    QTest::keyClick(widget.window()->windowHandle(), KeyOf(key.VirtualKey), ModifiersOf(key));
}

void QtProbe::TypeText(Platform::RowView& view, const std::string& text) {
    QtRowView& widget = Of(view);
    Activate(*QtPlatform::WindowOf(&widget));
    widget.setFocus();
    // Key by key: the first edit hands the keys to the text view.
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t size = text.compare(i, 2, "\r\n") == 0 ? 2 : 1;
        QWidget* target = widget.Edited() ? static_cast<QWidget*>(&widget.TextView()) : &widget;
        Type(*target, text.substr(i, size));
        i += size - 1;
    }
}

std::string QtProbe::Clipboard() {
    return QtText::FromDocument(QGuiApplication::clipboard()->text());
}

void QtProbe::RequestClose(Platform::Window& window) {
    QCloseEvent request;
    QCoreApplication::sendEvent(Of(window).windowHandle(), &request);
}
