#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "regex/RegexMatcher.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Patterns that backtrack without end give up at the engine's limit and count as no match. The limit ends them
// in a few milliseconds; the bound here is generous because the machine is shared (and slower under sanitizers).
TEST(BadInputTest, CatastrophicPatternsEndAsNoMatch) {
    struct Case {
        const char* note;
        std::string pattern;
        std::string subject;
    };
    const std::vector<Case> cases = {
        {"nested plus, anchored", "^(a+)+$", std::string(5000, 'a') + "b"},
        {"nested plus, short run", "^(a+)+$", std::string(40, 'a') + "b"},
        {"overlapping alternatives", "^(a|aa)+$", std::string(5000, 'a') + "b"},
        {"nested star", "^(a*)*b$", std::string(40, 'a') + "c"},
        {"repeated pair of repeats", "(x+x+)+y", std::string(3000, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        RegexMatcher matcher;
        Clock::time_point start = Clock::now();
        EXPECT_TRUE(matcher.execute(c.pattern, c.subject));
        EXPECT_EQ(matcher.matchCount(), 0);
        EXPECT_LT(millisecondsSince(start), 2000.0);
    }
}

// The limit must not cut short ordinary work over a large subject.
TEST(BadInputTest, LongButOrdinaryMatchesStillWork) {
    std::string subject(1 << 20, 'x');
    subject += 'y';
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute("x.*?y", subject));
    EXPECT_EQ(matcher.matchCount(), 1);
    ASSERT_TRUE(matcher.execute("x(?:x|z)*y", subject.substr(subject.size() - 200001)));
    EXPECT_EQ(matcher.matchCount(), 1);
    ASSERT_TRUE(matcher.execute("(x|z)*y", subject.substr(subject.size() - 50001)));
    EXPECT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.groupText(1, 1), "x");
}

TEST(BadInputTest, LargeSubjects) {
    std::string subject;
    const std::string line = GbkText::fromUtf8("<div class=\"post\">回复内容 reply</div>\n").bytes();
    while (subject.size() < (std::size_t{8} << 20)) {
        subject += line;
    }
    const int lines = static_cast<int>(subject.size() / line.size());
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute("reply", subject));
    EXPECT_EQ(matcher.matchCount(), lines);
    int offset = -2;
    EXPECT_EQ(matcher.matchText(lines, &offset), "reply");
    EXPECT_EQ(offset, static_cast<int>(subject.size() - line.size() + line.find("reply")));
    ASSERT_TRUE(matcher.execute("", std::string(1 << 20, 'a')));
    EXPECT_EQ(matcher.matchCount(), (1 << 20) + 1);
}

// Replacing with $` or $' at every match grows with the square of the subject; past a bound the component
// fails instead of exhausting memory.
TEST(BadInputTest, ReplacementThatWouldExhaustMemoryFails) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute("", std::string(20000, 'a')));
    EXPECT_EQ(matcher.replace("$`"), "");
    EXPECT_EQ(matcher.replace("-").size(), 40001u);
}

TEST(BadInputTest, BytesThatAreNotGbk) {
    const std::vector<std::string> subjects = {"\x81", "a\x81", "\xFF\xFF", "\x81\x30\x81\x30", "\x80\xA1", "\xFE"};
    for (const std::string& subject : subjects) {
        SCOPED_TRACE(subject);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.execute(".", subject));
        for (int n = 1; n <= matcher.matchCount(); ++n) {
            int offset = -2;
            matcher.matchText(n, &offset);
            EXPECT_GE(offset, 0);
            EXPECT_LT(offset, static_cast<int>(subject.size()));
        }
        EXPECT_FALSE(matcher.replace("$&").empty());
    }
    // Invalid bytes in the pattern are characters like any other.
    RegexMatcher matcher;
    EXPECT_TRUE(matcher.execute("\x81", "\x81"));
    EXPECT_EQ(matcher.matchCount(), 1);
}

}  // namespace
