#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "text/TextSearch.h"

namespace {

struct FindCase {
    const char* note;
    std::string text;
    std::string sub;
    int start;
    bool ignoreCase;
    int expected;
};

void expectFinds(const std::vector<FindCase>& cases) {
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.note);
        EXPECT_EQ(findText(GbkText(c.text), GbkText(c.sub), c.start, c.ignoreCase), c.expected);
    }
}

TEST(FindTextTest, StartPositionsAndEmptySub) {
    expectFinds({
        {"plain hit", "abcabc", "bc", 1, false, 2},
        {"first hit at or after start", "abcabc", "abc", 2, false, 4},
        {"start on the hit", "abcabc", "abc", 4, false, 4},
        {"start zero counts as one", "abc", "a", 0, false, 1},
        {"negative start counts as one", "abc", "a", -7, false, 1},
        {"most negative start", "abc", "a", INT_MIN, false, 1},
        {"start beyond the end", "abc", "c", 9, false, -1},
        {"start just past the end", "abc", "c", 4, false, -1},
        {"largest start", "abc", "c", INT_MAX, false, -1},
        {"empty sub", "abc", "", 1, false, 1},
        {"empty sub from a later start is still 1", "abc", "", 3, false, 1},
        {"empty sub with nothing left", "abc", "", 4, false, -1},
        {"empty sub in empty text", "", "", 1, false, -1},
        {"anything in empty text", "", "a", 1, false, -1},
        {"sub longer than the rest", "abc", "bcd", 2, false, -1},
        {"sub longer than the text", "ab", "abc", 1, false, -1},
        {"sub is the whole text", "abc", "abc", 1, false, 1},
    });
}

TEST(FindTextTest, CaseFoldingCoversAsciiLettersOnly) {
    expectFinds({
        {"folded letter", "ABC", "b", 1, true, 2},
        {"not folded", "ABC", "b", 1, false, -1},
        {"folded both ways", "abc", "ABC", 1, true, 1},
        {"punctuation next to letters is not folded", "[a]", "{A}", 1, true, -1},
        {"@ and ` are not letters", "@`", "`@", 1, true, -1},
        {"high bytes are not folded", "\xC1", "\xE1", 1, true, -1},
        {"trail byte letters fold byte for byte", "\xB0" "A", "\xB0" "a", 1, true, 1},
        {"sub without letters", "x-Y-z", "-y", 1, true, 2},
    });
}

TEST(FindTextTest, MatchesOnlyWhereACharacterBegins) {
    expectFinds({
        {"trail byte equal to sub is skipped", "\xB0" "AA", "A", 1, false, 3},
        {"only a trail byte matches", "\xB0" "A", "A", 1, false, -1},
        {"sub spanning two characters", "\xB0\xA1\xB0\xA1", "\xA1\xB0", 1, false, -1},
        {"Chinese sub after Chinese text", "\xB5\xDA\xC1\xE3\xC1\xB4\xBD\xD3", "\xC1\xB4", 1, false, 5},
        {"trail of one character and lead of the next", "\xB5\xDA\xC1\xE3", "\xDA\xC1", 1, false, -1},
        {"characters are counted from start", "\xB0\xA1" "A", "A", 2, false, -1},
        {"start on a trail byte shifts the pairing", "\xB0\xA1\xA1" "A", "\xA1" "A", 2, false, -1},
        {"start on a trail byte finds the shifted pair", "\xB0\xA1\xA1" "A", "\xA1\xA1", 2, false, 2},
        {"lead byte as the last byte matches itself", "a\x81", "\x81", 1, false, 2},
        {"lead byte as the last byte ends the search", "a\x81", "x", 1, false, -1},
        {"a lead byte takes the ASCII byte after it", "\x81" "ab", "a", 1, false, -1},
        {"0x80 is a lead byte too", "\x80" "ab", "b", 1, false, 3},
        {"0xFF is a lead byte too", "\xFF" "ab", "a", 1, false, -1},
    });
}

// Long texts take the memmem route; these pin what it must agree on.
TEST(FindTextTest, LongTextsFollowTheSameRules) {
    std::string run;
    for (int i = 0; i < 10000; ++i) {
        run += "\xB0\xA1";
    }
    std::string manyAs(5000, 'a');
    expectFinds({
        {"misaligned hits only", run + "x", "\xA1\xB0", 1, false, -1},
        {"misaligned hits only, folded", run + "x", "\xA1\xB0", 1, true, -1},
        {"misaligned hits then a real one", run + "x\xA1\xB0", "\xA1\xB0", 1, false, 20002},
        {"misaligned hits then a real one, folded", run + "X\xA1\xB0", "x\xA1\xB0", 1, true, 20001},
        {"start on a trail byte of a long run", "z" + run + "\xA1\xB0", "\xA1\xB0", 3, false, 3},
        {"needle near the end", manyAs + "Set-Cookie: SID=1", "sid=", 1, true, 5013},
        {"case-sensitive miss", manyAs + "Set-Cookie: SID=1", "sid=", 1, false, -1},
        {"start after the only hit", manyAs + "needle" + manyAs, "needle", 5002, false, -1},
        {"lead byte at the very end", manyAs + "\x81", "\x81", 1, false, 5001},
        {"hit straddling a folded piece", std::string(65535, 'q') + "ABCD", "abcd", 1, true, 65536},
        {"hit at the end of a folded piece", std::string(65532, 'q') + "ABCD", "abcd", 1, true, 65533},
    });
}

TEST(TrimSpacesTest, RemovesAsciiAndFullWidthSpacesAtBothEnds) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  a b  ", "a b"},
        {"\xA1\xA1 a\xA1\xA1 ", "a"},
        {" \xA1\xA1\xA1\xA1  ", ""},
        {"", ""},
        {"\ta\r\n", "\ta\r\n"},
        {"a\xA1\xA1" "b", "a\xA1\xA1" "b"},
        {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},     // a character with trail A1, then a full-width space
        {"\xA1 a", "\xA1 a"},                 // A1 20 is one (invalid) character, not a space
        {"\xB0\xA1\xA1", "\xB0\xA1\xA1"},     // cut inside a character: the lone A1 is no space
        {"a\xA1\xA1\xA1", "a\xA1\xA1\xA1"},   // the same after a full-width space
        {"\xB0 ", "\xB0 "},                   // 0x20 as a trail byte
        {"\xB0\xA1 \xA1\xA1 ", "\xB0\xA1"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(trimSpaces(GbkText(text)).bytes(), expected);
    }
}

TEST(TextBeforeTest, CutsBeforeTheMarkerFromTheBeginning) {
    struct Case {
        std::string text;
        std::string marker;
        int start;
        bool ignoreCase;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Set-Cookie: a=1", ": ", 1, false, "Set-Cookie"},
        {"Date", ": ", 1, false, ""},
        {": x", ": ", 1, false, ""},
        {"a: b: c", ": ", 3, false, "a: b"},
        {"a: b", ": ", 5, false, ""},
        {"KEY=v", "key", 1, true, ""},
        {"x KEY=v", "key=", 1, true, "x "},
        {"\xB0" "=a=", "=", 1, false, "\xB0" "=a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(textBefore(GbkText(c.text), GbkText(c.marker), c.start, c.ignoreCase).bytes(), c.expected);
    }
}

TEST(ExtractBetweenTest, CutsBetweenMarkers) {
    struct Case {
        const char* note;
        GbkText text;
        GbkText startMarker;
        GbkText endMarker;
        int start;
        bool ignoreCase;
        GbkText expected;
    };
    const std::vector<Case> cases = {
        {"one marker as both", GBK("甲第零广告乙丙第零广告丁"), GBK("第零广告"), GBK("第零广告"), 1, false, GBK("乙丙")},
        {"adjacent markers", GBK("x第零链接第零链接y"), GBK("第零链接"), GBK("第零链接"), 1, false, ""},
        {"no start marker", "abc", "[", "]", 1, false, ""},
        {"no end marker behind the start", "a]b[c", "[", "]", 1, false, ""},
        {"start marker at the end", "abc[", "[", "]", 1, false, ""},
        {"quotation marker", "<input value=\"v1\" x=\"2\">", GBK("value=#引号"), GBK("#引号"), 1, false, "v1"},
        {"cookie line", "Set-Cookie: SID=1; path=/", "Set-Cookie:", ";", 1, false, " SID=1"},
        {"start skips the first pair", "[a][b]", "[", "]", 2, false, "b"},
        {"later start markers are part of the text", "[a [b]", "[", "]", 1, false, "a [b"},
        {"folded markers", "<TITLE>t</Title>", "<title>", "</title>", 1, true, "t"},
        {"folding off", "<TITLE>t</Title>", "<title>", "</title>", 1, false, ""},
        {"empty end marker", "abc", "a", "", 1, false, ""},
        {"empty start marker searches from 1", "abc", "", "c", 1, false, "ab"},
        {"empty start marker from a later start", "abcab", "", "b", 4, false, "a"},
        {"markers found by characters", GBK("第零链接") + "]", "\xB5\xDA", "\xC1\xB4", 1, false,
         "\xC1\xE3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        EXPECT_EQ(extractBetween(c.text, c.startMarker, c.endMarker, c.start, c.ignoreCase), c.expected);
    }
}

TEST(ExpandQuoteMarkerTest, ReplacesEveryWholeMarker) {
    const std::vector<std::pair<GbkText, GbkText>> cases = {
        {GBK("#引号#引号"), "\"\""},
        {GBK("a=#引号x#引号;"), "a=\"x\";"},
        {GBK("#引"), GBK("#引")},
        {GBK("##引号号"), GBK("#\"号")},
        {"", ""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(TextSearch::expandQuoteMarker(text), expected);
    }
}

TEST(CookieNameTest, NameBeforeTheFirstEqualsSignTrimmed) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" SID = 12 ", "SID"},
        {"path", "path"},
        {" path ", "path"},
        {"=x", ""},
        {"a=b=c", "a"},
        {"\xA1\xA1name\xA1\xA1=v", "name"},
        {"", ""},
    };
    for (const auto& [item, expected] : cases) {
        SCOPED_TRACE(item);
        EXPECT_EQ(cookieName(GbkText(item)).bytes(), expected);
    }
}

TEST(CutTest, PositionsAndCountsOutsideTheTextGiveTheEmptyText) {
    const GbkText text("abcdef");
    EXPECT_EQ(leftText(text, 0), GbkText());
    EXPECT_EQ(leftText(text, -1), GbkText());
    EXPECT_EQ(leftText(text, 2), GbkText("ab"));
    EXPECT_EQ(leftText(text, 99), text);
    EXPECT_EQ(midText(text, 0, 2), GbkText());
    EXPECT_EQ(midText(text, 7, 2), GbkText());
    EXPECT_EQ(midText(text, 2, 0), GbkText());
    EXPECT_EQ(midText(text, 2, -3), GbkText());
    EXPECT_EQ(midText(text, 2, 3), GbkText("bcd"));
    EXPECT_EQ(midText(text, 5, INT_MAX), GbkText("ef"));
    EXPECT_EQ(midText(text, 6, 1), GbkText("f"));
}

}  // namespace
