// The dump in the real program on one image, each time from the input to the dump view's repaint:
// F3, then Ctrl+A and Ctrl+C, the first character typed, a find whose match is near the end, and
// a go-to near the end (both from the prompt's answer). Also how much the resident memory grew
// across F3. Prints "f3 rss-growth peak-growth copy key find goto copy-refused" (seconds, bytes;
// copy-refused is 1 when the copy was refused as too large). Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise. Usage: qt_dump_bench IMAGE (bench/qt_dump_bench.sh runs it).
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "FirmwareUnit.h"
#include "HexUnit.h"
#include "MainUnit.h"
#include "Program.h"
#include "QtPlatform.h"

namespace {

// A field of /proc/self/status in bytes: VmRSS now, VmHWM the peak so far.
long long StatusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stoll(line.substr(field.size() + 1)) * 1024;
    return -1;
}

// Times input until the dump view shows its result: the clock stops at the first whole repaint
// after the input has been handled (the caret's blinking repaints one line only).
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(QWidget& viewport) : viewport_(viewport) {
        viewport_.installEventFilter(this);
    }
    // Seconds from `input` until the repaint after it; `input` may start the clock again.
    double Seconds(const std::function<void()>& input) {
        clock_.start();
        input();
        painted_ = false;
        while (!painted_) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return clock_.nsecsElapsed() / 1e9;
    }
    void Restart() { clock_.start(); }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint &&
            static_cast<QPaintEvent*>(event)->rect() == viewport_.rect())
            painted_ = true;
        return false;
    }

  private:
    QWidget& viewport_;
    QElapsedTimer clock_;
    bool painted_ = false;
};

// A key as the windowing system delivers it: to the window, where the program's filter takes it;
// handled when this returns.
void Press(QWindow* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
           const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(window, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(window, &release);
}

// Ctrl+`key` opens a prompt, which is answered with `answer`; the clock starts as it closes.
double Prompted(PaintWatch& watch, QWindow* window, Qt::Key key, const QString& answer) {
    QTimer poll;
    poll.callOnTimeout([&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll.stop();
        dialog->findChild<QLineEdit*>()->setText(answer);
        watch.Restart();
        dialog->accept();
    });
    poll.start(1);
    return watch.Seconds([&] { Press(window, key, Qt::ControlModifier); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: qt_dump_bench IMAGE\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string image = argv[1];
    QtPlatform platform;
    platform.AnswerFileDialog = [&](const std::filesystem::path&) { return image; };
    int messages = 0;
    platform.ReceiveMessage = [&](const std::string&, const std::string&) { ++messages; };
    Program::StartUp(platform);
    auto* firmware = dynamic_cast<QWidget*>(FirmwareUnit::FirmwareForm->Window.get());
    MainUnit::MainForm->Window->Show();
    FirmwareUnit::FirmwareForm->Window->Show();
    auto* view = dynamic_cast<QAbstractScrollArea*>(FirmwareUnit::FirmwareForm->FirmwareShowMemo);
    PaintWatch watch(*view->viewport());
    for (int pass = 0; pass < 20; ++pass) QApplication::processEvents();
    QWindow* window = firmware->windowHandle();

    const long long rss = StatusBytes("VmRSS");
    const double f3 = watch.Seconds([&] { Press(window, Qt::Key_F3); });
    if (messages != 0) {
        std::fputs("qt_dump_bench: the image did not load\n", stderr);
        return 1;
    }
    const long long grown = StatusBytes("VmRSS") - rss, peak = StatusBytes("VmHWM") - rss;

    // Ctrl+A and Ctrl+C: refused with a message beyond 64 MiB.
    const double copy = watch.Seconds([&] {
        Press(window, Qt::Key_A, Qt::ControlModifier);
        Press(window, Qt::Key_C, Qt::ControlModifier);
    });
    const int refused = messages;
    watch.Seconds([&] { Press(window, Qt::Key_Home, Qt::ControlModifier); });
    const double key = watch.Seconds([&] { Press(window, Qt::Key_A, {}, "a"); });

    // Eight bytes shortly before the end, so that the search crosses nearly the whole image.
    const uint32_t near = HexUnit::ImageSize - std::min<uint32_t>(HexUnit::ImageSize, 100);
    QString pattern;
    for (uint32_t at = near; at < near + 8 && at < HexUnit::ImageSize; ++at)
        pattern += QString::fromStdString(HexUnit::HexByte(HexUnit::ImageBytes[at])) + ' ';
    const double find = Prompted(watch, window, Qt::Key_F, pattern);
    const double goTo =
        Prompted(watch, window, Qt::Key_G, QString::fromStdString(HexUnit::Hex32(near - 0x100)));
    if (messages != refused) {
        std::fputs("qt_dump_bench: the find or the go-to failed\n", stderr);
        return 1;
    }

    Program::ShutDown();
    std::printf("%.3f %lld %lld %.4f %.4f %.4f %.4f %d\n", f3, grown, peak, copy, key, find, goTo,
                refused);
    return 0;
}
