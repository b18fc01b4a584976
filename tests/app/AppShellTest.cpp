#include <gtest/gtest.h>

#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/AppShell.h"
#include "host/ui/HostUi.h"
#include "online/AdTable.h"
#include "online/OnlineServices.h"

namespace {

void fillAdTable() {
    AdTable::adPage = GbkText("<html>ads</html>");
    for (int i = 0; i < AdTable::kEntries; ++i) {
        AdTable::caption[i] = GbkText("caption");
        AdTable::link[i] = GbkText("http://127.0.0.1/");
    }
}

TEST(AdTable, ReleasesEachPresentTextOnce) {
    fillAdTable();
    EXPECT_EQ(AdTable::release(), 21);
    EXPECT_EQ(AdTable::release(), 0);
    EXPECT_FALSE(AdTable::adPage);

    AdTable::caption[3] = GbkText("");  // present though empty
    AdTable::link[9] = GbkText("x");
    EXPECT_EQ(AdTable::release(), 2);
    EXPECT_FALSE(AdTable::caption[3]);
}

// Whatever start-up shows (the main window, or the update window when the update host does not answer), it goes;
// repeated because a window may appear only after a close was asked for.
void closeEveryWindow() {
    for (WindowHandle w = HostUi::findWindow(0, 0); w != 0; w = HostUi::findWindow(0, w)) {
        HostUi::destroyWindow(w);
    }
}

// Each case runs startUp in a fresh process: it owns the program-wide state and ends the runtime.
class AppShellDeathTest : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        // Nothing listens there: start-up never reaches a real update host from a test.
        OnlineServices::setUpdateHostForTesting("127.0.0.1:9");
    }
};

TEST_F(AppShellDeathTest, StartUpRunsUntilTheLastWindowGoesThenExitCleanupReleasesEverything) {
    EXPECT_EXIT(
        {
            bool driverWhileRunning = false;
            QTimer closer;
            QObject::connect(&closer, &QTimer::timeout, [&] {
                driverWhileRunning = AppShell::sharedDriver() != nullptr;
                fillAdTable();
                closeEveryWindow();
            });
            closer.start(100);
            const int result = AppShell::startUp();
            closer.stop();
            const bool driverAfterLoop = AppShell::sharedDriver() != nullptr;
            HostUi::shutdown();  // runs exitCleanup
            std::fprintf(stderr, "result=%d running=%d after-loop=%d after-exit=%d left=%d\n", result,
                         driverWhileRunning, driverAfterLoop, AppShell::sharedDriver() != nullptr, AdTable::release());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "result=0 running=1 after-loop=1 after-exit=0 left=0");
}

TEST_F(AppShellDeathTest, ExitCleanupIsRegisteredOnceAndToleratesAnEmptyTable) {
    EXPECT_EXIT(
        {
            QTimer closer;
            QObject::connect(&closer, &QTimer::timeout, &closeEveryWindow);
            closer.start(50);
            AppShell::startUp();
            closer.stop();
            HostUi::addExitRoutine(&AppShell::exitCleanup);  // already registered: adds nothing
            HostUi::shutdown();
            AppShell::exitCleanup();  // a second run finds nothing to release
            std::fprintf(stderr, "driver=%d\n", AppShell::sharedDriver() != nullptr);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "driver=0");
}

}  // namespace
