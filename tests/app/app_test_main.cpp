// The model posts results through the Qt event loop, so every test runs inside one QGuiApplication.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "tests/support/test_support.h"

int main(int argc, char** argv) {
    tessellane::testing::pinTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
