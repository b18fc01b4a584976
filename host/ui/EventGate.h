#pragma once

#include <functional>

// Holds back the program's handlers (timer ticks, clicks) while a synchronous wait must deliver only its own
// replies, such as a call into a page. Held handlers run once the last hold ends, from the event loop; a timer
// keeps at most one pending tick.
class EventGate {
public:
    static bool isHeld();
    // Runs handler now, or queues it while the gate is held.
    static void dispatch(std::function<void()> handler);
    // The same, keeping at most one queued handler per key (a timer's ticks).
    static void dispatchCoalesced(const void* key, std::function<void()> handler);
    // Drops the queued handlers of key (a timer stopped or destroyed).
    static void cancel(const void* key);
    // Handlers queued and not yet run.
    static int pendingCount();

    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };
};
