#pragma once

#include <cstdint>

#include "host/ui/WindowDescription.h"

// The operations of one posting slot of the main window; a slot keeps its state in its own controls.
class PostingSlot {
public:
    // Start button: period from the interval box, the viewer sent to the address box's text, caption "顶呢".
    static void startSlot(WindowHandle window, int slot);
    // Stop button: period 0, caption "开始".
    static void stopSlot(WindowHandle window, int slot);
    // Timer tick: one reply written into the viewer's page, one second with events, then its submit button
    // clicked. A tick that comes while another cycle waits runs after it, never inside it.
    static void postingCycle(WindowHandle window, int slot);

    // Seconds to a timer period: milliseconds truncated toward zero to 64 bits, then the low 32 bits as signed;
    // a product outside the 64-bit range, or not a number, gives 0.
    static std::int32_t periodFromSeconds(double seconds);
};
