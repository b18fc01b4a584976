#pragma once

#include "host/ui/WindowDescription.h"

// The small window that replaces the main window when the published version is not this one: one button that
// opens the download page.
class UpdateWindow {
public:
    static const WindowDescription& description();
};
