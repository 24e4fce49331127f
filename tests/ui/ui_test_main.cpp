// Widget tests run inside one QApplication on the offscreen platform, with the window's own look.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/test_support.h"
#include "ui/shell/windowed_app.h"

int main(int argc, char** argv) {
    tessellane::testing::pinTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    tessellane::applyLook(application);
    return RUN_ALL_TESTS();
}
