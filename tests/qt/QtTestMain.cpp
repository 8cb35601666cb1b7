// The Qt tests run on the offscreen platform, on one screen of 1024 x 768 pixels and without
// window frames, as under an X server with no window manager; QT_QPA_PLATFORM may name another.
// That platform warns that it keeps no stacking order and no size hints; the tests know.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VANTREL_OFFSCREEN_CONFIG);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
