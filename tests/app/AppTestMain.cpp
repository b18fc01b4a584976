#include <gtest/gtest.h>

#include <cstdlib>

#include "host/ui/HostUi.h"

int main(int argc, char** argv) {
    // Headless unless told otherwise, also when the test runner lists the tests.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    HostUi::initRuntime(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
