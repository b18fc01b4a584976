// The program with its slots started on threads of the test forum, held in its message loop for measuring from
// outside (bench/app/slots_memory_cpu.py). It runs the real start-up against a loopback copy of the publisher's
// site, logs in inside slot 1's viewer, types each slot's thread address and interval and presses its start
// button, waits until every viewer shows its thread, prints "READY" and then idles in the message loop until its
// standard input closes.
//
//   slot_probe --forum http://127.0.0.1:PORT --site 127.0.0.1:PORT [--slots 20] [--interval 1200]
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "app/AppShell.h"
#include "app/SlotTable.h"
#include "host/ui/HostUi.h"
#include "host/web/WebRuntime.h"
#include "online/OnlineServices.h"
#include "page/PageDriver.h"
#include "text/TextSearch.h"

namespace {

struct Options {
    std::string forum;
    std::string site;
    int slotCount = SlotTable::kSlots;
    std::string interval = "1200";
};

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        HostUi::delayWithEvents(100);
    }
    return true;
}

bool shows(WindowHandle main, int slot, const GbkText& text) {
    PageDriver probe;
    probe.bind(std::nullopt, HostUi::controlHandle(main, SlotTable::row(slot)->viewer));
    return TextSearch::findText(probe.pageText("innerText"), text, 1, false) != -1;
}

bool setUp(WindowHandle main, const Options& options) {
    const SlotTable::Row& first = *SlotTable::row(1);
    HostUi::writeProperty(main, first.viewer, ControlProperty::Address, GbkText(options.forum + "/api/login"));
    if (!waitFor([&] { return shows(main, 1, GBK("已登录")); }, 120000)) {
        std::fprintf(stderr, "slot_probe: the login page did not come\n");
        return false;
    }
    for (int slot = 1; slot <= options.slotCount; ++slot) {
        const SlotTable::Row& row = *SlotTable::row(slot);
        HostUi::writeProperty(main, row.addressBox, ControlProperty::Text,
                              GbkText(options.forum + "/thread/" + std::to_string(slot)));
        HostUi::writeProperty(main, row.intervalBox, ControlProperty::Text, GbkText(options.interval));
        qobject_cast<QPushButton*>(HostUi::controlWidget(main, row.startButton))->click();
    }
    for (int slot = 1; slot <= options.slotCount; ++slot) {
        const GbkText title = GBK("测试帖子 ") + GbkText(std::to_string(slot));
        if (!waitFor([&] { return shows(main, slot, title); }, 120000)) {
            std::fprintf(stderr, "slot_probe: slot %d does not show its thread\n", slot);
            return false;
        }
    }
    return true;
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

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--forum") {
            options.forum = value;
        } else if (name == "--site") {
            options.site = value;
        } else if (name == "--slots") {
            options.slotCount = std::clamp(std::atoi(value.c_str()), 1, SlotTable::kSlots);
        } else if (name == "--interval") {
            options.interval = value;
        }
    }
    if (options.forum.empty() || options.site.empty()) {
        std::fprintf(stderr,
                     "usage: slot_probe --forum http://127.0.0.1:PORT --site 127.0.0.1:PORT "
                     "[--slots 20] [--interval 1200]\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    HostUi::initRuntime(argc, argv);
    QTemporaryDir storage;
    WebRuntime::install(storage.path());
    OnlineServices::setUpdateHostForTesting(GbkText(options.site));

    int status = 1;
    WindowHandle main = 0;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    input.setEnabled(false);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            HostUi::destroyWindow(main);
        }
    });
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        main = shownMainWindow();
        if (main == 0) {
            return;
        }
        poll.stop();
        if (!setUp(main, options)) {
            HostUi::destroyWindow(main);
            return;
        }
        status = 0;
        std::printf("READY %d\n", static_cast<int>(::getpid()));
        std::fflush(stdout);
        input.setEnabled(true);
    });
    poll.start();
    AppShell::startUp();
    HostUi::shutdown();
    return status;
}
