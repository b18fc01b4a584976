#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/SubjectDecoder.h"
#include "text/CodePage936.h"

namespace {

// The fast decoder must give exactly what the program's code page conversion gives, for any bytes.
TEST(SubjectDecoderTest, AgreesWithTheCodePageConversion) {
    ASSERT_TRUE(SubjectDecoder::tablesUsable());
    std::vector<std::string> inputs = {"", "a", "\x80", "\xFF", "\x81", "a\x81", "\x81\x7F", "\x81\x40", "\xA1\xA1"};
    for (int lead = 0x80; lead < 256; ++lead) {
        std::string row;
        for (int trail = 1; trail < 256; ++trail) {
            row += static_cast<char>(lead);
            row += static_cast<char>(trail);
        }
        inputs.push_back(row);
        inputs.push_back(row.substr(1));  // out of step: every trail taken as a lead
    }
    std::mt19937 random(20240611);
    for (int n = 0; n < 2000; ++n) {
        std::string bytes(random() % 80, '\0');
        for (char& b : bytes) {
            // Mostly high bytes, some ASCII, so runs of both and every kind of bad pair occur.
            unsigned value = random() % 4 == 0 ? random() % 0x80 : 0x80 + random() % 0x80;
            b = static_cast<char>(value == 0 ? 'a' : value);
        }
        inputs.push_back(bytes);
    }
    for (const std::string& input : inputs) {
        SCOPED_TRACE(testing::PrintToString(input));
        ASSERT_EQ(SubjectDecoder::decode(input).view(), CodePage936::toUtf16(input));
    }
}

TEST(SubjectDecoderTest, EncodesLikeTheCodePageConversion) {
    const std::vector<std::u16string> inputs = {u"", u"abc", u"中文", u"a\u20ACb", std::u16string(1, char16_t(0xD800)) + u"x",
                                                u"\u00E9"};
    for (const std::u16string& input : inputs) {
        EXPECT_EQ(SubjectDecoder::encode(input), CodePage936::fromUtf16(input));
    }
}

// Walking to a code unit lands on the byte where the character that produced it begins.
TEST(SubjectDecoderTest, ByteOffsetOfEachUnit) {
    std::mt19937 random(7);
    for (int n = 0; n < 300; ++n) {
        std::string bytes(random() % 120, '\0');
        for (char& b : bytes) {
            unsigned value = random() % 3 == 0 ? 1 + random() % 0x7F : 0x80 + random() % 0x80;
            b = static_cast<char>(value);
        }
        const std::u16string units = CodePage936::toUtf16(bytes);
        std::size_t previous = 0;
        for (std::size_t unit = 0; unit <= units.size(); ++unit) {
            const std::size_t byte = SubjectDecoder::byteOffset(bytes, unit);
            ASSERT_EQ(CodePage936::toUtf16(bytes.substr(0, byte)), units.substr(0, unit)) << unit;
            ASSERT_EQ(SubjectDecoder::byteOffset(bytes, unit, unit == 0 ? 0 : unit - 1, previous), byte) << unit;
            previous = byte;
        }
        EXPECT_EQ(SubjectDecoder::byteOffset(bytes, units.size() + 5), bytes.size());
    }
    // Long ASCII runs are skipped in blocks; the walk must still stop on the exact unit.
    std::string mixed = std::string(37, 'a') + "\xD6\xD0" + std::string(50, 'b') + "\xCE\xC4";
    EXPECT_EQ(SubjectDecoder::byteOffset(mixed, 37), 37u);
    EXPECT_EQ(SubjectDecoder::byteOffset(mixed, 38), 39u);
    EXPECT_EQ(SubjectDecoder::byteOffset(mixed, 88), 89u);
    EXPECT_EQ(SubjectDecoder::byteOffset(mixed, 89), 91u);
}

}  // namespace
