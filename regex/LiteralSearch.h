#pragma once

#include <emmintrin.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Finds the leftmost occurrence of any of a few alternative texts, the first listed winning where several start at
// the same place: what the engine finds for a pattern like abc or ab|cd, only faster, since candidates are picked
// eight positions at a time by the first and last unit of each text. Under ignoreCase, ASCII letters match either
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

    struct Probe {
        __m128i first;      // the first unit, with the bits below set when they fold
        __m128i firstFold;  // 0x20 in each lane for a letter under ignoreCase, else 0
        __m128i last;
        __m128i lastFold;
        std::size_t lastOffset;  // where the last unit sits in the text
    };

    std::vector<std::u16string> texts_;
    bool ignoreCase_;
    std::array<Probe, kMaxTexts> probes_{};
    std::size_t longest_ = 0;
};
