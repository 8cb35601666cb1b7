#include "QtWindow.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QWindow>
#include <algorithm>

#include "QtControls.h"
#include "QtRowView.h"
#include "QtText.h"
#include "QtTextView.h"
#include "ShortCut.h"

namespace {

uint64_t raiseSerial = 0;

Qt::WindowFlags FlagsFor(const Platform::WindowSpec& spec) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (spec.SystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

}  // namespace

// The key itself is caught by the platform's key filter or the view, so the action takes no
// shortcut of its own.
QString QtWindow::ItemText(const Platform::MenuItem& item) {
    QString text = QtText::ToQString(item.Caption);
    if (item.Shortcut != 0) text += '\t' + QtText::ToQString(ShortCut::Name(item.Shortcut));
    return text;
}

void QtClientArea::Add(QWidget* control, const Platform::Placement& where) {
    controls_.push_back({control, where});
    Arrange(controls_.back());
}

void QtClientArea::Arrange(Control& control) {
    // The distance is the one the window opened with.
    if (laidOut_ && control.BottomGap < 0) control.BottomGap = control.Where.BottomGapIn(height());
    const Platform::Rect at = control.Where.In(width(), height(), control.BottomGap);
    control.Widget->setGeometry(at.Left, at.Top, at.Width, at.Height);
}

void QtClientArea::Settle() {
    for (Control& control : controls_) {
        control.BottomGap = -1;
        Arrange(control);
    }
}

void QtClientArea::resizeEvent(QResizeEvent*) {
    laidOut_ = true;
    for (Control& control : controls_) Arrange(control);
}

QtWindow::QtWindow(const Platform::WindowSpec& spec, const Platform::Desktop& desktop)
    : QMainWindow(nullptr, FlagsFor(spec)),
      spec_(spec),
      desktop_(desktop),
      client_(new QtClientArea(this)),
      left_(spec.Left),
      top_(spec.Top) {
    setCentralWidget(client_);
    setWindowTitle(QtText::ToQString(spec.Caption));
    move(left_, top_);
    ApplySize();
}

int QtWindow::MenuHeight() const {
    const QWidget* bar = menuWidget();
    if (!bar) return 0;
    int height = bar->heightForWidth(spec_.Width);
    return height > 0 ? height : bar->sizeHint().height();
}

// The size asked for is the client area's, or the whole frame's; the window manager's part of
// the frame is known only once the window is on screen.
void QtWindow::ApplySize() {
    const bool framed = framed_;
    QSize size(spec_.Width, spec_.Height);
    if (spec_.ClientSize) {
        size.rheight() += MenuHeight();
        framed_ = true;
    } else if (QWindow* handle = windowHandle()) {
        QMargins frame = handle->frameMargins();
        size -= QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
        framed_ = !frame.isNull();
    }
    if (spec_.Frame == Platform::Border::Fixed)
        setFixedSize(size);
    else
        resize(size);
    // The frame took its part of the size: the distances fixed before it came would leave a band.
    if (framed_ && !framed && !spec_.ClientSize) client_->Settle();
}

void QtWindow::Place(int left, int top) {
    left_ = left;
    top_ = top;
    move(left, top);
}

int QtWindow::Left() const {
    return pos().x();
}

int QtWindow::Top() const {
    return pos().y();
}

void QtWindow::Show() {
    // The window manager may have minimised the window; showing it means bringing it back.
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible()) show();
    if (!shown_) {
        // A window manager may move a window placed before it was first shown.
        shown_ = true;
        move(left_, top_);
        ApplySize();
    }
    raise();
    activateWindow();
    raisedAt_ = ++raiseSerial;
}

void QtWindow::Hide() {
    hide();
}

void QtWindow::StepFocus(bool forward) {
    focusNextPrevChild(forward);
}

void QtWindow::Close() {
    close();
}

void QtWindow::OnCloseRequest(std::function<void()> handler) {
    closeHandler_ = std::move(handler);
}

void QtWindow::SetMenu(std::vector<Platform::MenuItem> bar) {
    if (bar.empty()) {
        setMenuWidget(nullptr);
        ApplySize();
        return;
    }
    auto* menuBar = new QMenuBar(this);
    menuBar->setNativeMenuBar(false);  // the bar belongs to the window and counts in its size
    auto connectCommand = [this](QAction* action, const std::function<void()>& command) {
        if (!command) return;
        connect(action, &QAction::triggered, this, [this, command] { desktop_.Guarded(command); });
    };
    for (const Platform::MenuItem& item : bar) {
        if (item.Items.empty()) {
            connectCommand(menuBar->addAction(QtText::ToQString(item.Caption)), item.Command);
            continue;
        }
        QMenu* dropDown = menuBar->addMenu(QtText::ToQString(item.Caption));
        for (const Platform::MenuItem& entry : item.Items)
            connectCommand(dropDown->addAction(ItemText(entry)), entry.Command);
    }
    setMenuBar(menuBar);
    ApplySize();
}

Platform::TextView& QtWindow::AddTextView(const Platform::TextViewSpec& spec, LineList& lines) {
    auto* view = new QtTextView(spec, lines, client_);
    client_->Add(view, spec.Where);
    if (!focusProxy()) setFocusProxy(view);
    return *view;
}

Platform::RowView& QtWindow::AddRowView(const Platform::TextViewSpec& spec, RowEditor& editor) {
    auto* view = new QtRowView(spec, editor, client_);
    client_->Add(view, spec.Where);
    if (!focusProxy()) setFocusProxy(view);
    return *view;
}

Platform::TextControl& QtWindow::AddLabel(const Platform::LabelSpec& spec) {
    auto* label = new QtLabel(spec, client_);
    client_->Add(label, spec.Where);
    return *label;
}

Platform::TextControl& QtWindow::AddPanel(const Platform::PanelSpec& spec) {
    auto* panel = new QtPanel(spec, client_);
    client_->Add(panel, spec.Where);
    return *panel;
}

bool QtWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowActivate:
            // Activating a window, by a click or from the task bar, brings it to the top.
            raisedAt_ = ++raiseSerial;
            break;
        case QEvent::Move:
        case QEvent::Show:
            // The frame's margins arrive once the window manager has framed the window.
            if (shown_ && !framed_ && windowHandle() && !windowHandle()->frameMargins().isNull())
                ApplySize();
            break;
        default:
            break;
    }
    return QMainWindow::event(event);
}

void QtWindow::closeEvent(QCloseEvent* event) {
    if (closeHandler_) {
        event->ignore();
        closeHandler_();
        return;
    }
    event->accept();
    if (Closed) Closed();
}
