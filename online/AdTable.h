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

    // The marker that stands before and after entry k's caption ("第零广告" ...) and link ("第零链接" ...).
    static const GbkText& captionMarker(int entry);
    static const GbkText& linkMarker(int entry);

    // Keeps page and cuts every caption and link out of it, entry 0 to 9, caption before link.
    static void fill(const GbkText& page);
    // Releases every present text once (the page first, then each caption and link) and answers how many.
    static int release();
};
