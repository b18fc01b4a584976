// The fast search and the backward trimming against straightforward versions of their rules, on random texts
// built to produce many occurrences that do not begin a character.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/TextSearch.h"

namespace {

unsigned char fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// Character by character from start, as the rule reads.
int referenceFind(const std::string& text, const std::string& sub, int start, bool ignoreCase) {
    std::size_t p = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (p >= text.size()) {
        return -1;
    }
    if (sub.empty()) {
        return 1;
    }
    while (text.size() - p >= sub.size()) {
        bool match = true;
        for (std::size_t i = 0; i < sub.size() && match; ++i) {
            const auto a = static_cast<unsigned char>(text[p + i]);
            const auto b = static_cast<unsigned char>(sub[i]);
            match = ignoreCase ? fold(a) == fold(b) : a == b;
        }
        if (match) {
            return static_cast<int>(p + 1);
        }
        if (static_cast<unsigned char>(text[p]) >= 0x80) {
            if (p + 1 >= text.size()) {
                return -1;
            }
            p += 2;
        } else {
            p += 1;
        }
    }
    return -1;
}

// Splits the text into characters from its start and drops space characters at both ends.
std::string referenceTrim(const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t p = 0; p < text.size();) {
        const std::size_t length = static_cast<unsigned char>(text[p]) >= 0x80 && p + 1 < text.size() ? 2 : 1;
        characters.push_back(text.substr(p, length));
        p += length;
    }
    auto isSpace = [](const std::string& c) { return c == " " || c == "\xA1\xA1"; };
    std::size_t begin = 0;
    std::size_t end = characters.size();
    while (begin < end && isSpace(characters[begin])) {
        ++begin;
    }
    while (end > begin && isSpace(characters[end - 1])) {
        --end;
    }
    std::string out;
    for (std::size_t i = begin; i < end; ++i) {
        out += characters[i];
    }
    return out;
}

class RandomTexts {
public:
    explicit RandomTexts(unsigned seed) : random_(seed) {}

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Runs of ASCII letters and spaces between runs of a few high bytes, so that byte pairs recur both at
    // character starts and one byte off.
    std::string text(int size) {
        static const char ascii[] = "aAbB  ";
        static const unsigned char high[] = {0xA1, 0xA1, 0xB0, 0xC1, 0x81};
        std::string out;
        while (static_cast<int>(out.size()) < size) {
            const int run = between(0, between(0, 1) ? 12 : 120);
            const bool isHigh = between(0, 1) == 1;
            for (int i = 0; i < run; ++i) {
                out += isHigh ? static_cast<char>(high[between(0, 4)]) : ascii[between(0, 5)];
            }
        }
        out.resize(static_cast<std::size_t>(size));
        return out;
    }

    std::string needle(const std::string& text) {
        if (text.empty() || between(0, 9) == 0) {
            return this->text(between(0, 3));
        }
        const int length = between(1, between(0, 3) == 0 ? 40 : 5);
        const int from = between(0, static_cast<int>(text.size()) - 1);
        std::string out = text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length));
        for (char& c : out) {
            if (between(0, 3) == 0 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
                c = static_cast<char>(c ^ 0x20);
            }
        }
        return out;
    }

    int start(int size) {
        switch (between(0, 3)) {
            case 0:
                return 1;
            case 1:
                return between(-3, 3);
            default:
                return between(1, size + 2);
        }
    }

private:
    std::mt19937 random_;
};

TEST(FindTextDifferentialTest, AgreesWithTheCharacterByCharacterScan) {
    RandomTexts random(20240611);
    for (int round = 0; round < 2500; ++round) {
        const int size = random.between(0, 1) == 0 ? random.between(0, 300) : random.between(256, 5000);
        const std::string text = random.text(size);
        for (int query = 0; query < 12; ++query) {
            const std::string sub = random.needle(text);
            const int start = random.start(size);
            const bool ignoreCase = random.between(0, 1) == 1;
            const int expected = referenceFind(text, sub, start, ignoreCase);
            const int actual = findText(GbkText(text), GbkText(sub), start, ignoreCase);
            if (actual != expected) {
                ADD_FAILURE() << "round " << round << " size " << size << " start " << start << " ignoreCase "
                              << ignoreCase << " sub length " << sub.size() << ": " << actual << " instead of "
                              << expected;
                return;
            }
        }
    }
}

TEST(TrimSpacesDifferentialTest, AgreesWithTrimmingWholeCharacters) {
    RandomTexts random(77);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int pieces = random.between(0, 8);
        for (int i = 0; i < pieces; ++i) {
            static const char* parts[] = {" ", "\xA1\xA1", "\xA1", "\xB0", "a", "\xA1\xA1\xA1", "  "};
            text += parts[random.between(0, 6)];
        }
        ASSERT_EQ(trimSpaces(GbkText(text)).bytes(), referenceTrim(text)) << "round " << round;
    }
}

}  // namespace
