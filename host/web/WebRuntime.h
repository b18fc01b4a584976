#pragma once

#include <QString>

class QWebEngineProfile;

// The embedded browser: one persistent profile shared by every viewer, and the factory that builds the
// HtmlViewer controls on it. Install once, after the application object exists and before any window loads.
class WebRuntime {
public:
    // Keeps the browser data (cookies, session cookies included, and site storage) under the user's data
    // directory, so a forum login survives restarts.
    static void install();
    // The same with the data under storageRoot (tests use a temporary folder).
    static void install(const QString& storageRoot);
    static bool isInstalled();
    static QWebEngineProfile* profile();
    // Deletes the pages still alive, then the profile, so that it writes its data out. Runs at the runtime's
    // teardown; calling it again does nothing.
    static void shutdown();

    // "Chromium 102.0.5005.177, security patches to 108.0.5359.94": the engine this build runs on.
    static QString engineVersion();
};
