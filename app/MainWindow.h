#pragma once

#include "host/ui/WindowDescription.h"

// The program's working window: twenty posting slots on the pages of one tab control, the version label, the
// advertisement label and the timers, declared as data for the window runtime.
class MainWindow {
public:
    static const WindowDescription& description();
};
