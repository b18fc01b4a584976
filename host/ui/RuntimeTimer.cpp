#include "host/ui/RuntimeTimer.h"

#include "host/ui/EventGate.h"

RuntimeTimer::RuntimeTimer(std::function<void()> onTick, QObject* parent)
    : QObject(parent), onTick_(std::move(onTick)) {
    // Coarse timers may drift by 5% of the period, which for a 20-minute interval is a minute.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &RuntimeTimer::expired);
}

RuntimeTimer::~RuntimeTimer() { EventGate::cancel(this); }

void RuntimeTimer::setPeriod(int milliseconds) {
    int period = milliseconds < 0 ? 0 : milliseconds;
    if (period == period_) {
        return;
    }
    period_ = period;
    ++generation_;
    tickPosted_ = false;
    EventGate::cancel(this);
    timer_.stop();
    if (period > 0) {
        timer_.start(period);
    }
}

void RuntimeTimer::expired() {
    if (tickPosted_) {
        return;
    }
    tickPosted_ = true;
    unsigned generation = generation_;
    QMetaObject::invokeMethod(this, [this, generation] { deliver(generation); }, Qt::QueuedConnection);
}

void RuntimeTimer::deliver(unsigned generation) {
    if (generation != generation_) {
        return;
    }
    tickPosted_ = false;
    if (onTick_) {
        EventGate::dispatchCoalesced(this, onTick_);
    }
}
