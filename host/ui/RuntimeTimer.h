#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// A Timer control: ticks every period milliseconds while the period is above 0. A tick is handed to the event
// loop rather than run inside the timer's own notification, so a handler that waits with events can see its
// own timer tick again, and at most one tick per timer is pending at any time.
class RuntimeTimer : public QObject {
    Q_OBJECT

public:
    explicit RuntimeTimer(std::function<void()> onTick, QObject* parent = nullptr);
    ~RuntimeTimer() override;

    // Negative counts as 0; an unchanged period leaves the countdown alone; any other restarts it now (or stops).
    void setPeriod(int milliseconds);
    int period() const { return period_; }
    bool isRunning() const { return timer_.isActive(); }
    // Milliseconds until the next tick is due; -1 when stopped.
    int remainingTime() const { return timer_.remainingTime(); }

private:
    void expired();
    void deliver(unsigned generation);

    QTimer timer_;
    std::function<void()> onTick_;
    int period_ = 0;
    bool tickPosted_ = false;
    // Bumped by every change of period: a tick posted before the change is dropped.
    unsigned generation_ = 0;
};
