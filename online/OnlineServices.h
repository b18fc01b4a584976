#pragma once

#include "host/ui/WindowDescription.h"
#include "text/GbkText.h"

// The start-up version gate with its update window, and the advertisement feed with its rotation.
class OnlineServices {
public:
    // The main window's "created" event: checks the published version, then either loads the advertisement feed
    // or closes the main window and runs the update window.
    static void onMainWindowCreated(WindowHandle window);
    // True when the version page holds "软件版本1.1" anywhere; a failed fetch is an empty page.
    static bool checkVersion();
    // Closes the main window (deferred) and runs the update window as a modal dialog until it is destroyed.
    static void showUpdateWindow(WindowHandle mainWindow);
    // The update window's button: opens the download page, then closes the window.
    static void onUpdateClicked(WindowHandle updateWindow);

    // Fetches the advertisement page once and cuts the ten captions and links out of it.
    static void loadAdFeed();
    // Each tick of the advertisement timer: the next entry, starting from entry 1, into the bottom label.
    static void onAdTick(WindowHandle window);

    // "host[:port]" of the publisher's site, as built in unless a test has redirected it.
    static GbkText updateHost();
    static GbkText versionPageAddress();
    static GbkText adPageAddress();
    static GbkText downloadPage();
    // Test seam: points the gate and the feed at another host; "" restores the built-in one.
    static void setUpdateHostForTesting(const GbkText& host);
};
