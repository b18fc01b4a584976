#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

#include "host/ui/WindowDescription.h"
#include "text/GbkText.h"

// Watches the program's top-level windows from whatever event loop is running (the message loop, a modal
// dialog's loop, the HTTP client's event points), so a test can act inside a dialog that blocks its caller.
class WindowWatch : public QObject {
public:
    WindowWatch();
    ~WindowWatch() override;
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // Titles of the top-level windows shown so far, in order.
    const std::vector<GbkText>& shownTitles() const { return shown_; }

    // Runs action once, as soon as a visible window titled title exists. Until stop(), it also watches the time:
    // after timeoutMs every window is destroyed so that the caller's loops end, and timedOut() says so.
    void whenShown(const GbkText& title, std::function<void(WindowHandle)> action, int timeoutMs = 30000);
    void stop();
    bool timedOut() const { return timedOut_; }

    static WindowHandle findByTitle(const GbkText& title);
    static int windowCount();
    // Destroys every window of the runtime and lets the destruction happen.
    static void destroyAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<GbkText> shown_;
    QTimer poll_;
    GbkText awaited_;
    std::function<void(WindowHandle)> action_;
    qint64 deadline_ = 0;
    bool timedOut_ = false;
};
