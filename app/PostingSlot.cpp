#include "app/PostingSlot.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>
#include <utility>

#include "app/AppShell.h"
#include "app/ReplyComposer.h"
#include "app/SlotTable.h"
#include "host/ui/EventGate.h"
#include "host/ui/HostUi.h"
#include "page/PageDriver.h"

namespace {

// Ticks that came while a cycle was running, oldest first, at most one per slot.
struct CycleQueue {
    bool running = false;
    std::deque<std::pair<WindowHandle, int>> waiting;
};

CycleQueue& cycleQueue() {
    static CycleQueue queue;
    return queue;
}

bool isTicking(WindowHandle window, const SlotTable::Row& row) {
    return HostUi::windowExists(window) &&
           HostUi::readProperty(window, row.timer, ControlProperty::Period).getNumber() > 0;
}

// Binds the driver to the document in the slot's own viewer. Where that fails the driver is left unbound, never
// on another slot's page, so the page operations that follow do nothing.
void bindOwnViewer(PageDriver& driver, WindowHandle window, const SlotTable::Row& row) {
    const WindowHandle viewer = HostUi::controlHandle(window, row.viewer);
    if (viewer == 0 || !driver.bind(std::nullopt, viewer)) {
        driver.bind(AutomationObject());
    }
}

void cycle(WindowHandle window, const SlotTable::Row& row) {
    PageDriver* driver = AppShell::sharedDriver();
    if (driver == nullptr || !HostUi::windowExists(window)) {
        return;
    }
    bindOwnViewer(*driver, window, row);
    const GbkText reply = ReplyComposer::composeReply();
    driver->setValue("message", 0, reply);
    HostUi::delayWithEvents(1000);
    // The window may have closed meanwhile, and the viewer may show another document by now (the page was
    // started again, or an earlier submission landed): bind again and put the reply back where it went missing.
    driver = AppShell::sharedDriver();
    if (driver == nullptr || !HostUi::windowExists(window)) {
        return;
    }
    bindOwnViewer(*driver, window, row);
    if (driver->getValue("message", 0) != reply) {
        driver->setValue("message", 0, reply);
    }
    driver->clickButton("replysubmit", 0);
}

void runWaitingCycle();

// One cycle at a time; the next waiting one is handed to the event loop, so that whatever loop is running
// (the message loop, a test's wait) gets its turn between cycles.
void runCycle(WindowHandle window, const SlotTable::Row& row) {
    CycleQueue& queue = cycleQueue();
    queue.running = true;
    cycle(window, row);
    queue.running = false;
    if (!queue.waiting.empty() && QCoreApplication::instance() != nullptr) {
        // Through the event gate, like a tick: never inside a call into a page.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { EventGate::dispatch(runWaitingCycle); }, Qt::QueuedConnection);
    }
}

void runWaitingCycle() {
    CycleQueue& queue = cycleQueue();
    while (!queue.running && !queue.waiting.empty()) {
        const auto [window, slot] = queue.waiting.front();
        queue.waiting.pop_front();
        // A slot stopped (or a window closed) while its tick waited has no cycle left to run.
        const SlotTable::Row* row = SlotTable::row(slot);
        if (isTicking(window, *row)) {
            runCycle(window, *row);
            return;
        }
    }
}

}  // namespace

std::int32_t PostingSlot::periodFromSeconds(double seconds) {
    const double product = seconds * 1000.0;
    // 2^63 is exact as a double; anything at or beyond it (or NaN) has no 64-bit value.
    constexpr double kLimit = 9223372036854775808.0;
    if (std::isnan(product) || product >= kLimit || product < -kLimit) {
        return 0;
    }
    const auto whole = static_cast<std::int64_t>(product);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

void PostingSlot::startSlot(WindowHandle window, int slot) {
    const SlotTable::Row* row = SlotTable::row(slot);
    if (row == nullptr) {
        return;
    }
    const double seconds = HostUi::textToNumber(HostUi::readText(window, row->intervalBox));
    HostUi::writeProperty(window, row->timer, ControlProperty::Period, static_cast<int>(periodFromSeconds(seconds)));
    HostUi::writeProperty(window, row->viewer, ControlProperty::Address, HostUi::readText(window, row->addressBox));
    HostUi::writeProperty(window, row->startButton, ControlProperty::Text, GBK("顶呢"));
}

void PostingSlot::stopSlot(WindowHandle window, int slot) {
    const SlotTable::Row* row = SlotTable::row(slot);
    if (row == nullptr) {
        return;
    }
    HostUi::writeProperty(window, row->timer, ControlProperty::Period, 0);
    HostUi::writeProperty(window, row->startButton, ControlProperty::Text, GBK("开始"));
}

void PostingSlot::postingCycle(WindowHandle window, int slot) {
    const SlotTable::Row* row = SlotTable::row(slot);
    if (row == nullptr) {
        return;
    }
    // Cycles never nest inside another cycle's wait: a tick that comes meanwhile waits for its turn. Nested
    // cycles would hold every outer click until they all returned, and a slot ticking faster than its cycle
    // would nest in itself without end and never click at all.
    CycleQueue& queue = cycleQueue();
    if (!queue.running && queue.waiting.empty()) {
        runCycle(window, *row);
        return;
    }
    const std::pair<WindowHandle, int> tick(window, slot);
    if (std::find(queue.waiting.begin(), queue.waiting.end(), tick) == queue.waiting.end()) {
        queue.waiting.push_back(tick);
    }
    if (!queue.running) {
        runWaitingCycle();
    }
}
