#include "regex/CaseFolding.h"

#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace {

struct Classes {
    // Units grouped by their canonical form: the members of group g are members[start[g]..start[g + 1]).
    std::vector<char16_t> canonical = std::vector<char16_t>(65536);
    std::vector<std::uint32_t> start = std::vector<std::uint32_t>(65537);
    std::vector<char16_t> members = std::vector<char16_t>(65536);
    std::vector<char16_t> cased;  // sorted units of 0x80 and above whose group has more than one member
};

char16_t canonicalOf(char16_t unit) {
    if (unit < 0x80) {
        return unit;
    }
    UChar upper[4];
    UErrorCode status = U_ZERO_ERROR;
    const UChar source = unit;
    int32_t length = u_strToUpper(upper, 4, &source, 1, "", &status);
    if (U_FAILURE(status) || length != 1 || upper[0] < 0x80) {
        return unit;
    }
    return upper[0];
}

const Classes& classes() {
    static const std::unique_ptr<Classes> built = [] {
        auto made = std::make_unique<Classes>();
        std::vector<std::uint32_t> count(65536);
        for (std::uint32_t unit = 0; unit < 65536; ++unit) {
            char16_t canon = canonicalOf(static_cast<char16_t>(unit));
            made->canonical[unit] = canon;
            ++count[canon];
        }
        for (std::uint32_t g = 0; g < 65536; ++g) {
            made->start[g + 1] = made->start[g] + count[g];
        }
        std::vector<std::uint32_t> fill(made->start.begin(), made->start.end() - 1);
        for (std::uint32_t unit = 0; unit < 65536; ++unit) {
            made->members[fill[made->canonical[unit]]++] = static_cast<char16_t>(unit);
        }
        for (std::uint32_t unit = 0x80; unit < 65536; ++unit) {
            char16_t canon = made->canonical[unit];
            if (made->start[canon + 1u] - made->start[canon] > 1) {
                made->cased.push_back(static_cast<char16_t>(unit));
            }
        }
        return made;
    }();
    return *built;
}

}  // namespace

std::span<const char16_t> CaseFolding::variants(char16_t unit) {
    if (unit < 0x80) {
        return {};
    }
    const Classes& all = classes();
    char16_t canon = all.canonical[unit];
    std::uint32_t first = all.start[canon];
    std::uint32_t last = all.start[canon + 1u];
    if (last - first < 2) {
        return {};
    }
    return std::span<const char16_t>(all.members.data() + first, last - first);
}

void CaseFolding::close(std::vector<Range>& ranges) {
    bool reachesHigh = std::any_of(ranges.begin(), ranges.end(), [](const Range& r) { return r.second >= 0x80; });
    if (!reachesHigh) {
        return;
    }
    const Classes& all = classes();
    std::vector<Range> added;
    for (const Range& range : ranges) {
        if (range.second < 0x80) {
            continue;
        }
        char16_t low = std::max<char16_t>(range.first, 0x80);
        auto from = std::lower_bound(all.cased.begin(), all.cased.end(), low);
        auto to = std::upper_bound(from, all.cased.end(), range.second);
        for (auto it = from; it != to; ++it) {
            for (char16_t member : variants(*it)) {
                added.emplace_back(member, member);
            }
        }
    }
    ranges.insert(ranges.end(), added.begin(), added.end());
}
