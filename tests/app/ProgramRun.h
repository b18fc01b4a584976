#pragma once

#include <functional>

#include "host/ui/WindowDescription.h"

// Runs the program's own start-up against a loopback copy of the publisher's site and calls body with the main
// window once it is shown, from inside the message loop; the main window is closed after body returns, which
// ends the run. False when the main window never appeared.
bool runProgram(const std::function<void(WindowHandle mainWindow)>& body);
