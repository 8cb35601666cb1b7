#include "QtPlatform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "Cp1251.h"
#include "Errors.h"
#include "QtText.h"
#include "QtWindow.h"
#include "ShortCut.h"

namespace {

using ShortCut::KeyF1;

// Virtual-key codes of the keys a shortcut may name.
std::optional<uint8_t> VirtualKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return KeyF1 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<uint8_t>(key);  // Qt's codes are the ASCII letters and digits
    switch (key) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return std::nullopt;
    }
}

bool IsFunctionKey(int key) {
    return key >= Qt::Key_F1 && key <= Qt::Key_F24;
}

// Tab moves the focus and types nothing, whatever the modifiers: a text view hands the key back
// to be typed when no other control takes the focus, and only blanks separate a script's words.
bool TakeTab(QtWindow& window, const QKeyEvent& event) {
    const bool tab = event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab;
    if (!tab && !event.text().contains(u'\t')) return false;
    if (tab && !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        window.StepFocus(event.key() == Qt::Key_Tab && !(event.modifiers() & Qt::ShiftModifier));
    return true;
}

// The program's window that the user worked in last, the one activated or raised last: dialogs
// stand over it.
QtWindow* LastActive() {
    QtWindow* last = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = dynamic_cast<QtWindow*>(widget);
        if (window && window->isVisible() && (!last || window->RaisedAt() > last->RaisedAt()))
            last = window;
    }
    return last;
}

// Runs a modal dialog. Without a window manager nobody hands the focus back when it closes, and
// it falls to the root window: the window that had it takes it back, with its focused control.
int RunModal(QDialog& dialog) {
    const QPointer<QtWindow> window = LastActive();
    const int result = dialog.exec();
    if (window && window->isVisible()) window->activateWindow();
    return result;
}

}  // namespace

QtPlatform::QtPlatform() {
    // Qt's own texts, in the file dialog above all, in Russian as every other text is, whatever
    // the desktop's language.
    if (russian_.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&russian_);
    qApp->installEventFilter(this);
}

QtPlatform::~QtPlatform() {
    if (!qApp) return;
    qApp->removeEventFilter(this);
    QCoreApplication::removeTranslator(&russian_);
}

void QtPlatform::SetApplicationTitle(const std::string& title) {
    // The name, not the display name: Qt appends a display name to every window caption.
    title_ = title;
    QCoreApplication::setApplicationName(QtText::ToQString(title));
}

int QtPlatform::ScreenWidth() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

std::unique_ptr<::Platform::Window> QtPlatform::NewWindow(const ::Platform::WindowSpec& spec) {
    return std::make_unique<QtWindow>(spec, *this);
}

std::optional<std::filesystem::path> QtPlatform::OpenFileDialog(
    const std::filesystem::path& initialPath) {
    if (AnswerFileDialog) return AnswerFileDialog(initialPath);
    QFileDialog dialog(LastActive());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Any name is returned, also of a missing file: opening it then reports the failure.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!initialPath.empty()) dialog.selectFile(QtText::FromPath(initialPath));
    if (RunModal(dialog) != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return QtText::ToPath(chosen.first());
}

void QtPlatform::ShowMessage(const std::string& caption, const std::string& text) {
    if (ReceiveMessage) {
        ReceiveMessage(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QtText::ToQString(caption), QtText::ToQString(text),
                    QMessageBox::Ok, LastActive());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    RunModal(box);
}

std::optional<std::string> QtPlatform::Prompt(const std::string& caption,
                                              const std::string& initial) {
    QDialog dialog(LastActive(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(QtText::ToQString(caption));
    dialog.setWindowModality(Qt::ApplicationModal);
    auto* field = new QLineEdit(QtText::ToQString(initial), &dialog);
    field->selectAll();  // typing replaces what is offered
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(u'0') * 32);
    auto* buttons = new QDialogButtonBox(&dialog);
    // OK is the default button: Enter in the field answers with it, Escape cancels.
    buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QtText::ToQString(Cp1251::FromUtf8("Отмена")), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(field);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (RunModal(dialog) != QDialog::Accepted) return std::nullopt;
    return QtText::FromQString(field->text());
}

void QtPlatform::SetKeyHandler(std::function<bool(const ::Platform::KeyPress&)> handler) {
    keyHandler_ = std::move(handler);
}

int QtPlatform::Run(::Platform::Window& main) {
    auto& window = dynamic_cast<QtWindow&>(main);
    window.Closed = [] { QCoreApplication::exit(0); };
    window.Show();
    int code = QApplication::exec();
    window.Closed = nullptr;
    return code;
}

std::optional<::Platform::KeyPress> QtPlatform::ToKeyPress(const QKeyEvent& event) {
    std::optional<uint8_t> key = VirtualKey(event.key());
    if (!key) return std::nullopt;
    ::Platform::KeyPress press;
    press.VirtualKey = *key;
    press.Shift = event.modifiers().testFlag(Qt::ShiftModifier);
    press.Ctrl = event.modifiers().testFlag(Qt::ControlModifier);
    press.Alt = event.modifiers().testFlag(Qt::AltModifier);
    return press;
}

QtWindow* QtPlatform::WindowOf(QObject* object) {
    if (object->isWidgetType())
        return dynamic_cast<QtWindow*>(static_cast<QWidget*>(object)->window());
    if (object->isWindowType()) {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->windowHandle() == object) return dynamic_cast<QtWindow*>(widget);
    }
    return nullptr;
}

// Every key press of the program's windows goes to the key handler before any control sees it,
// whichever window has the focus. A press is taken where it reaches the window, once; the window
// then hands it to its focused control. Function keys must also win over the shortcut system,
// which asks the focused control first (ShortcutOverride).
bool QtPlatform::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress && watched->isWindowType();
    const bool override = event->type() == QEvent::ShortcutOverride;
    if (!press && !override) return false;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
    QtWindow* window = WindowOf(watched);
    if (!window) return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (override) {
        if (!keyHandler_ || !IsFunctionKey(keyEvent->key())) return false;
        event->accept();
        return true;
    }
    std::optional<::Platform::KeyPress> key = ToKeyPress(*keyEvent);
    if (keyHandler_ && key) {
        bool handled = true;  // a command that failed took its key too
        Guarded([&] { handled = keyHandler_(*key); });
        if (handled) return true;
    }
    return TakeTab(*window, *keyEvent);
}
