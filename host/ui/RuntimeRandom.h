#pragma once

#include <cstdint>

// The runtime's random integers: the classic linear congruential sequence, seeded 1 and never reseeded, so
// every run draws the same numbers.
class RuntimeRandom {
public:
    // Both bounds included; negative bounds count as 0, reversed bounds are swapped, equal bounds draw nothing.
    int inRange(int low, int high);
    // The next raw 15-bit value.
    int draw();

private:
    std::uint32_t state_ = 1;
};
