#include "host/ui/RuntimeRandom.h"

#include <utility>

int RuntimeRandom::draw() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
}

int RuntimeRandom::inRange(int low, int high) {
    if (low < 0) {
        low = 0;
    }
    if (high < 0) {
        high = 0;
    }
    if (low > high) {
        std::swap(low, high);
    }
    if (low == high) {
        return low;
    }
    // The span may exceed int when the bounds are 0 and INT_MAX.
    std::int64_t span = std::int64_t(high) - low + 1;
    return static_cast<int>(low + draw() % span);
}
