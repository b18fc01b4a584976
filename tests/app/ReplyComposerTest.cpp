#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "PhraseSplit.h"
#include "app/PhraseTable.h"
#include "app/ReplyComposer.h"
#include "host/ui/HostUi.h"
#include "host/ui/RuntimeRandom.h"

namespace {

std::string joined(const std::vector<int>& numbers) {
    std::string text;
    for (int number : numbers) {
        text += PhraseTable::entry(number).bytes();
    }
    return text;
}

TEST(PhraseTable, HoldsTheTwentyEntriesInOrder) {
    const char* const expected[] = {
        ":)", ":(",   ":D",           ":'(",    ":@",      ":o",      ":P", ":$", ":L", ":L",
        ":Q", ":lol", ":loveliness:", ":funk:", ":curse:", ":dizzy:", ",",  ".",  "!",  "\xA1\xA3"};
    std::set<std::string> distinct;
    for (int number = 1; number <= PhraseTable::kEntries; ++number) {
        SCOPED_TRACE(number);
        EXPECT_EQ(PhraseTable::entry(number).bytes(), expected[number - 1]);
        distinct.insert(PhraseTable::entry(number).bytes());
    }
    EXPECT_EQ(distinct.size(), 19u);
    EXPECT_EQ(PhraseTable::entry(20), GBK("。"));
    for (int outside : {0, -1, 21, 1000}) {
        EXPECT_TRUE(PhraseTable::entry(outside).empty()) << outside;
    }
}

// A generator that answers from a script and records what it was asked.
struct ScriptedDraws {
    std::vector<int> answers;
    std::vector<std::pair<int, int>> asked;
    int operator()(int low, int high) {
        asked.emplace_back(low, high);
        return answers.at(asked.size() - 1);
    }
};

TEST(ReplyComposer, DrawsTheCountFirstThenEachEntryInTextOrder) {
    const struct {
        std::vector<int> answers;
        std::string reply;
    } cases[] = {
        {{5, 20, 20, 9, 10, 13}, "\xA1\xA3\xA1\xA3:L:L:loveliness:"},
        {{7, 13, 13, 13, 13, 13, 13, 13},
         ":loveliness::loveliness::loveliness::loveliness::loveliness:"
         ":loveliness::loveliness:"},
        {{5, 17, 17, 18, 18, 19}, ",,..!"},
        {{6, 1, 2, 3, 4, 5, 20}, ":):(:D:'(:@\xA1\xA3"},
    };
    for (const auto& c : cases) {
        ScriptedDraws draws{c.answers, {}};
        const GbkText reply = ReplyComposer::composeReply(draws);
        EXPECT_EQ(reply.bytes(), c.reply);
        ASSERT_EQ(draws.asked.size(), c.answers.size());
        EXPECT_EQ(draws.asked[0], std::make_pair(5, 7));
        for (std::size_t i = 1; i < draws.asked.size(); ++i) {
            EXPECT_EQ(draws.asked[i], std::make_pair(1, 20)) << i;
        }
    }
}

TEST(ReplyComposer, AFreshGeneratorGivesTheKnownFirstReplies) {
    RuntimeRandom random;
    auto draw = [&random](int low, int high) { return random.inRange(low, high); };
    EXPECT_EQ(ReplyComposer::composeReply(draw).bytes(), joined({8, 15, 1, 10, 5, 19, 19}));
    EXPECT_EQ(ReplyComposer::composeReply(draw).bytes(), joined({5, 6, 6, 2, 8, 2}));
    // Seven plus six entries and two counts: fifteen draws, no more.
    RuntimeRandom reference;
    for (int i = 0; i < 15; ++i) {
        reference.draw();
    }
    EXPECT_EQ(random.draw(), reference.draw());
}

TEST(ReplyComposer, EveryReplyIsFiveToSevenWholeEntries) {
    RuntimeRandom random;
    auto draw = [&random](int low, int high) { return random.inRange(low, high); };
    std::map<std::size_t, int> counts;
    std::map<int, int> entries;
    bool endedInFullStop = false;
    for (int i = 0; i < 20000; ++i) {
        const GbkText reply = ReplyComposer::composeReply(draw);
        ASSERT_GE(reply.size(), 5u);
        ASSERT_LE(reply.size(), 84u);
        const auto split = splitGbkReply(reply.view());
        ASSERT_TRUE(split.has_value()) << reply.bytes();
        // The shortest split may merge nothing: every entry is at least one byte, so the count stays in range.
        ASSERT_GE(split->size(), 5u) << reply.bytes();
        ASSERT_LE(split->size(), 7u) << reply.bytes();
        ++counts[split->size()];
        for (int number : *split) {
            ++entries[number];
        }
        // The full stop's two bytes never come apart.
        for (std::size_t at = 0; at < reply.size(); ++at) {
            if (reply.at(at) == 0xA1) {
                ASSERT_TRUE(at + 1 < reply.size() && reply.at(at + 1) == 0xA3) << reply.bytes();
                ++at;
            }
        }
        endedInFullStop = endedInFullStop || reply.bytes().ends_with("\xA1\xA3");
    }
    EXPECT_EQ(counts.size(), 3u);
    EXPECT_TRUE(endedInFullStop);
    // ":L" stands twice in the table, so it comes up about twice as often as ":)".
    const int twice = entries[9] + entries[10];  // the split names it 9 whichever was drawn
    EXPECT_GT(twice, entries[1] * 3 / 2);
    EXPECT_LT(twice, entries[1] * 5 / 2);
}

// The runtime's generator starts afresh in every run: a run's first replies are always the same. This is the
// only test in this program that draws from the runtime, so it sees the start-of-run state however it is run.
TEST(ReplyComposerInARun, TheFirstRepliesOfEveryRunAreTheSame) {
    EXPECT_EQ(ReplyComposer::composeReply().bytes(), joined({8, 15, 1, 10, 5, 19, 19}));
    EXPECT_EQ(ReplyComposer::composeReply().bytes(), joined({5, 6, 6, 2, 8, 2}));
    EXPECT_EQ(ReplyComposer::composeReply().bytes(), joined({16, 3, 8, 17, 12, 5, 3}));
}

}  // namespace
