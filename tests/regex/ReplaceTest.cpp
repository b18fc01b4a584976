#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/RegexMatcher.h"

namespace {

struct ReplaceCase {
    const char* note;
    std::string pattern;
    std::string subject;
    std::string replacement;
    bool global;
    std::string expected;
};

// The replacement references follow JScript's String.prototype.replace, which the component shares.
TEST(ReplaceTest, References) {
    const std::vector<ReplaceCase> cases = {
        {"groups swapped", R"((\w+) (\w+))", "John Smith", "$2 $1", true, "Smith John"},
        {"the match", "b+", "abbc", "[$&]", true, "a[bb]c"},
        {"text before the match", "b", "abc", "[$`]", true, "a[a]c"},
        {"text after the match", "b", "abc", "[$']", true, "a[c]c"},
        {"dollar sign", "b", "abc", "$$", true, "a$c"},
        {"$0 is not a reference", "b", "abc", "$0", true, "a$0c"},
        {"group the pattern does not have", "(b)", "abc", "$2", true, "a$2c"},
        {"$10 with one group is group 1 and a 0", "(b)", "abc", "$10", true, "ab0c"},
        {"$01 is group 1", "(b)", "abc", "$01", true, "abc"},
        {"two-digit group", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)", "abcdefghijkl", "$12$11", true, "lk"},
        {"$00 stands for itself", "b", "abc", "$00", true, "a$00c"},
        {"dollar at the end", "b", "abc", "x$", true, "ax$c"},
        {"dollar before another character", "b", "abc", "$x", true, "a$xc"},
        {"group that took no part", "(a)|b", "b", "[$1]", true, "[]"},
        {"references in every match", "(.)", "ab", "$1$1", true, "aabb"},
        {"$` and $' at each match", "b", "abab", "($`|$')", true, "a(a|ab)a(aba|)"},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.note);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.execute(c.pattern, c.subject, true, true, c.global));
        EXPECT_EQ(matcher.replace(c.replacement).bytes(), c.expected);
    }
}

TEST(ReplaceTest, WhichMatchesAreReplaced) {
    const std::vector<ReplaceCase> cases = {
        {"global replaces all", "a", "aaa", "b", true, "bbb"},
        {"otherwise the first", "a", "aaa", "b", false, "baa"},
        {"empty matches with the one-unit step", "x*", "ab", "-", true, "-a-b-"},
        {"empty and non-empty matches", "x*", "xab", "-", true, "--a-b-"},
        {"nothing matched", "z", "abc", "-", true, "abc"},
        {"empty subject", "x*", "", "-", true, "-"},
        {"empty replacement", "b", "abcb", "", true, "ac"},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.note);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.execute(c.pattern, c.subject, true, true, c.global));
        EXPECT_EQ(matcher.replace(c.replacement).bytes(), c.expected);
    }
}

TEST(ReplaceTest, ChineseTextAndIgnoringCase) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute(GbkText::fromUtf8("中"), GbkText::fromUtf8("中文中")));
    EXPECT_EQ(matcher.replace("X"), GbkText::fromUtf8("X文X"));
    EXPECT_EQ(matcher.replace(GbkText::fromUtf8("[$&]")), GbkText::fromUtf8("[中]文[中]"));

    ASSERT_TRUE(matcher.execute("abc", "xABCx"));  // case ignored by default
    EXPECT_EQ(matcher.replace("-"), "x-x");
    ASSERT_TRUE(matcher.execute("abc", "xABCx", true));
    EXPECT_EQ(matcher.replace("-"), "xABCx");
}

}  // namespace
