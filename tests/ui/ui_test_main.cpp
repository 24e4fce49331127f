// Widget tests run inside one QApplication on the offscreen platform, with the window's own look.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/shell/windowed_app.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    tessellane::applyLook(application);
    return RUN_ALL_TESTS();
}
