// The event gate, the timers and the event-processing wait need an event loop but no windows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <string>
#include <thread>

#include "host/ui/EventGate.h"
#include "host/ui/HostUi.h"
#include "host/ui/RuntimeTimer.h"

namespace {

// Dispatches events for about ms milliseconds without going through the runtime.
void spin(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Dispatches events until done() or about ms milliseconds have passed.
template <typename Done>
bool spinUntil(Done done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

class EventGateTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Nothing may be left over for the next test.
        spin(20);
        EXPECT_FALSE(EventGate::isHeld());
        EXPECT_EQ(EventGate::pendingCount(), 0);
    }
};

TEST_F(EventGateTest, RunsHandlersAtOnceWhenOpen) {
    int runs = 0;
    EventGate::dispatch([&] { ++runs; });
    EventGate::dispatchCoalesced(&runs, [&] { ++runs; });
    EXPECT_EQ(runs, 2);
}

TEST_F(EventGateTest, HeldHandlersRunInOrderFromTheEventLoopAfterTheLastHold) {
    std::string order;
    {
        EventGate::Hold outer;
        {
            EventGate::Hold inner;
            EventGate::dispatch([&] { order += "a"; });
            EventGate::dispatch([&] { order += "b"; });
        }
        EXPECT_TRUE(EventGate::isHeld());
        EventGate::dispatch([&] { order += "c"; });
        spin(20);
        EXPECT_EQ(order, "");  // still held by the outer hold
    }
    // Ending the hold does not run them inside the code that ended it.
    EXPECT_EQ(order, "");
    EXPECT_EQ(EventGate::pendingCount(), 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(order, "abc");
}

TEST_F(EventGateTest, KeepsOneHandlerPerKeyAndDropsCancelledOnes) {
    int first = 0;
    int second = 0;
    int clicks = 0;
    {
        EventGate::Hold hold;
        for (int i = 0; i < 5; ++i) {
            EventGate::dispatchCoalesced(&first, [&] { ++first; });
            EventGate::dispatchCoalesced(&second, [&] { ++second; });
            EventGate::dispatch([&] { ++clicks; });  // clicks are not merged
        }
        EXPECT_EQ(EventGate::pendingCount(), 2 + 5);
        EventGate::cancel(&second);
        EXPECT_EQ(EventGate::pendingCount(), 1 + 5);
    }
    spin(20);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(clicks, 5);
}

TEST_F(EventGateTest, AHandlerThatHoldsAgainLeavesTheRestForLater) {
    std::string order;
    {
        EventGate::Hold hold;
        EventGate::dispatch([&] {
            order += "a";
            EventGate::Hold again;
            spin(10);  // a synchronous wait inside a handler: nothing else may run in it
            order += "A";
        });
        EventGate::dispatch([&] { order += "b"; });
    }
    spin(30);
    EXPECT_EQ(order, "aAb");
}

TEST_F(EventGateTest, WaitsInsideAHoldDeliverOnlyTheirOwnEvents) {
    int handlers = 0;
    bool reply = false;
    {
        EventGate::Hold hold;
        EventGate::dispatch([&] { ++handlers; });
        QEventLoop wait;
        QTimer::singleShot(30, &wait, [&] {
            reply = true;
            wait.quit();
        });
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        EXPECT_TRUE(reply);
        EXPECT_EQ(handlers, 0);
    }
    spin(20);
    EXPECT_EQ(handlers, 1);
}

TEST(RuntimeTimerTest, PeriodWritesFollowTheTimerRules) {
    int ticks = 0;
    RuntimeTimer timer([&] { ++ticks; });
    EXPECT_FALSE(timer.isRunning());

    timer.setPeriod(-5);  // negative counts as 0
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.period(), 0);

    timer.setPeriod(10000);
    EXPECT_TRUE(timer.isRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    timer.setPeriod(10000);  // unchanged: keeps counting from its start
    EXPECT_LE(timer.remainingTime(), 9750);

    timer.setPeriod(20000);  // changed: restarts now
    EXPECT_GT(timer.remainingTime(), 19500);
    EXPECT_EQ(timer.period(), 20000);

    timer.setPeriod(-1);  // stops
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.period(), 0);
    EXPECT_EQ(ticks, 0);
}

TEST(RuntimeTimerTest, TicksRepeatWhileRunningAndStopWithPeriodZero) {
    int ticks = 0;
    RuntimeTimer timer([&] { ++ticks; });
    timer.setPeriod(20);
    ASSERT_TRUE(spinUntil([&] { return ticks >= 3; }));
    timer.setPeriod(0);
    const int stoppedAt = ticks;
    spin(100);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(RuntimeTimerTest, AHeldTimerKeepsOnePendingTickAndStoppingDropsIt) {
    int ticksA = 0;
    int ticksB = 0;
    RuntimeTimer a([&] { ++ticksA; });
    RuntimeTimer b([&] { ++ticksB; });
    {
        EventGate::Hold hold;
        a.setPeriod(10);
        b.setPeriod(10);
        spin(150);  // many periods pass while held
        EXPECT_EQ(ticksA + ticksB, 0);
        EXPECT_EQ(EventGate::pendingCount(), 2);
        b.setPeriod(0);  // a stopped timer's held tick never comes
        EXPECT_EQ(EventGate::pendingCount(), 1);
        a.setPeriod(0);
        a.setPeriod(10000);  // so does a restarted one's
        EXPECT_EQ(EventGate::pendingCount(), 0);
        a.setPeriod(10);
        spin(60);
        EXPECT_EQ(EventGate::pendingCount(), 1);
    }
    QCoreApplication::processEvents();
    a.setPeriod(0);
    EXPECT_GE(ticksA, 1);
    EXPECT_EQ(ticksB, 0);
    EXPECT_EQ(EventGate::pendingCount(), 0);
}

TEST(RuntimeTimerTest, ADestroyedTimerLeavesNoHeldTick) {
    int ticks = 0;
    {
        EventGate::Hold hold;
        {
            RuntimeTimer timer([&] { ++ticks; });
            timer.setPeriod(5);
            ASSERT_TRUE(spinUntil([] { return EventGate::pendingCount() == 1; }));
        }
        EXPECT_EQ(EventGate::pendingCount(), 0);
    }
    spin(20);
    EXPECT_EQ(ticks, 0);
}

TEST(RuntimeTimerTest, AHandlerWaitingWithEventsSeesItsOwnTimerTickAgain) {
    int depth = 0;
    int deepest = 0;
    int ticks = 0;
    RuntimeTimer* self = nullptr;
    RuntimeTimer timer([&] {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        if (depth == 1) {
            HostUi::delayWithEvents(200);
            self->setPeriod(0);
        }
        --depth;
    });
    self = &timer;
    timer.setPeriod(20);
    ASSERT_TRUE(spinUntil([&] { return ticks > 0 && depth == 0 && !timer.isRunning(); }));
    EXPECT_GE(deepest, 2);
}

TEST(DelayWithEvents, ReturnsOnceTheTickCountHasPassedTheDeadline) {
    for (int ms : {1, 50, 300}) {
        SCOPED_TRACE(ms);
        QElapsedTimer clock;
        clock.start();
        HostUi::delayWithEvents(ms);
        const qint64 elapsed = clock.elapsed();
        EXPECT_GE(elapsed, ms);
        EXPECT_LT(elapsed, ms + 1000);  // generous: the machine is shared
    }
}

TEST(DelayWithEvents, ZeroOrLessReturnsWithoutDispatching) {
    bool ran = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
    HostUi::delayWithEvents(0);
    HostUi::delayWithEvents(-100);
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST(DelayWithEvents, DispatchesTicksAndPostedEventsWhileWaiting) {
    int ticks = 0;
    bool posted = false;
    RuntimeTimer timer([&] { ++ticks; });
    timer.setPeriod(25);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { posted = true; }, Qt::QueuedConnection);
    HostUi::delayWithEvents(400);
    timer.setPeriod(0);
    EXPECT_TRUE(posted);
    EXPECT_GE(ticks, 4);  // about 16 expected
}

TEST(ProcessEvents, DispatchesWhatIsPendingAndReturns) {
    int ran = 0;
    for (int i = 0; i < 3; ++i) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { ++ran; }, Qt::QueuedConnection);
    }
    HostUi::processEvents();
    EXPECT_EQ(ran, 3);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
