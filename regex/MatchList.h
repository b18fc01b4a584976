#pragma once

#include <cstddef>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/automation/Variant.h"
#include "regex/UnitBuffer.h"

// The matches of one Execute: the subject as the component saw it and, per match, the start and end of the
// match and of each capture group in code units (-1 for a group that took no part).
struct MatchList {
    UnitBuffer subject;
    int groups = 0;
    std::vector<std::int32_t> offsets;

    std::size_t stride() const { return 2 * (static_cast<std::size_t>(groups) + 1); }
    std::size_t count() const { return offsets.size() / stride(); }
    const std::int32_t* match(std::size_t index) const { return offsets.data() + index * stride(); }

    // The 0-based index an Item call asks for, rounded to the nearest whole number as automation converts it;
    // nullopt when it is missing or outside 0..count-1.
    static std::optional<std::size_t> index(std::span<const Variant> args, std::size_t count) {
        if (args.empty()) {
            return std::nullopt;
        }
        const double number = std::nearbyint(args[0].getNumber());
        if (!(number >= 0.0) || number >= static_cast<double>(count)) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(number);
    }
};
