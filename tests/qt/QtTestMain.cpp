// The Qt tests run on the offscreen platform, on one screen of 1024 x 768 pixels and without
// window frames, as under an X server with no window manager; QT_QPA_PLATFORM may name another.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns that it keeps no stacking order and no size hints; tests know.
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("This plugin does not support")) return;
    defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VANTREL_OFFSCREEN_CONFIG);
    defaultHandler = qInstallMessageHandler(QuietOffscreen);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
