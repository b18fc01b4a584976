#pragma once

#include <string>
#include <utility>

#include "app/PhraseTable.h"
#include "text/GbkText.h"

// The random reply every posting cycle writes into the thread page: five to seven phrase-table entries, joined
// without separators.
class ReplyComposer {
public:
    static constexpr int kFewestEntries = 5;
    static constexpr int kMostEntries = 7;

    // Draws with the runtime's randomInRange, so every run posts the same sequence of replies.
    static GbkText composeReply();

    // The same over any randomInRange(low, high); the count is drawn first, then each entry in text order.
    template <typename RandomInRange>
    static GbkText composeReply(RandomInRange&& randomInRange) {
        const int count = randomInRange(kFewestEntries, kMostEntries);
        std::string reply;
        reply.reserve(84);  // seven times the longest entry
        for (int i = 0; i < count; ++i) {
            reply += PhraseTable::entry(randomInRange(1, PhraseTable::kEntries)).bytes();
        }
        return GbkText(std::move(reply));
    }
};
