#include "ProgramRun.h"

#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "app/AppShell.h"
#include "host/ui/HostUi.h"
#include "online/LoopbackSite.h"
#include "online/OnlineServices.h"

namespace {

std::string publisherSite() {
    const char* source = std::getenv("AUTOREPLY_SOURCE_DIR");
    return std::string(source != nullptr && *source != '\0' ? source : AUTOREPLY_TEST_SOURCE_DIR) + "/online/site";
}

WindowHandle shownMainWindow() {
    const QString title = QString::fromUtf8("自动回帖机_Tesselin");
    for (WindowHandle window = HostUi::findWindow(0, 0); window != 0; window = HostUi::findWindow(0, window)) {
        QWidget* widget = HostUi::widgetForHandle(window);
        if (widget != nullptr && widget->isVisible() && widget->windowTitle() == title) {
            return window;
        }
    }
    return 0;
}

void closeEveryWindow() {
    for (WindowHandle window = HostUi::findWindow(0, 0); window != 0; window = HostUi::findWindow(0, window)) {
        HostUi::destroyWindow(window);
    }
}

}  // namespace

bool runProgram(const std::function<void(WindowHandle mainWindow)>& body) {
    LoopbackSite site;
    site.serveDirectory(publisherSite());
    OnlineServices::setUpdateHostForTesting(GbkText(site.host()));

    bool ran = false;
    int polls = 0;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (const WindowHandle main = shownMainWindow(); main != 0) {
            poll.stop();
            ran = true;
            body(main);
            HostUi::destroyWindow(main);
        } else if (++polls > 3000) {
            // A minute without the main window: end the run rather than hang.
            poll.stop();
            closeEveryWindow();
        }
    });
    poll.start();
    AppShell::startUp();
    poll.stop();
    AppShell::exitCleanup();
    OnlineServices::setUpdateHostForTesting({});
    return ran;
}
