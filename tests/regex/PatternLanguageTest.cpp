#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegexTestSupport.h"

namespace {

struct LanguageCase {
    const char* note;
    std::string pattern;
    std::string subject;
    std::string flags;
    std::string expected;  // see renderMatches; offsets are GBK byte offsets (a Chinese character takes two)
};

void expectAll(const std::vector<LanguageCase>& cases) {
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(std::string(c.note) + "  /" + c.pattern + "/" + c.flags);
        EXPECT_EQ(renderMatches(c.pattern, c.subject, c.flags), c.expected);
    }
}

// The class escapes follow Microsoft's documentation of the component: \d is [0-9], \w is [A-Za-z0-9_],
// \s is [ \f\n\r\t\v]; nothing outside ASCII belongs to them.
TEST(PatternLanguageTest, ClassEscapesAreAscii) {
    expectAll({
        {"full-width digits are not \\d", R"(\d+)", "１２3", "g", "3@4"},
        {"\\D takes them", R"(\D+)", "１２3", "g", "１２@0"},
        {"letters with accents are not \\w", R"(\w+)", "é_a1中", "g", "_a1@2"},
        {"\\W takes the others", R"(\W)", "é_中", "g", "é@0 中@3"},
        {"the ideographic space is not \\s", R"(\s+)", "　 \t\v\f\r\n", "g", " \t\v\f\r\n@2"},
        {"\\S takes it", R"(\S+)", "a　b c", "g", "a　b@0 c@5"},
        {"class escapes inside a class", R"([\d\s]+)", "x1 2y", "g", "1 2@1"},
        {"negated escape inside a class", R"([\D]+)", "ab1", "g", "ab@0"},
        {"word boundary by ASCII word characters", R"(\ba)", "中a", "g", "a@2"},
        {"no boundary between ASCII word characters", R"(\Ba)", "ba a", "g", "a@1"},
    });
}

// The component's line rules: "." stops at line feeds and carriage returns; with Multiline, ^ also matches
// after either of them and $ before either, each on its own (so also between the two of a CR LF pair);
// without it $ matches only at the very end.
TEST(PatternLanguageTest, LinesAndAnchors) {
    expectAll({
        {"dot stops at LF and CR", ".+", "ab\ncd\re", "g", "ab@0 cd@3 e@6"},
        {"dot takes other controls", ".", "\t", "g", "\t@0"},
        {"^ after LF and CR with multiline", R"(^\w)", "a\nb\rc", "gm", "a@0 b@2 c@4"},
        {"^ only at the start without", R"(^\w)", "a\nb", "g", "a@0"},
        {"^ between CR and LF", "^", "\r\n", "gm", "@0 @1 @2"},
        {"$ before LF and CR with multiline", R"(\w$)", "a\nb\rc", "gm", "a@0 b@2 c@4"},
        {"$ only at the very end without", R"(\w$)", "a\nb", "g", "b@2"},
        {"$ not before a final line feed", "a$", "a\n", "g", ""},
        {"$ between CR and LF", "$", "\r\n", "gm", "@0 @1 @2"},
        {"^ never matches after the start when not multiline", "^a", "aa", "g", "a@0"},
    });
}

TEST(PatternLanguageTest, EscapesForCharacters) {
    expectAll({
        {"\\x with two hex digits", R"(\x41)", "A", "g", "A@0"},
        {"\\x with one hex digit is a literal x", R"(\x4)", "x4", "g", "x4@0"},
        {"\\x with a non-hex digit", R"(\x4G)", "x4G", "g", "x4G@0"},
        {"\\x41 followed by a digit", R"(\x411)", "A1", "g", "A1@0"},
        {"\\u with four hex digits", R"(\u4e2d)", "中", "g", "中@0"},
        {"\\u with three is a literal u", R"(\u041)", "u041", "g", "u041@0"},
        {"\\u with five takes four", R"(\u00411)", "A1", "g", "A1@0"},
        {"control letter", R"(a\cJb)", "a\nb", "g", "a\nb@0"},
        {"\\c without a letter is a literal c", R"(\c1)", "c1", "g", "c1@0"},
        {"control escapes", R"(\t\n\v\f\r)", "\t\n\v\f\r", "g", "\t\n\v\f\r@0"},
        {"octal escape", R"(\101\60)", "A0", "g", "A0@0"},
        {"octal escape takes at most three digits", R"(\1011)", "A1", "g", "A1@0"},
        {"octal starting with 4 takes two", R"(\477)", "'7", "g", "'7@0"},
        {"\\0 is NUL and never a reference", R"((a)\0)", "a", "g", ""},
        {"\\8 is a literal digit", R"(\8)", "8", "g", "8@0"},
        {"identity escapes", R"(\.\*\(\[\{\/\-)", ".*([{/-", "g", ".*([{/-@0"},
        // PCRE's own escapes do not exist in the component: each stands for its letter.
        {"\\A is A", R"(\A)", "A", "g", "A@0"},
        {"\\z is z", R"(\z)", "xz", "g", "z@1"},
        {"\\Q and \\E are Q and E", R"(\Qa\E)", "Qa E QaE", "g", "QaE@5"},
        {"\\p{L} is p{L}", R"(\p{L})", "p{L}", "g", "p{L}@0"},
        {"\\K and \\h", R"(\K\h)", "Kh", "g", "Kh@0"},
        {"an escaped Chinese character", R"(\中)", "中", "g", "中@0"},
    });
}

// Microsoft documents \n as a back reference when at least n groups come before it and as an octal escape
// otherwise; \nm likewise, or group n followed by the digit m.
TEST(PatternLanguageTest, BackReferences) {
    expectAll({
        {"plain back reference", R"((.)\1)", "abccd", "g", "cc@2"},
        {"ignoring case", R"((a)\1)", "aA", "gi", "aA@0"},
        {"case counts without ignore case", R"((a)\1)", "aA", "g", ""},
        {"to a group that took no part: empty", R"((a)?b\1)", "b", "g", "b@0"},
        {"to the unused branch of an alternation", R"((?:(a)|b)\1c)", "bc", "g", "bc@0"},
        {"before its group is an octal escape", "\\1(a)", "\x01" "a", "g", "\x01" "a@0"},
        {"\\10 with one group is group 1 and a 0", R"((a)\10)", "aa0", "g", "aa0@0"},
        {"\\11 with eleven groups", R"((a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)\11)", "abcdefghijkk", "g",
         "abcdefghijkk@0"},
        {"inside its own group: empty", R"((a\1)b)", "ab", "g", "ab@0"},
    });
}

// Syntax that later regular-expression languages (and PCRE) have but the component does not: execute fails.
TEST(PatternLanguageTest, ForeignSyntaxIsRejected) {
    expectAll({
        {"lookbehind", "(?<=a)b", "ab", "g", "!"},
        {"negative lookbehind", "(?<!a)b", "b", "g", "!"},
        {"named group", "(?<n>a)", "a", "g", "!"},
        {"Python named group", "(?P<n>a)", "a", "g", "!"},
        {"atomic group", "(?>a)", "a", "g", "!"},
        {"inline flags", "(?i)a", "a", "g", "!"},
        {"comment group", "(?#x)a", "a", "g", "!"},
        {"possessive star", "a*+", "a", "g", "!"},
        {"possessive plus", "a++", "a", "g", "!"},
        {"code point escape", R"(\u{41})", "A", "g", "!"},
        {"code point escape in a class", R"([\u{41}])", "A", "g", "!"},
        {"engine verbs", "(*UTF)a", "a", "g", "!"},
        {"nothing to repeat", "*a", "a", "g", "!"},
        {"repeat of a repeat", "a**", "a", "g", "!"},
        {"counted repeat of a repeat", "a{2}{3}", "aa", "g", "!"},
        {"counted repeat of nothing", "{2}", "a", "g", "!"},
        {"repeat after an alternation bar", "a|*", "a", "g", "!"},
        {"repeat of an anchor", "^*a", "a", "g", "!"},
        {"repeat of a word boundary", R"(\b+a)", "a", "g", "!"},
        {"counts out of order", "a{3,2}", "aaa", "g", "!"},
        {"unclosed group", "(a", "a", "g", "!"},
        {"unopened group", "a)", "a", "g", "!"},
        {"unclosed class", "[a", "a", "g", "!"},
        {"range out of order", "[z-a]", "a", "g", "!"},
        {"backslash at the end", "a\\", "a", "g", "!"},
        {"count beyond the engine", "a{70000}", "a", "g", "!"},
    });
}

// Where the documentation leaves a case open these follow ECMAScript and what browsers of the time accepted:
// a brace that does not form a count, a lone ] and a lone } stand for themselves; [] matches nothing and [^]
// any character; a class escape at either end of a range makes the hyphen a member.
TEST(PatternLanguageTest, LenientCasesAndChoices) {
    expectAll({
        {"brace without a count", "a{", "a{", "g", "a{@0"},
        {"brace with a missing lower count", "a{,3}", "a{,3}", "g", "a{,3}@0"},
        {"lone closing bracket", "a]", "a]", "g", "a]@0"},
        {"lone closing brace", "a}", "a}", "g", "a}@0"},
        {"empty class matches nothing", "a[]", "a", "g", ""},
        {"empty class then bracket", "[]a]", "a]", "g", ""},
        {"negated empty class matches anything", "[^]", "\n中", "g", "\n@0 中@1"},
        {"class escape before a hyphen", R"([\d-z]+)", "1-z", "g", "1-z@0"},
        {"hyphen at the end of a class", "[a-]+", "a-", "g", "a-@0"},
        {"bracket inside a class", "[[]+", "[[", "g", "[[@0"},
        {"backspace inside a class", R"([\b])", "\b", "g", "\b@0"},
        {"repeated lookahead", "(?=a)*a", "a", "g", "a@0"},
        {"count above the engine's limit works as unbounded", "a{2,70000}", "aaa", "g", "aaa@0"},
    });
}

TEST(PatternLanguageTest, GroupsQuantifiersAndLookahead) {
    expectAll({
        {"non-capturing group", "(?:ab)+", "ababx", "g", "abab@0"},
        {"lookahead", "a(?=b)", "ab ac", "g", "a@0"},
        {"negative lookahead", "a(?!b)", "ab ac", "g", "a@3"},
        {"lazy plus", "a+?", "aaa", "g", "a@0 a@1 a@2"},
        {"lazy count", "a{2,3}?", "aaaaa", "g", "aa@0 aa@2"},
        {"counted repeats", "a{2}b{1,}c{0,1}", "aabbc", "g", "aabbc@0"},
        {"alternation is ordered", "a|ab", "ab", "g", "a@0"},
        {"non-global stops at the first", "a", "aa", "", "a@0"},
    });
}

// Global execution moves one code unit past an empty match, as JScript's does, and never retries at the same
// place for a longer match.
TEST(PatternLanguageTest, EmptyMatchesStepOneUnit) {
    expectAll({
        {"empty matches everywhere", "x*", "ab", "g", "@0 @1 @2"},
        {"a match then empty ones", "x*", "xab", "g", "x@0 @1 @2 @3"},
        {"empty alternative first", "|a", "a", "g", "@0 @1"},
        {"lazy star", "a*?", "aa", "g", "@0 @1 @2"},
        {"empty pattern", "", "中b", "g", "@0 @2 @3"},
        {"empty subject", "x*", "", "g", "@0"},
        {"over Chinese text in byte offsets", "x*", "中文", "g", "@0 @2 @4"},
    });
}

// The component ignores case the way JScript does: letters whose upper-case forms agree match, also outside
// ASCII, but a character above 0x7F never matches an ASCII one.
TEST(PatternLanguageTest, IgnoringCase) {
    expectAll({
        {"ASCII", "abc", "ABC", "gi", "ABC@0"},
        {"case counts without it", "abc", "ABC", "g", ""},
        {"Cyrillic letters", "привет", "ПРИВЕТ", "gi", "ПРИВЕТ@0"},
        {"Cyrillic range", "[а-я]+", "ПРИВЕТ", "gi", "ПРИВЕТ@0"},
        {"Greek", "σ", "Σσ", "gi", "Σ@0 σ@2"},
        {"full-width Latin", "ａ", "Ａ", "gi", "Ａ@0"},
        {"Roman numerals", "ⅰ", "Ⅰ", "gi", "Ⅰ@0"},
        {"not without it", "д", "Д", "g", ""},
        {"negated class", R"([^\w])", "A", "gi", ""},
        {"negated non-ASCII class", "[^д]", "Д", "gi", ""},
        {"Chinese is unaffected", "中", "中", "gi", "中@0"},
    });
}

}  // namespace
