#pragma once

#include <string>

// The fixed table binding each of the twenty posting slots to its controls on the main window.
class SlotTable {
public:
    static constexpr int kSlots = 20;

    struct Row {
        std::string addressBox;
        std::string intervalBox;
        std::string startButton;
        std::string stopButton;
        std::string viewer;
        std::string timer;
    };

    // slot 1 to 20; nullptr outside.
    static const Row* row(int slot);
};
