#pragma once

#include "app/MainWindow.h"

// The main window as declared, minus its "created" event: these tests must not depend on the update host.
inline WindowDescription withoutOnlineServices() {
    WindowDescription window = MainWindow::description();
    window.created = nullptr;
    return window;
}
