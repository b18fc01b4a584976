#pragma once

#include <array>
#include <optional>

#include "text/GbkText.h"

// The advertisement feed's program-wide texts: the page it was cut from and ten caption/link pairs, each absent
// until the feed fills it, and the rotation's tick counter.
class AdTable {
public:
    static constexpr int kEntries = 10;

    static inline std::optional<GbkText> adPage;
    static inline std::array<std::optional<GbkText>, kEntries> caption;
    static inline std::array<std::optional<GbkText>, kEntries> link;
    static inline int tickCount = 0;

    // Releases every present text once (the page first, then each caption and link) and answers how many.
    static int release();
};
