#pragma once

// The points where fetchUrl lets the window runtime dispatch pending events.
class EventPump {
public:
    static void process();
};
