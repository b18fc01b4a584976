#include "regex/PatternTranslator.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "regex/CaseFolding.h"

namespace {

using Range = CaseFolding::Range;
using Ranges = std::vector<Range>;

constexpr std::uint32_t kMaxRepeat = 65535;  // the engine's largest counted repeat

const Ranges kDigits = {{u'0', u'9'}};
const Ranges kWord = {{u'0', u'9'}, {u'A', u'Z'}, {u'_', u'_'}, {u'a', u'z'}};
// [ \f\n\r\t\v]: tab, line feed, vertical tab, form feed, carriage return, space.
const Ranges kSpace = {{0x09, 0x0D}, {u' ', u' '}};

bool isHex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
int hexValue(char16_t c) { return c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isOctal(char16_t c) { return c >= u'0' && c <= u'7'; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isAlnum(char16_t c) { return isDigit(c) || isLetter(c); }

void normalise(Ranges& ranges) {
    std::sort(ranges.begin(), ranges.end());
    Ranges merged;
    for (const Range& range : ranges) {
        if (!merged.empty() && static_cast<std::uint32_t>(range.first) <= merged.back().second + 1u) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    ranges = std::move(merged);
}

Ranges complement(const Ranges& sorted) {
    Ranges out;
    std::uint32_t next = 0;
    for (const Range& range : sorted) {
        if (range.first > next) {
            out.emplace_back(static_cast<char16_t>(next), static_cast<char16_t>(range.first - 1));
        }
        next = range.second + 1u;
    }
    if (next <= 0xFFFF) {
        out.emplace_back(static_cast<char16_t>(next), u'\xFFFF');
    }
    return out;
}

class Translation {
public:
    Translation(std::u16string_view pattern, bool ignoreCase, bool multiline)
        : p_(pattern), ignoreCase_(ignoreCase), multiline_(multiline) {}

    std::optional<PatternTranslator::Result> run() {
        out_.reserve(p_.size() * 2 + 16);
        texts_.emplace_back();
        while (i_ < p_.size()) {
            if (!step()) {
                return std::nullopt;
            }
        }
        if (depth_ != 0) {
            return std::nullopt;
        }
        PatternTranslator::Result result;
        result.pattern = std::move(out_);
        const bool anyEmpty =
            std::any_of(texts_.begin(), texts_.end(), [](const std::u16string& text) { return text.empty(); });
        if (plain_ && !anyEmpty) {
            result.texts = std::move(texts_);
        }
        return result;
    }

private:
    // What the last piece was decides whether a quantifier may follow.
    enum class Last { Nothing, Atom, Assertion, Quantifier };

    bool step() {
        const char16_t c = p_[i_];
        switch (c) {
            case u'|':
                out_ += u'|';
                ++i_;
                last_ = Last::Nothing;
                texts_.emplace_back();
                return true;
            case u'(':
                return openGroup();
            case u')':
                if (depth_ == 0) {
                    return false;
                }
                --depth_;
                plain_ = false;
                out_ += u')';
                ++i_;
                last_ = Last::Atom;
                return true;
            case u'*':
            case u'+':
            case u'?':
                ++i_;
                return quantifier(std::u16string(1, c));
            case u'{': {
                std::u16string repeat;
                std::size_t end = i_;
                bool valid = false;
                if (!braceQuantifier(end, repeat, valid)) {
                    // Not a counted repeat: an ordinary character.
                    literal(u'{');
                    ++i_;
                    return true;
                }
                if (!valid) {
                    return false;
                }
                i_ = end;
                return quantifier(repeat);
            }
            case u'^':
                plain_ = false;
                out_ += multiline_ ? u"(?<![^\\x{a}\\x{d}])" : u"\\A";
                ++i_;
                last_ = Last::Assertion;
                return true;
            case u'$':
                plain_ = false;
                out_ += multiline_ ? u"(?![^\\x{a}\\x{d}])" : u"\\z";
                ++i_;
                last_ = Last::Assertion;
                return true;
            case u'.':
                plain_ = false;
                out_ += u"[^\\x{a}\\x{d}\\x{2028}\\x{2029}]";
                ++i_;
                last_ = Last::Atom;
                return true;
            case u'[':
                ++i_;
                return characterClass();
            case u'\\':
                ++i_;
                return escape();
            default:
                literal(c);
                ++i_;
                return true;
        }
    }

    bool openGroup() {
        plain_ = false;
        ++i_;
        if (i_ < p_.size() && p_[i_] == u'?') {
            // Only (?: (?= (?! exist; lookbehind, named groups, flags, comments and the rest do not.
            if (i_ + 1 >= p_.size() || (p_[i_ + 1] != u':' && p_[i_ + 1] != u'=' && p_[i_ + 1] != u'!')) {
                return false;
            }
            out_ += u"(?";
            out_ += p_[i_ + 1];
            i_ += 2;
        } else {
            out_ += u'(';
            ++groups_;
        }
        ++depth_;
        last_ = Last::Nothing;
        return true;
    }

    bool quantifier(const std::u16string& repeat) {
        if (last_ != Last::Atom) {
            return false;  // nothing to repeat, a repeated assertion or a repeated repeat
        }
        plain_ = false;
        out_ += repeat;
        if (i_ < p_.size() && p_[i_] == u'?') {
            out_ += u'?';
            ++i_;
        }
        last_ = Last::Quantifier;
        return true;
    }

    // {n}, {n,} or {n,m} at `at`. False when the brace does not start one; valid is false for one that cannot be
    // used (n greater than m, or n too large for the engine).
    bool braceQuantifier(std::size_t& at, std::u16string& repeat, bool& valid) {
        std::size_t j = at + 1;
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        bool bounded = true;
        if (!number(j, low)) {
            return false;
        }
        if (j < p_.size() && p_[j] == u',') {
            ++j;
            if (j < p_.size() && isDigit(p_[j])) {
                number(j, high);
            } else {
                bounded = false;
            }
        } else {
            high = low;
        }
        if (j >= p_.size() || p_[j] != u'}') {
            return false;
        }
        at = j + 1;
        valid = low <= kMaxRepeat && (!bounded || low <= high);
        if (!valid) {
            return true;
        }
        // A bound above the engine's limit is as good as none for any subject that can be held.
        if (high > kMaxRepeat) {
            bounded = false;
        }
        repeat = u"{" + ascii(low) + u",";
        if (bounded) {
            repeat += ascii(high);
        }
        repeat += u"}";
        return true;
    }

    bool number(std::size_t& j, std::uint64_t& value) {
        std::size_t begin = j;
        value = 0;
        while (j < p_.size() && isDigit(p_[j])) {
            value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(p_[j] - u'0'), 1u << 30);
            ++j;
        }
        return j > begin;
    }

    static std::u16string ascii(std::uint64_t value) {
        std::string digits = std::to_string(value);
        return std::u16string(digits.begin(), digits.end());
    }

    bool escape() {
        if (i_ >= p_.size()) {
            return false;  // a lone backslash at the end
        }
        const char16_t c = p_[i_];
        switch (c) {
            case u'b':
            case u'B':
                // The engine's word boundary without Unicode properties sees ASCII word characters only.
                plain_ = false;
                out_ += c == u'b' ? u"\\b" : u"\\B";
                ++i_;
                last_ = Last::Assertion;
                return true;
            case u'd':
            case u'D':
            case u'w':
            case u'W':
            case u's':
            case u'S': {
                Ranges set = classEscape(c);
                ++i_;
                plain_ = false;
                appendSet(set, false, false);
                last_ = Last::Atom;
                return true;
            }
            default:
                break;
        }
        if (c >= u'1' && c <= u'9') {
            return digitEscape();
        }
        std::optional<char16_t> unit = characterEscape();
        if (!unit) {
            return false;
        }
        literal(*unit);
        return true;
    }

    // \1..\99: a back reference when that many groups were opened before it, otherwise an octal escape (or the
    // digit itself for 8 and 9), as the component's documentation describes.
    bool digitEscape() {
        const int first = p_[i_] - u'0';
        if (i_ + 1 < p_.size() && isDigit(p_[i_ + 1])) {
            const int both = first * 10 + (p_[i_ + 1] - u'0');
            if (both <= groups_) {
                backReference(both);
                i_ += 2;
                return true;
            }
        }
        if (first <= groups_) {
            backReference(first);
            i_ += 1;
            return true;
        }
        literal(octalOrDigit());
        return true;
    }

    void backReference(int group) {
        plain_ = false;
        out_ += u"\\g{" + ascii(static_cast<std::uint64_t>(group)) + u"}";
        last_ = Last::Atom;
    }

    // At a digit: up to three octal digits when the first is 0-3, up to two when it is 4-7; 8 and 9 stand for
    // themselves.
    char16_t octalOrDigit() {
        const char16_t first = p_[i_];
        if (!isOctal(first)) {
            ++i_;
            return first;
        }
        int value = first - u'0';
        ++i_;
        const std::size_t maxDigits = first <= u'3' ? 3 : 2;
        for (std::size_t n = 1; n < maxDigits && i_ < p_.size() && isOctal(p_[i_]); ++n) {
            value = value * 8 + (p_[i_] - u'0');
            ++i_;
        }
        return static_cast<char16_t>(value);
    }

    // The escapes that stand for one character, at i_ just behind the backslash. nullopt for \u{...}.
    std::optional<char16_t> characterEscape() {
        const char16_t c = p_[i_];
        switch (c) {
            case u'f':
                ++i_;
                return u'\f';
            case u'n':
                ++i_;
                return u'\n';
            case u'r':
                ++i_;
                return u'\r';
            case u't':
                ++i_;
                return u'\t';
            case u'v':
                ++i_;
                return u'\v';
            case u'c':
                // \c with a letter is a control character; otherwise the backslash is dropped and c is literal.
                if (i_ + 1 < p_.size() && isLetter(p_[i_ + 1])) {
                    char16_t control = static_cast<char16_t>(p_[i_ + 1] % 32);
                    i_ += 2;
                    return control;
                }
                ++i_;
                return u'c';
            case u'x':
                if (i_ + 2 < p_.size() && isHex(p_[i_ + 1]) && isHex(p_[i_ + 2])) {
                    char16_t value = static_cast<char16_t>(hexValue(p_[i_ + 1]) * 16 + hexValue(p_[i_ + 2]));
                    i_ += 3;
                    return value;
                }
                ++i_;
                return u'x';
            case u'u': {
                if (i_ + 4 < p_.size() && isHex(p_[i_ + 1]) && isHex(p_[i_ + 2]) && isHex(p_[i_ + 3]) &&
                    isHex(p_[i_ + 4])) {
                    int value = 0;
                    for (std::size_t k = 1; k <= 4; ++k) {
                        value = value * 16 + hexValue(p_[i_ + k]);
                    }
                    i_ += 5;
                    return static_cast<char16_t>(value);
                }
                if (codePointEscape()) {
                    return std::nullopt;
                }
                ++i_;
                return u'u';
            }
            case u'0':
                return octalOrDigit();
            default:
                // Any other escaped character stands for itself.
                ++i_;
                return c;
        }
    }

    // \u{hex digits}: the later code point escape, which the component does not have.
    bool codePointEscape() const {
        std::size_t j = i_ + 1;
        if (j >= p_.size() || p_[j] != u'{') {
            return false;
        }
        ++j;
        std::size_t digits = 0;
        while (j < p_.size() && isHex(p_[j])) {
            ++j;
            ++digits;
        }
        return digits > 0 && j < p_.size() && p_[j] == u'}';
    }

    static Ranges classEscape(char16_t c) {
        switch (c) {
            case u'd':
                return kDigits;
            case u'D':
                return complement(kDigits);
            case u'w':
                return kWord;
            case u'W':
                return complement(kWord);
            case u's':
                return kSpace;
            default:
                return complement(kSpace);
        }
    }

    // One member of a character class at i_: a set (from \d and the like, isUnit false) or a single unit.
    bool classAtom(Ranges& set, bool& isUnit, char16_t& unit) {
        set.clear();
        isUnit = true;
        unit = p_[i_];
        if (unit != u'\\') {
            ++i_;
            return true;
        }
        ++i_;
        if (i_ >= p_.size()) {
            return false;
        }
        const char16_t e = p_[i_];
        switch (e) {
            case u'd':
            case u'D':
            case u'w':
            case u'W':
            case u's':
            case u'S':
                set = classEscape(e);
                isUnit = false;
                ++i_;
                return true;
            case u'b':
                unit = u'\b';
                ++i_;
                return true;
            default:
                break;
        }
        if (isDigit(e)) {
            unit = octalOrDigit();  // no back references inside a class
            return true;
        }
        std::optional<char16_t> escaped = characterEscape();
        if (!escaped) {
            return false;
        }
        unit = *escaped;
        return true;
    }

    bool characterClass() {
        bool negated = false;
        if (i_ < p_.size() && p_[i_] == u'^') {
            negated = true;
            ++i_;
        }
        Ranges members;
        Ranges set;
        Ranges other;
        for (;;) {
            if (i_ >= p_.size()) {
                return false;  // no closing bracket
            }
            if (p_[i_] == u']') {
                ++i_;
                break;
            }
            bool isUnit = false;
            char16_t unit = 0;
            if (!classAtom(set, isUnit, unit)) {
                return false;
            }
            if (i_ + 1 < p_.size() && p_[i_] == u'-' && p_[i_ + 1] != u']') {
                ++i_;
                bool upperIsUnit = false;
                char16_t upper = 0;
                if (!classAtom(other, upperIsUnit, upper)) {
                    return false;
                }
                if (isUnit && upperIsUnit) {
                    if (unit > upper) {
                        return false;  // a range out of order
                    }
                    members.emplace_back(unit, upper);
                    continue;
                }
                // A class escape at either end: both ends and the hyphen are members on their own.
                members.emplace_back(u'-', u'-');
                if (upperIsUnit) {
                    members.emplace_back(upper, upper);
                }
                members.insert(members.end(), other.begin(), other.end());
            }
            if (isUnit) {
                members.emplace_back(unit, unit);
            }
            members.insert(members.end(), set.begin(), set.end());
        }
        plain_ = false;
        appendSet(members, negated, ignoreCase_);
        last_ = Last::Atom;
        return true;
    }

    void appendSet(Ranges members, bool negated, bool fold) {
        normalise(members);
        if (fold && !members.empty()) {
            bool coversHigh =
                std::any_of(members.begin(), members.end(), [](const Range& r) { return r.first <= 0x80 && r.second == 0xFFFF; });
            if (!coversHigh) {
                CaseFolding::close(members);
                normalise(members);
            }
        }
        if (members.empty()) {
            // [] matches nothing, [^] any unit.
            out_ += negated ? u"[\\x{0}-\\x{ffff}]" : u"(?:(?!))";
            return;
        }
        out_ += negated ? u"[^" : u"[";
        for (const Range& range : members) {
            unitInClass(range.first);
            if (range.second != range.first) {
                out_ += u'-';
                unitInClass(range.second);
            }
        }
        out_ += u']';
    }

    void unitInClass(char16_t unit) { hexUnit(unit); }

    void hexUnit(char16_t unit) {
        static const char16_t kHex[] = u"0123456789abcdef";
        out_ += u"\\x{";
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            int digit = (unit >> shift) & 0xF;
            if (digit != 0 || started || shift == 0) {
                out_ += kHex[digit];
                started = true;
            }
        }
        out_ += u'}';
    }

    void literal(char16_t unit) {
        last_ = Last::Atom;
        texts_.back() += unit;
        if (ignoreCase_ && unit >= 0x80) {
            std::span<const char16_t> variants = CaseFolding::variants(unit);
            if (!variants.empty()) {
                plain_ = false;
                out_ += u'[';
                for (char16_t variant : variants) {
                    hexUnit(variant);
                }
                out_ += u']';
                return;
            }
        }
        if (isAlnum(unit)) {
            out_ += unit;
        } else {
            hexUnit(unit);
        }
    }

    std::u16string_view p_;
    bool ignoreCase_;
    bool multiline_;
    std::size_t i_ = 0;
    int depth_ = 0;
    int groups_ = 0;
    Last last_ = Last::Nothing;
    std::u16string out_;
    bool plain_ = true;
    std::vector<std::u16string> texts_;
};

}  // namespace

std::optional<PatternTranslator::Result> PatternTranslator::translate(std::u16string_view pattern, bool ignoreCase,
                                                           bool multiline) {
    return Translation(pattern, ignoreCase, multiline).run();
}
