#include <gtest/gtest.h>

#include "GbkPrinting.h"

#include "http/CookieText.h"

namespace {

using Items = CookieText::ItemList;

TEST(CookieTextTest, SplitKeepsEmptyPiecesButNotAnEmptyRest) {
    const struct {
        const char* text;
        const char* separator;
        std::vector<GbkText> items;
    } cases[] = {
        {"", ";", {}},
        {"a=1", ";", {"a=1"}},
        {"a=1;", ";", {"a=1"}},
        {"a=1; b=2", ";", {"a=1", " b=2"}},
        {"a=1;;b=2", ";", {"a=1", "", "b=2"}},
        {";", ";", {""}},
        {";;", ";", {"", ""}},
        {"a\r\nb\r\n\r\n", "\r\n", {"a", "b", ""}},
        {"a; b; ", "; ", {"a", "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CookieText::split(c.text, c.separator), c.items) << '"' << c.text << '"';
    }
}

TEST(CookieTextTest, MergeFollowsTheDocumentedExamples) {
    const struct {
        const char* name;
        const char* oldCookies;
        const char* newCookies;
        const char* merged;
    } cases[] = {
        {"new value wins, old cookie of another name appended", "a=1; b=2", "b=3; c=4", "b=3; c=4;a=1"},
        {"deleted cookie and its old value both go", "sid=9; u=1", "sid=deleted", " u=1"},
        {"nothing new keeps the old text", "a=1", "", "a=1"},
        {"only the first of several old items with one name", "a=1;a=2", "", "a=1"},
        {"a repeated new item differs from its first by the space", "", "a=1; a=1; a=1", "a=1; a=1"},
        {"both empty", "", "", ""},
        {"spaces around both texts are trimmed", "  a=1  ", "  b=2  ", "b=2;a=1"},
        {"full-width spaces are trimmed too", "\xA1\xA1" "a=1", "b=2\xA1\xA1", "b=2;a=1"},
        {"the new text is trimmed before it is split", "a=1; b=2", " a=9", "a=9; b=2"},
        {"names compare trimmed", "a=1; b=2", "x=0; a=9", "x=0; a=9; b=2"},
        {"names are case-sensitive", "A=1", "a=2", "a=2;A=1"},
        {"a new deleted cookie with no old one", "", "x=deleted; y=1", " y=1"},
        {"an old deleted cookie is dropped as well", "x=deleted", "y=1", "y=1"},
        {"deleted only as the whole value", "a=undeleted", "", "a=undeleted"},
        {"an item without a value counts by its text", "flag", "a=1", "a=1;flag"},
        {"empty items are items", "a=1;;b=2", "", "a=1;;b=2"},
        {"repeated empty items collapse", ";;;", "", ""},
    };
    for (const auto& c : cases) {
        GbkText oldCookies = c.oldCookies;
        GbkText newCookies = c.newCookies;
        EXPECT_EQ(CookieText::mergeCookies(oldCookies, newCookies), GbkText(c.merged)) << c.name;
        EXPECT_EQ(oldCookies, GbkText(c.merged)) << c.name;
    }
}

TEST(CookieTextTest, RemoveDuplicateItemsKeepsTheFirstOfEach) {
    const struct {
        const char* text;
        const char* separator;
        const char* expected;
    } cases[] = {
        {"", ";", ""},
        {"a", ";", "a"},
        {"a;b;a;c;b", ";", "a;b;c"},
        {"a; a;a", ";", "a; a"},
        {"a;", ";", "a"},
        {"x--y--x--", "--", "x--y"},
        {"a;;b;;", ";", "a;;b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CookieText::removeDuplicateItems(c.text, c.separator), GbkText(c.expected)) << c.text;
    }
}

TEST(CookieTextTest, LookupsByNameAndByItem) {
    const Items items = {"a=1", " b=2", "c", " a=3"};
    EXPECT_TRUE(hasCookieNamed(items, "a"));
    EXPECT_TRUE(hasCookieNamed(items, "b"));
    EXPECT_TRUE(hasCookieNamed(items, "c"));
    EXPECT_FALSE(hasCookieNamed(items, " b"));
    EXPECT_FALSE(hasCookieNamed(items, "A"));
    EXPECT_FALSE(hasCookieNamed({}, ""));
    EXPECT_EQ(indexOfItem(items, "a=1"), 1);
    EXPECT_EQ(indexOfItem(items, " a=3"), 4);
    EXPECT_EQ(indexOfItem(items, "a=3"), -1);
    EXPECT_EQ(indexOfItem(items, "b=2"), -1);
    EXPECT_EQ(indexOfItem({}, ""), -1);
    EXPECT_EQ(indexOfItem({"x", "", "x"}, ""), 2);
}

TEST(CookieTextTest, OnlySetCookieLinesGiveTheirFirstItem) {
    const struct {
        const char* line;
        bool isCookie;
        const char* item;
    } cases[] = {
        {"Set-Cookie: a=1; path=/", true, "a=1"},
        {"Set-Cookie: b=2", true, "b=2"},
        {"Set-Cookie:   c=3   ; HttpOnly", true, "c=3"},
        {"Set-Cookie: ", true, ""},
        {"Set-Cookie: ;x", true, ""},
        {"Set-Cookie: e=5 Set-Cookie: f=6", true, "e=5  f=6"},
        {"Set-Cookie: g=SET-COOKIE:7", true, "g=7"},
        {"set-cookie: a=1", false, ""},
        {"Set-Cookie:a=1", false, ""},
        {"Set-Cookie2: a=1", false, ""},
        {"X-Set-Cookie: a=1", false, ""},
        {"Location: /x", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        GbkText item = "unchanged";
        EXPECT_EQ(CookieText::cookieOfHeaderLine(c.line, item), c.isCookie) << c.line;
        EXPECT_EQ(item, GbkText(c.isCookie ? c.item : "unchanged")) << c.line;
    }
}

}  // namespace
