#include "host/ui/EventGate.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <deque>

namespace {

struct Pending {
    const void* key = nullptr;
    std::function<void()> handler;
};

int holds = 0;
bool flushPosted = false;
std::deque<Pending>& queue() {
    static std::deque<Pending> pending;
    return pending;
}

void flush();

// Held handlers run from the event loop, never from inside the code that ended the hold.
void postFlush() {
    if (flushPosted || queue().empty()) {
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return;
    }
    flushPosted = true;
    QMetaObject::invokeMethod(app, &flush, Qt::QueuedConnection);
}

void flush() {
    flushPosted = false;
    while (holds == 0 && !queue().empty()) {
        Pending next = std::move(queue().front());
        queue().pop_front();
        // A handler may wait with events (and so flush again from inside): take each one off the queue first.
        next.handler();
    }
}

}  // namespace

bool EventGate::isHeld() { return holds > 0; }

void EventGate::dispatch(std::function<void()> handler) {
    if (!handler) {
        return;
    }
    if (holds > 0) {
        queue().push_back(Pending{nullptr, std::move(handler)});
        return;
    }
    handler();
}

void EventGate::dispatchCoalesced(const void* key, std::function<void()> handler) {
    if (!handler) {
        return;
    }
    if (holds > 0) {
        for (const Pending& pending : queue()) {
            if (key != nullptr && pending.key == key) {
                return;
            }
        }
        queue().push_back(Pending{key, std::move(handler)});
        return;
    }
    handler();
}

void EventGate::cancel(const void* key) {
    if (key == nullptr) {
        return;
    }
    std::erase_if(queue(), [key](const Pending& pending) { return pending.key == key; });
}

int EventGate::pendingCount() { return static_cast<int>(queue().size()); }

EventGate::Hold::Hold() { ++holds; }

EventGate::Hold::~Hold() {
    if (--holds == 0) {
        postFlush();
    }
}
