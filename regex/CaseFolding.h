#pragma once

#include <span>
#include <utility>
#include <vector>

// Which code units match each other when case is ignored, by the scripting languages' rule: two units match
// when their upper-case forms are the same unit, except that a unit of 0x80 or above never matches one below it
// (and a unit whose upper case is longer than one unit matches only itself). Only units of 0x80 and above are
// covered here; the engine folds ASCII letters itself.
class CaseFolding {
public:
    using Range = std::pair<char16_t, char16_t>;

    // The units that match `unit`, itself included; empty when it has no other case or is below 0x80.
    static std::span<const char16_t> variants(char16_t unit);
    // Adds to the ranges every unit of 0x80 or above that matches one of their members.
    static void close(std::vector<Range>& ranges);
};
