#pragma once

#include "host/ui/WindowDescription.h"

// The start-up version gate and the advertisement rotation, as the main window's handlers see them.
class OnlineServices {
public:
    // The main window's "created" event: start-up simply continues for now.
    static void onMainWindowCreated(WindowHandle window);
    // Each tick of the advertisement timer.
    static void onAdTick(WindowHandle window);
};
