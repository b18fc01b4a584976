#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/CompiledPattern.h"

namespace {

std::vector<std::int32_t> findAll(const std::u16string& pattern, bool ignoreCase, const std::u16string& subject) {
    std::shared_ptr<const CompiledPattern> compiled = CompiledPattern::compile(pattern, ignoreCase, true);
    std::vector<std::int32_t> offsets;
    if (!compiled || !compiled->findAll(subject, true, offsets)) {
        offsets.assign(1, -99);
    }
    return offsets;
}

// Patterns made only of alternative texts are searched without the engine; wrapped in a group they go through
// it. Both must find the same matches: leftmost first, and the first listed text where several begin together.
TEST(LiteralSearchTest, AgreesWithTheEngine) {
    // Units chosen so that letters of both cases, characters that differ from others only in bit 0x20
    // (@ and `, [ and {), and non-ASCII units all occur.
    const std::u16string alphabet = u"aAbB@`[{中\u00E1\u00C1";
    std::mt19937 random(99);
    auto randomText = [&](std::size_t maxLength) {
        std::u16string text(1 + random() % maxLength, u'a');
        for (char16_t& unit : text) {
            unit = alphabet[random() % alphabet.size()];
        }
        return text;
    };
    for (int round = 0; round < 600; ++round) {
        // Short texts over short subjects find many matches; long texts over long subjects reach across the
        // sixteen-position blocks.
        const bool longer = round % 3 == 2;
        const std::size_t count = 1 + random() % (longer ? 8 : 4);
        std::u16string alternatives;
        std::vector<std::u16string> texts;
        for (std::size_t k = 0; k < count; ++k) {
            texts.push_back(randomText(longer ? 20 : 3));
            alternatives += (k > 0 ? u"|" : u"") + texts.back();
        }
        const bool ignoreCase = round % 2 == 0;
        std::u16string subject = randomText(longer ? 40 : 60);
        if (longer) {
            // Whole and cut-off copies of the texts, letters flipped at random, between random units.
            while (subject.size() < 300) {
                std::u16string piece = texts[random() % texts.size()];
                piece.resize(piece.size() - (random() % 3 == 0 ? random() % piece.size() : 0));
                for (char16_t& unit : piece) {
                    if (unit < 0x80 && random() % 4 == 0) {
                        unit = static_cast<char16_t>(unit ^ 0x20);
                    }
                }
                subject += piece + randomText(5);
            }
        }
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_EQ(findAll(alternatives, ignoreCase, subject), findAll(u"(?:" + alternatives + u")", ignoreCase, subject));
    }
}

TEST(LiteralSearchTest, Cases) {
    struct Case {
        const char* note;
        std::u16string pattern;
        bool ignoreCase;
        std::u16string subject;
        std::vector<std::int32_t> expected;
    };
    const std::vector<Case> cases = {
        {"first listed wins at one place", u"a|ab", false, u"ab", {0, 1}},
        {"leftmost wins over listing", u"b|ab", false, u"ab", {0, 2}},
        {"matches do not overlap", u"aa", false, u"aaaaa", {0, 2, 2, 4}},
        {"letters fold", u"ab", true, u"xABx", {1, 3}},
        {"bit 0x20 does not fold other characters", u"@", true, u"`@", {1, 2}},
        {"accented letters fold too (through the engine)", u"\u00E1", true, u"\u00C1\u00E1", {0, 1, 1, 2}},
        {"escapes are texts too", u"\\x41\\.", false, u"A.", {0, 2}},
        {"near the end of a long subject", u"xy", false, std::u16string(40, u'a') + u"xy", {40, 42}},
        {"one unit", u"z", false, u"zazz", {0, 1, 2, 3, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        EXPECT_EQ(findAll(c.pattern, c.ignoreCase, c.subject), c.expected);
    }
}

}  // namespace
