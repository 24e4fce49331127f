// The main of the engine's test binaries: the environment is pinned before any test runs.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

int main(int argc, char** argv) {
    tessellane::testing::pinTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
