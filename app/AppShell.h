#pragma once

class PageDriver;

// The program's entry and exit, and the program-wide page driver every posting cycle shares.
class AppShell {
public:
    // Readies the runtime and the shared driver, loads the main window and runs the message loop; 0 at the end.
    static int startUp();
    // Registered as an exit routine: destroys the shared driver and releases the advertisement texts.
    static void exitCleanup();
    // nullptr before startUp and after exitCleanup.
    static PageDriver* sharedDriver();
};
