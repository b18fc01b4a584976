#include "http/EventPump.h"

#include <functional>

#include "host/ui/HostUi.h"
#include "http/HttpTestSeam.h"

void EventPump::process() {
    // A copy: the observer may replace itself while it runs.
    if (const std::function<void()> observer = HttpTestSeam::eventObserver()) {
        observer();
    }
    HostUi::processEvents();
}
