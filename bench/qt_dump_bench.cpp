// F3 in the real program on one image: the time from the key press to the dump's first rows
// painted in the firmware window, and how much the resident memory grew across the command.
// Prints "seconds rss-growth-bytes peak-growth-bytes". Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise. Usage: qt_dump_bench IMAGE (bench/qt_dump_bench.sh runs it).
#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

// Notes the first paint of the dump view once the header shows the image's columns.
class PaintWatch : public QObject {
  public:
    bool Painted = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint &&
            FirmwareUnit::FirmwareForm->FirstStringStaticText->Text() == HexUnit::DumpHeader())
            Painted = true;
        return false;
    }
};

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
    platform.AnswerFileDialog = [&](const std::string&) { return image; };
    platform.ReceiveMessage = [](const std::string&, const std::string& text) {
        std::fprintf(stderr, "qt_dump_bench: %s\n", text.c_str());
        std::exit(1);
    };
    Program::StartUp(platform);
    auto* firmware = dynamic_cast<QWidget*>(FirmwareUnit::FirmwareForm->Window.get());
    MainUnit::MainForm->Window->Show();
    FirmwareUnit::FirmwareForm->Window->Show();
    // The dump view is the firmware window's scroll area that stands in front.
    QAbstractScrollArea* view = nullptr;
    for (auto* area : firmware->findChildren<QAbstractScrollArea*>())
        if (!view && area->isVisibleTo(firmware)) view = area;
    PaintWatch watch;
    view->viewport()->installEventFilter(&watch);
    for (int pass = 0; pass < 20; ++pass) QApplication::processEvents();

    const long long rss = StatusBytes("VmRSS");
    QElapsedTimer timer;
    timer.start();
    // As the windowing system delivers the key: to the window, where the program's filter takes it.
    QWindow* window = firmware->windowHandle();
    QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, Qt::Key_F3, {}));
    QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyRelease, Qt::Key_F3, {}));
    while (!watch.Painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const long long grown = StatusBytes("VmRSS") - rss, peak = StatusBytes("VmHWM") - rss;

    view->viewport()->removeEventFilter(&watch);
    Program::ShutDown();
    std::printf("%.3f %lld %lld\n", seconds, grown, peak);
    return 0;
}
