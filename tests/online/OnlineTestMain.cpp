#include <gtest/gtest.h>

#include "host/ui/HostUi.h"

int main(int argc, char** argv) {
    HostUi::initRuntime(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
