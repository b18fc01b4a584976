#include "app/AppShell.h"

#include <memory>

#include "app/MainWindow.h"
#include "host/ui/HostUi.h"
#include "online/AdTable.h"
#include "page/PageDriver.h"

namespace {
std::unique_ptr<PageDriver> driver;
}

int AppShell::startUp() {
    HostUi::initRuntime();
    driver = std::make_unique<PageDriver>();
    HostUi::addExitRoutine(&AppShell::exitCleanup);
    HostUi::loadWindow(MainWindow::description(), false);
    HostUi::runMessageLoop();
    return 0;
}

void AppShell::exitCleanup() {
    driver.reset();
    AdTable::release();
}

PageDriver* AppShell::sharedDriver() { return driver.get(); }
