// vantrel: the desktop program. It takes no arguments.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "Program.h"
#include "QtPlatform.h"

namespace {

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
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
