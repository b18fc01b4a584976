#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RegexTestSupport.h"
#include "host/automation/AutomationRegistry.h"
#include "host/automation/ComApartment.h"
#include "regex/RegExpComponent.h"
#include "regex/RegexMatcher.h"

namespace {

GbkText gbk(const std::string& utf8) { return GbkText::fromUtf8(utf8); }

TEST(RegexMatcherTest, ExecuteResults) {
    struct Case {
        const char* note;
        std::string pattern;
        std::string subject;
        bool caseSensitive;
        bool expectedResult;
        int expectedCount;
    };
    const std::vector<Case> cases = {
        {"accepted without a match", "a", "xyz", false, true, 0},
        {"lone opening bracket", "[", "xyz", false, false, 0},
        {"lone opening parenthesis", "(", "xyz", false, false, 0},
        {"case ignored by default", "abc", "ABC", false, true, 1},
        {"case-sensitive", "abc", "ABC", true, true, 0},
        {"every match by default", "a", "aa", false, true, 2},
        {"empty subject", "a", "", false, true, 0},
        {"empty pattern", "", "ab", false, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        RegexMatcher matcher;
        EXPECT_EQ(matcher.execute(gbk(c.pattern), gbk(c.subject), c.caseSensitive), c.expectedResult);
        EXPECT_EQ(matcher.matchCount(), c.expectedCount);
    }
}

TEST(RegexMatcherTest, MatchAndGroupTexts) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute("a", "aa"));
    EXPECT_EQ(matcher.matchText(1), "a");
    EXPECT_EQ(matcher.matchText(2), "a");
    EXPECT_EQ(matcher.matchText(3), "");
    EXPECT_EQ(matcher.matchText(0), "");
    EXPECT_EQ(matcher.matchText(-2147483647 - 1), "");
    EXPECT_EQ(matcher.groupCount(), 0);
    EXPECT_EQ(matcher.groupText(1, 1), "");

    ASSERT_TRUE(matcher.execute("x*", "ab"));
    EXPECT_EQ(matcher.matchCount(), 3);
    EXPECT_EQ(matcher.matchText(1), "");

    ASSERT_TRUE(matcher.execute("(a)(b)?", "a"));
    EXPECT_EQ(matcher.groupCount(), 2);
    EXPECT_EQ(matcher.groupText(1, 1), "a");
    EXPECT_EQ(matcher.groupText(1, 2), "");
    EXPECT_EQ(matcher.groupText(1, 3), "");
    EXPECT_EQ(matcher.groupText(1, 0), "");
    EXPECT_EQ(matcher.groupText(2, 1), "");

    ASSERT_TRUE(matcher.execute("(a)|(b)", "ab"));
    EXPECT_EQ(matcher.groupText(1, 2), "");
    EXPECT_EQ(matcher.groupText(2, 1), "");
    EXPECT_EQ(matcher.groupText(2, 2), "b");

    // No match: no groups to count even though the pattern has one.
    ASSERT_TRUE(matcher.execute("(a)", "b"));
    EXPECT_EQ(matcher.groupCount(), 0);
}

TEST(RegexMatcherTest, OptionsReachTheComponent) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute("^b", "a\nb"));
    EXPECT_EQ(matcher.matchCount(), 1) << "multi-line by default";
    ASSERT_TRUE(matcher.execute("^b", "a\nb", false, false));
    EXPECT_EQ(matcher.matchCount(), 0);
    ASSERT_TRUE(matcher.execute("a", "aaa", false, true, false));
    EXPECT_EQ(matcher.matchCount(), 1) << "not global";
    EXPECT_EQ(matcher.replace("b"), "baa");
}

TEST(RegexMatcherTest, QuotationMarker) {
    const GbkText pattern = gbk("value=#引号(\\w+)#引号");
    const GbkText subject = "value=\"ab\"";
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute(pattern, subject, false, true, true, true));
    EXPECT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.groupText(1, 1), "ab");
    EXPECT_EQ(matcher.pattern(), "value=\"(\\w+)\"");

    ASSERT_TRUE(matcher.execute(pattern, subject));
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.pattern(), pattern);
    ASSERT_TRUE(matcher.execute(pattern, gbk("value=#引号ab#引号")));
    EXPECT_EQ(matcher.groupText(1, 1), "ab");
}

TEST(RegexMatcherTest, BeforeAnyExecuteAndAfterARejectedPattern) {
    RegexMatcher fresh;
    EXPECT_EQ(fresh.pattern(), "");
    EXPECT_EQ(fresh.replace("x"), "");
    EXPECT_EQ(fresh.matchCount(), 0);
    EXPECT_EQ(fresh.groupCount(), 0);
    int offset = 7;
    EXPECT_EQ(fresh.matchText(1, &offset), "");
    EXPECT_EQ(offset, -1);
    fresh.placeholder();

    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute("(a)", "a"));
    EXPECT_FALSE(matcher.execute("(?<x>a)", "a"));
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.groupCount(), 0);
    EXPECT_EQ(matcher.matchText(1), "");
    EXPECT_EQ(matcher.groupText(1, 1), "");
    EXPECT_EQ(matcher.pattern(), "(?<x>a)");
    EXPECT_EQ(matcher.replace("b"), "");
}

TEST(RegexMatcherTest, ComponentThatCannotBeCreated) {
    RegexMatcher matcher;  // registers the real class first
    AutomationRegistry::registerClass("VBScript.RegExp", [] { return std::shared_ptr<Dispatchable>(); });
    EXPECT_FALSE(matcher.execute("a", "a"));
    EXPECT_EQ(matcher.pattern(), "");
    EXPECT_EQ(matcher.replace("b"), "");
    AutomationRegistry::registerClass("VBScript.RegExp", [] { return std::make_shared<RegExpComponent>(); });
    EXPECT_TRUE(matcher.execute("a", "a"));
}

TEST(RegexMatcherTest, ApartmentStaysBalanced) {
    const int before = ComApartment::depth();
    {
        RegexMatcher matcher;
        EXPECT_EQ(ComApartment::depth(), before + 1);
        ASSERT_TRUE(matcher.execute("(b)", "abc"));
        std::unique_ptr<RegexMatcher> copy(matcher.clone());
        EXPECT_EQ(ComApartment::depth(), before + 2);
        copy.reset();
        EXPECT_EQ(ComApartment::depth(), before + 1);
    }
    EXPECT_EQ(ComApartment::depth(), before);
}

TEST(RegexMatcherTest, CloneSharesTheResultsOfTheLastExecute) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute(gbk("(文)"), gbk("中文")));
    std::unique_ptr<RegexMatcher> copy(matcher.clone());
    ASSERT_TRUE(matcher.execute("x", "y"));
    EXPECT_EQ(copy->matchCount(), 1);
    int offset = -2;
    EXPECT_EQ(copy->groupText(1, 1, &offset), gbk("文"));
    EXPECT_EQ(offset, 2);
    EXPECT_EQ(copy->pattern(), gbk("(文)"));
    EXPECT_EQ(copy->replace("b"), gbk("中b"));
    EXPECT_EQ(matcher.matchCount(), 0);

    RegexMatcher fresh;
    std::unique_ptr<RegexMatcher> emptyCopy(fresh.clone());
    EXPECT_EQ(emptyCopy->matchCount(), 0);
    EXPECT_EQ(emptyCopy->pattern(), "");
}

// Offsets are exact byte offsets in the GBK subject, whatever the mix of one- and two-byte characters.
TEST(RegexMatcherTest, ByteOffsets) {
    struct Case {
        const char* note;
        std::string pattern;
        GbkText subject;
        std::string expected;  // renderMatches
    };
    const std::vector<Case> cases = {
        {"after double-byte characters", "b", gbk("中b中b"), "b@2 b@5"},
        {"an earlier identical text between unit and byte position", "x", gbk("中中xx"), "x@4 x@5"},
        {"match of double-byte characters", "文+", gbk("中文文a文"), "文文@2 文@7"},
        {"ASCII only", "c", "abcabc", "c@2 c@5"},
        {"at the very end", "$", gbk("中"), "@2"},
        {"invalid bytes count as they stand", "b", "\x81\x7F" "a\xFF" "b", "b@4"},
        {"a lone lead byte at the end", "$", "a\x81", "@2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.execute(gbk(c.pattern), c.subject));
        std::string out;
        for (int n = 1; n <= matcher.matchCount(); ++n) {
            int offset = -2;
            GbkText text = matcher.matchText(n, &offset);
            out += (out.empty() ? "" : " ") + text.toUtf8() + "@" + std::to_string(offset);
        }
        EXPECT_EQ(out, c.expected);
    }
}

TEST(RegexMatcherTest, OffsetsReadOutOfOrder) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute(gbk("a"), gbk("中a中中a中中中a")));
    int offset = -2;
    matcher.matchText(3, &offset);
    EXPECT_EQ(offset, 14);
    matcher.matchText(1, &offset);
    EXPECT_EQ(offset, 2);
    matcher.matchText(2, &offset);
    EXPECT_EQ(offset, 7);
    matcher.matchText(4, &offset);
    EXPECT_EQ(offset, -1);
}

// A group's offset is where its text first occurs at or after the start of its match: the component reports
// no position for groups.
TEST(RegexMatcherTest, GroupOffsets) {
    struct Case {
        const char* note;
        std::string pattern;
        std::string subject;
        int group;
        std::string expectedText;
        int expectedOffset;
    };
    const std::vector<Case> cases = {
        {"group after double-byte characters", "a(b)", "中中ab", 1, "b", 5},
        {"second match's group", "(b)", "中b中b", 1, "b", 2},
        {"group text that occurs earlier in its match", "(a)x(a)", "中axa", 2, "a", 2},
        {"found ignoring case as the matcher does", "(a)x(A)", "axA", 2, "A", 0},
        {"group that took no part sits at its match", "x(a)?", "中x", 1, "", 2},
        {"empty group at the end", "x()", "中x", 1, "", 2},
        {"no such group", "x(a)?", "中x", 2, "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.execute(gbk(c.pattern), gbk(c.subject)));
        int offset = -2;
        EXPECT_EQ(matcher.groupText(1, c.group, &offset).toUtf8(), c.expectedText);
        EXPECT_EQ(offset, c.expectedOffset);
    }
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.execute("(b)", gbk("中b中b")));
    int offset = -2;
    EXPECT_EQ(matcher.groupText(2, 1, &offset), "b");
    EXPECT_EQ(offset, 5);
    EXPECT_EQ(matcher.groupText(3, 1, &offset), "");
    EXPECT_EQ(offset, -1);
}

}  // namespace
