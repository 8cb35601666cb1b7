#include "QtPlatform.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "Cp1251.h"
#include "Errors.h"
#include "Keys.h"
#include "QtText.h"
#include "QtWindow.h"

namespace {

// Virtual-key codes of the keys a shortcut may name.
std::optional<uint8_t> VirtualKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return Keys::F1 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<uint8_t>(key);  // Qt's codes are the ASCII letters and digits
    switch (key) {
        case Qt::Key_Backspace:
            return Keys::Back;
        case Qt::Key_Tab:
            return Keys::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return Keys::Return;
        case Qt::Key_Escape:
            return Keys::Escape;
        case Qt::Key_Space:
            return Keys::Space;
        case Qt::Key_PageUp:
            return Keys::PageUp;
        case Qt::Key_PageDown:
            return Keys::PageDown;
        case Qt::Key_End:
            return Keys::End;
        case Qt::Key_Home:
            return Keys::Home;
        case Qt::Key_Left:
            return Keys::Left;
        case Qt::Key_Up:
            return Keys::Up;
        case Qt::Key_Right:
            return Keys::Right;
        case Qt::Key_Down:
            return Keys::Down;
        case Qt::Key_Insert:
            return Keys::Insert;
        case Qt::Key_Delete:
            return Keys::Delete;
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

// The file dialog's columns as the program's locale writes them. Qt's file model writes sizes
// and dates in the system's locale, whatever the default is, and has no Russian for a folder.
class RussianFileColumns : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole) return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        const QLocale locale;
        switch (index.column()) {
            case 1:  // as the desktop writes it, 1024 bytes to a "кБ"
                if (files->isDir(file)) break;
                return locale.formattedDataSize(files->size(file), 2,
                                                QLocale::DataSizeTraditionalFormat);
            case 2:
                if (files->isDir(file)) return QtText::ToQString(Cp1251::FromUtf8("Папка"));
                break;
            case 3:
                return locale.toString(files->lastModified(file), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// The progress window: modal over the program's windows, which Qt then keeps from input while
// it still paints them.
class QtProgress final : public ::Platform::Progress {
  public:
    QtProgress(const std::string& title, const std::string& name) : owner_(LastActive()) {
        dialog_ = new QDialog(owner_, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                          Qt::WindowCloseButtonHint);
        dialog_->setWindowTitle(QtText::ToQString(title));
        dialog_->setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(dialog_);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        auto* nameLabel = new QLabel(dialog_);
        nameLabel->setTextFormat(Qt::PlainText);
        constexpr int Width = 420;
        nameLabel->setFixedWidth(Width);
        nameLabel->setText(
            nameLabel->fontMetrics().elidedText(QtText::ToQString(name), Qt::ElideMiddle, Width));
        text_ = new QLabel(dialog_);
        text_->setTextFormat(Qt::PlainText);
        text_->setFixedWidth(Width);  // a longer count does not widen the window
        bar_ = new QProgressBar(dialog_);
        bar_->setTextVisible(false);
        auto* cancel = new QPushButton(QString::fromUtf8("Отмена"), dialog_);
        for (QWidget* widget : {static_cast<QWidget*>(nameLabel), static_cast<QWidget*>(text_),
                                static_cast<QWidget*>(bar_)})
            layout->addWidget(widget);
        layout->addWidget(cancel, 0, Qt::AlignRight);
        // The button, Escape and the close button all reject the dialog.
        QObject::connect(cancel, &QPushButton::clicked, dialog_, &QDialog::reject);
        QObject::connect(dialog_, &QDialog::rejected, [this] { cancelled_ = true; });
        dialog_->show();
        dialog_->raise();
        dialog_->activateWindow();
    }
    ~QtProgress() override {
        delete dialog_;
        if (owner_ && owner_->isVisible()) owner_->activateWindow();
    }
    bool Update(const std::string& text, std::optional<int> percent) override {
        text_->setText(QtText::ToQString(text));
        bar_->setRange(0, percent ? 100 : 0);  // no maximum: a busy bar
        if (percent) bar_->setValue(*percent);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return !cancelled_;
    }

  private:
    QPointer<QtWindow> owner_;
    QDialog* dialog_;
    QLabel* text_;
    QProgressBar* bar_;
    bool cancelled_ = false;
};

}  // namespace

QtPlatform::QtPlatform() {
    // Qt's own texts, in the file dialog above all, in Russian as every other text is, whatever
    // the desktop's language; and its numbers, dates and file types as a Russian desktop writes
    // them.
    if (russian_.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&russian_);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
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
    QFileDialog dialog(LastActive());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Any name is returned, also of a missing file: opening it then reports the failure.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setProxyModel(new RussianFileColumns(&dialog));
    if (!initialPath.empty()) dialog.selectFile(QtText::FromPath(initialPath));
    if (RunModal(dialog) != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return QtText::ToPath(chosen.first());
}

void QtPlatform::ShowMessage(const std::string& caption, const std::string& text) {
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

int QtPlatform::Run(::Platform::Window& main) {
    auto& window = dynamic_cast<QtWindow&>(main);
    window.Closed = [] { QCoreApplication::exit(0); };
    window.Show();
    int code = QApplication::exec();
    window.Closed = nullptr;
    return code;
}

::Platform::Desktop::Answer QtPlatform::Ask(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Question, QtText::ToQString(caption), QtText::ToQString(text),
                    QMessageBox::NoButton, LastActive());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton* yes = box.addButton(QString::fromUtf8("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QString::fromUtf8("Нет"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QString::fromUtf8("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);  // also what closing the box answers
    RunModal(box);
    if (box.clickedButton() == yes) return Answer::Yes;
    return box.clickedButton() == no ? Answer::No : Answer::Cancel;
}

std::unique_ptr<::Platform::Progress> QtPlatform::ShowProgress(const std::string& name) {
    return std::make_unique<QtProgress>(title_, name);
}

void QtPlatform::Quit() {
    QCoreApplication::exit(0);
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
        if (!HasKeyHandler() || !IsFunctionKey(keyEvent->key())) return false;
        event->accept();
        return true;
    }
    const std::optional<::Platform::KeyPress> key = ToKeyPress(*keyEvent);
    if (key && DeliverKey(*key)) return true;
    return TakeTab(*window, *keyEvent);
}
