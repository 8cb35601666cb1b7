// vantrel: the desktop program. It takes no arguments of its own, only Qt's.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Program.h"
#include "QtPlatform.h"

namespace {

// A display, or a platform named on the command line (`-platform offscreen`), which Qt takes
// as it takes QT_QPA_PLATFORM.
bool HasDisplay(int argc, char** argv) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay(argc, argv)) {
        std::fputs("vantrel: no display; set DISPLAY, or run scripts with vantrel-cli\n", stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName("vantrel");
    // The installed icon theme's; a build run from its folder keeps the toolkit's default.
    QApplication::setWindowIcon(QIcon::fromTheme("vantrel"));
    QtPlatform platform;
    return Program::Main(platform);
}
