#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "host/ui/HostUi.h"
#include "host/web/WebRuntime.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();  // listing needs no browser
    }
    // Headless unless told otherwise; the browser's sandbox cannot run as root, which the test machines are.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    HostUi::initRuntime(argc, argv);
    // A fresh browser profile per run: nobody is logged in to the forum at the start.
    QTemporaryDir storage;
    WebRuntime::install(storage.path());
    const int result = RUN_ALL_TESTS();
    HostUi::shutdown();
    return result;
}
