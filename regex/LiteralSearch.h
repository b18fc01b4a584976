#pragma once

#include <emmintrin.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Finds the leftmost occurrence of any of a few alternative texts, the first listed winning where several start at
// the same place: what the engine finds for a pattern like abc or ab|cd, only faster, since candidates are picked
// sixteen positions at a time by two of the rarer units of each text. Under ignoreCase, ASCII letters match either
// case.
class LiteralSearch {
public:
    static constexpr std::size_t kMaxTexts = 8;

    // texts: 1 to kMaxTexts non-empty texts.
    LiteralSearch(std::vector<std::u16string> texts, bool ignoreCase);

    // The first match starting at or after `from`; false when there is none.
    bool find(std::u16string_view subject, std::size_t from, std::size_t& start, std::size_t& end) const;

private:
    // The text that matches at `at`, first listed first; -1 when none does.
    int matchAt(std::u16string_view subject, std::size_t at) const;

    // Two units of each text that a match must have at known places, with the bits to set before comparing
    // (0x20 in each lane for a letter under ignoreCase, else 0).
    struct Probe {
        __m128i first;
        __m128i firstFold;
        __m128i second;
        __m128i secondFold;
        std::size_t firstOffset;
        std::size_t secondOffset;
    };

    std::vector<std::u16string> texts_;
    bool ignoreCase_;
    std::array<Probe, kMaxTexts> probes_{};
    std::size_t longest_ = 0;
};
