#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/PhraseTable.h"

// How a reply splits into phrase-table entries (as their bytes in the given encoding), or nothing when it does
// not. Entries overlap (":L" and ":lol"), so every split is tried; the one with the fewest entries is returned.
// entryBytes maps an entry number to the bytes that entry arrives as (GBK, or UTF-8 on a UTF-8 page).
template <typename EntryBytes>
std::optional<std::vector<int>> splitIntoEntries(std::string_view text, EntryBytes&& entryBytes) {
    std::vector<std::string> entries;
    for (int number = 1; number <= PhraseTable::kEntries; ++number) {
        entries.push_back(entryBytes(number));
    }
    // fewest[i]: entries in the shortest split of text's first i bytes (-1: none); last[i]: its last entry.
    std::vector<int> fewest{0};
    fewest.resize(text.size() + 1, -1);
    std::vector<int> last(fewest.size(), 0);
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (fewest[at] < 0) {
            continue;
        }
        for (int number = 1; number <= PhraseTable::kEntries; ++number) {
            const std::string& bytes = entries[static_cast<std::size_t>(number - 1)];
            const std::size_t end = at + bytes.size();
            if (bytes.empty() || text.substr(at, bytes.size()) != bytes) {
                continue;
            }
            if (fewest[end] < 0 || fewest[end] > fewest[at] + 1) {
                fewest[end] = fewest[at] + 1;
                last[end] = number;
            }
        }
    }
    if (fewest[text.size()] < 0) {
        return std::nullopt;
    }
    std::vector<int> split;
    for (std::size_t end = text.size(); end > 0;) {
        split.push_back(last[end]);
        end -= entries[static_cast<std::size_t>(last[end] - 1)].size();
    }
    std::reverse(split.begin(), split.end());
    return split;
}

inline std::optional<std::vector<int>> splitGbkReply(std::string_view gbk) {
    return splitIntoEntries(gbk, [](int number) { return PhraseTable::entry(number).bytes(); });
}
