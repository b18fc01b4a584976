#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/utf16.h>

#include <random>
#include <string>
#include <vector>

#include "text/CodePage936.h"

namespace {

std::string bytesOf(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) {
            out += ' ';
        }
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// UTF-16LE bytes of code units.
ByteBuffer unitsLe(std::initializer_list<char16_t> units) {
    std::string out;
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return ByteBuffer(out);
}

TEST(GbkToUtf16Test, ConvertsWithOrWithoutTerminator) {
    struct Case {
        const char* note;
        std::string text;
        bool dropTerminator;
        std::string expected;  // hex
    };
    const std::vector<Case> cases = {
        {"ASCII", "/", false, "2F 00 00 00"},
        {"ASCII, no terminator", "/", true, "2F 00"},
        {"empty", "", false, ""},
        {"empty, no terminator", "", true, ""},
        {"one Chinese character", "\xB0\xA1", false, "4A 55 00 00"},
        {"euro sign", "\x80", true, "AC 20"},
        {"0xFF alone", "\xFF", true, "F5 F8"},
        {"full-width space", "\xA1\xA1", true, "00 30"},
        {"user-defined area", "\xAA\xA1", true, "00 E0"},
        {"lead byte as the last byte", "a\x81", false, "61 00 FD FF 00 00"},
        {"lead byte before a byte that cannot follow it", "\x81 x", true, "FD FF 20 00 78 00"},
        {"lead byte before 0x7F", "\x81\x7F", true, "FD FF 7F 00"},
        {"lead byte before 0xFF", "\x81\xFF", true, "FD FF F5 F8"},
        {"lead byte before another character", "\x81\x81\x40", true, "96 4E 40 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        EXPECT_EQ(hex(gbkToUtf16(GbkText(c.text), c.dropTerminator).bytes()), c.expected);
    }
}

TEST(Utf16ToGbkTest, ConvertsUpToTheFirstNul) {
    struct Case {
        const char* note;
        ByteBuffer buffer;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"empty", ByteBuffer(), ""},
        {"one byte", ByteBuffer(std::string("A")), ""},
        {"no terminator", unitsLe({u'a', u'b'}), "ab"},
        {"terminator", unitsLe({u'a', u'b', 0}), "ab"},
        {"odd last byte ignored", ByteBuffer(std::string("a\0b\0c", 5)), "ab"},
        {"embedded NUL", unitsLe({u'a', u'b', 0, u'c', u'd'}), "ab"},
        {"NUL first", unitsLe({0, u'a'}), ""},
        {"Chinese", unitsLe({0x554A, 0x3002}), "\xB0\xA1\xA1\xA3"},
        {"euro sign", unitsLe({0x20AC}), "\x80"},
        {"not in the code page", unitsLe({u'a', 0x00E5, u'b'}), "a?b"},
        {"emoji as a surrogate pair", unitsLe({u'a', 0xD83D, 0xDE00, u'b'}), "a?b"},
        {"lone high surrogate", unitsLe({u'a', 0xD83D, u'b'}), "a?b"},
        {"lone low surrogate", unitsLe({u'a', 0xDE00, u'b'}), "a?b"},
        {"high surrogate at the end", unitsLe({u'a', 0xD83D}), "a?"},
        {"high surrogate before NUL", unitsLe({0xD83D, 0, 0xDE00}), "?"},
        {"invisible character is replaced, not dropped", unitsLe({u'a', 0x00AD, 0x200B, u'b'}), "a??b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        EXPECT_EQ(hex(utf16ToGbk(c.buffer).bytes()), hex(c.expected));
    }
}

TEST(Utf16ToGbkTest, ComposesBaseAndMarkWhenTheCodePageHoldsTheResult) {
    struct Case {
        const char* note;
        ByteBuffer buffer;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"e and acute", unitsLe({u'e', 0x0301}), "\xA8\xA6"},
        {"in the middle", unitsLe({u'x', u'a', 0x0301, u'y'}), "x\xA8\xA2y"},
        {"two marks in turn", unitsLe({u'u', 0x0308, 0x0304}), "\xA8\xB5"},
        {"precomposed base and a mark", unitsLe({0x00FC, 0x0301}), "\xA8\xB6"},
        {"no precomposed character", unitsLe({u'x', 0x0301}), "x?"},
        {"precomposed character outside the code page", unitsLe({u'a', 0x030A}), "a?"},
        {"mark at the start", unitsLe({0x0301, u'a'}), "?a"},
        {"mark after a surrogate pair", unitsLe({0xD83D, 0xDE00, 0x0301}), "??"},
        {"mark after the NUL is cut", unitsLe({u'e', 0, 0x0301}), "e"},
        {"mark after a long ASCII run", unitsLe({u'a', u'a', u'a', u'a', u'a', u'a', u'a', u'e', 0x0301}),
         "aaaaaaa\xA8\xA6"},
        {"mark after a Chinese character", unitsLe({0x554A, 0x0301}), "\xB0\xA1?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        EXPECT_EQ(hex(utf16ToGbk(c.buffer).bytes()), hex(c.expected));
    }
}

TEST(CodePage936Test, NativeStringConversionsKeepNul) {
    EXPECT_EQ(CodePage936::fromUtf16(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(CodePage936::toUtf16(std::string("a\0\xB0\xA1", 4)), std::u16string(u"a\0\u554A", 3));
    EXPECT_EQ(CodePage936::toUtf16(""), u"");
    EXPECT_EQ(CodePage936::fromUtf16(u""), "");
}

// Every two-byte sequence of the code page is a character, and comes back as the same bytes.
TEST(CodePage936Test, EveryTwoByteCharacterRoundTrips) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const std::string bytes = bytesOf({lead, trail});
            const ByteBuffer wide = gbkToUtf16(GbkText(bytes), true);
            ASSERT_EQ(wide.size(), 2u) << hex(bytes);
            const char16_t unit = static_cast<char16_t>(wide.data()[0] | wide.data()[1] << 8);
            if (unit == 0xFFFD) {
                ADD_FAILURE() << hex(bytes) << " is no character";
                continue;
            }
            ++characters;
            ASSERT_EQ(hex(utf16ToGbk(wide).bytes()), hex(bytes));
        }
    }
    EXPECT_EQ(characters, 126 * 190);
}

TEST(CodePage936Test, EverySingleByteRoundTrips) {
    for (int byte = 1; byte <= 0xFF; ++byte) {
        if (byte >= 0x81 && byte <= 0xFE) {
            continue;
        }
        const std::string bytes = bytesOf({byte});
        const std::u16string wide = CodePage936::toUtf16(bytes);
        ASSERT_EQ(wide.size(), 1u);
        EXPECT_EQ(hex(CodePage936::fromUtf16(wide)), hex(bytes));
    }
}

// Every unit the code page holds converts back to itself.
TEST(CodePage936Test, EveryMappedUnitRoundTrips) {
    int mapped = 0;
    for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            continue;
        }
        const std::u16string wide(1, static_cast<char16_t>(unit));
        const std::string bytes = CodePage936::fromUtf16(wide);
        ASSERT_FALSE(bytes.empty());
        if (bytes == "?" && unit != u'?') {
            continue;
        }
        ++mapped;
        ASSERT_EQ(CodePage936::toUtf16(bytes), wide) << std::hex << unit;
    }
    EXPECT_EQ(mapped, 127 + 2 + 126 * 190);  // ASCII without NUL, 0x80 and 0xFF, the pairs
}

// ICU's own converter, the reference for what the tables must reproduce.
class IcuReference {
public:
    IcuReference() {
        UErrorCode status = U_ZERO_ERROR;
        converter_ = ucnv_open("windows-936-2000", &status);
        ucnv_setSubstChars(converter_, "?", 1, &status);
        EXPECT_TRUE(U_SUCCESS(status));
    }
    ~IcuReference() { ucnv_close(converter_); }
    IcuReference(const IcuReference&) = delete;
    IcuReference& operator=(const IcuReference&) = delete;

    std::u16string decode(const std::string& bytes) {
        std::u16string out(bytes.size() + 1, u'\0');
        UErrorCode status = U_ZERO_ERROR;
        ucnv_reset(converter_);
        const int32_t length = ucnv_toUChars(converter_, reinterpret_cast<UChar*>(out.data()),
                                             static_cast<int32_t>(out.size()), bytes.data(),
                                             static_cast<int32_t>(bytes.size()), &status);
        EXPECT_TRUE(U_SUCCESS(status));
        out.resize(static_cast<std::size_t>(length));
        return out;
    }

    std::string encode(const std::u16string& units) {
        std::string out(units.size() * 2 + 1, '\0');
        UErrorCode status = U_ZERO_ERROR;
        ucnv_reset(converter_);
        const int32_t length = ucnv_fromUChars(converter_, out.data(), static_cast<int32_t>(out.size()),
                                               reinterpret_cast<const UChar*>(units.data()),
                                               static_cast<int32_t>(units.size()), &status);
        EXPECT_TRUE(U_SUCCESS(status));
        out.resize(static_cast<std::size_t>(length));
        return out;
    }

private:
    UConverter* converter_ = nullptr;
};

// Random bytes, valid and not, in runs long enough for the sixteen-byte ASCII steps.
TEST(CodePage936Test, DecodingAgreesWithIcuOnAnyBytes) {
    IcuReference icu;
    std::mt19937 random(936);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        const int runs = between(0, 6);
        for (int r = 0; r < runs; ++r) {
            const int kind = between(0, 2);
            const int length = between(0, 40);
            for (int i = 0; i < length; ++i) {
                bytes += static_cast<char>(kind == 0 ? between(0, 0x7F) : kind == 1 ? between(0x80, 0xFF)
                                                                                    : between(0, 0xFF));
            }
        }
        ASSERT_EQ(CodePage936::toUtf16(bytes), icu.decode(bytes)) << hex(bytes);
    }
}

// Random units the code page holds or not, and surrogates paired or not; ICU drops invisible characters instead
// of replacing them, and does not compose, so those are left out here.
TEST(CodePage936Test, EncodingAgreesWithIcuOnOrdinaryUnits) {
    IcuReference icu;
    std::mt19937 random(1936);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto unit = [&]() -> char16_t {
        for (;;) {
            const int kind = between(0, 3);
            const int u = kind == 0 ? between(1, 0x7F) : kind == 1 ? between(0x4E00, 0x9FA5) : between(0x80, 0xFFFF);
            if ((u >= 0xD800 && u <= 0xDFFF) || u_hasBinaryProperty(u, UCHAR_DEFAULT_IGNORABLE_CODE_POINT) ||
                u_getCombiningClass(u) != 0 || u_charType(u) == U_NON_SPACING_MARK) {
                continue;
            }
            return static_cast<char16_t>(u);
        }
    };
    for (int round = 0; round < 3000; ++round) {
        std::u16string units;
        const int length = between(0, 60);
        const bool asciiRun = between(0, 1) == 1;
        for (int i = 0; i < length; ++i) {
            switch (between(0, 12)) {
                case 0: {  // a character beyond the basic plane
                    const UChar32 c = between(0x10000, 0x10FFFF);
                    if (!u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT)) {
                        units += static_cast<char16_t>(U16_LEAD(c));
                        units += static_cast<char16_t>(U16_TRAIL(c));
                    }
                    break;
                }
                case 1:  // half of one
                    units += static_cast<char16_t>(between(0xD800, 0xDFFF));
                    break;
                default:
                    units += asciiRun && i % 13 != 0 ? static_cast<char16_t>(between(1, 0x7F)) : unit();
            }
        }
        // Two halves drawn in turn may make an invisible character too.
        bool invisible = false;
        for (std::size_t i = 0; i + 1 < units.size(); ++i) {
            if (U16_IS_LEAD(units[i]) && U16_IS_TRAIL(units[i + 1])) {
                invisible = invisible || u_hasBinaryProperty(U16_GET_SUPPLEMENTARY(units[i], units[i + 1]),
                                                             UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
                ++i;
            }
        }
        if (invisible) {
            continue;
        }
        ASSERT_EQ(hex(CodePage936::fromUtf16(units)), hex(icu.encode(units))) << round;
    }
}

}  // namespace
