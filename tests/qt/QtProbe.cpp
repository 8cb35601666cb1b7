#include "QtProbe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTest>
#include <QTextDocument>
#include <QWindow>

#include "Cp1251.h"
#include "QtTextView.h"
#include "QtWindow.h"

namespace {

Qt::Key KeyOf(uint8_t virtualKey) {
    if (virtualKey >= 112 && virtualKey <= 135) return Qt::Key(Qt::Key_F1 + (virtualKey - 112));
    return Qt::Key(virtualKey);  // letters and digits share their codes
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
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            QTest::keyClick(&widget, Qt::Key_Return);
            ++i;
        } else {
            QTest::keyClicks(&widget, QString(QChar(Cp1251::ToUnicode(uint8_t(text[i])))));
        }
    }
}

std::string QtProbe::DisplayedText(Platform::TextView& view) {
    ProcessEvents();
    QString raw = Of(view).document()->toRawText();
    std::string shown;
    for (QChar c : raw) {
        if (c == QChar::ParagraphSeparator)
            shown += "\r\n";
        else
            shown += static_cast<char>(Cp1251::FromUnicode(c.unicode()));
    }
    return shown;
}

void QtProbe::PressKey(Platform::Window& focused, const Platform::KeyPress& key) {
    Activate(focused);
    Qt::KeyboardModifiers modifiers;
    if (key.Shift) modifiers |= Qt::ShiftModifier;
    if (key.Ctrl) modifiers |= Qt::ControlModifier;
    if (key.Alt) modifiers |= Qt::AltModifier;
    // Through the window, as the windowing system delivers it.
    QTest::keyClick(Of(focused).windowHandle(), KeyOf(key.VirtualKey), modifiers);
}

void QtProbe::RequestClose(Platform::Window& window) {
    QCloseEvent request;
    QCoreApplication::sendEvent(Of(window).windowHandle(), &request);
}
