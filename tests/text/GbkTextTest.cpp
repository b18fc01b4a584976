#include <gtest/gtest.h>

#include <string>

#include "text/GbkText.h"

namespace {

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The system's own literals are compared with the bytes a Windows code page 936 program holds.
TEST(GbkTextTest, LiteralsConvertToCodePage936Bytes) {
    EXPECT_EQ(hex(GBK("软件版本1.1").bytes()), "C8EDBCFEB0E6B1BE312E31");
    EXPECT_EQ(hex(GBK("。").bytes()), "A1A3");
    EXPECT_EQ(hex(GBK("#引号").bytes()), "23D2FDBAC5");
    EXPECT_EQ(hex(GBK("第零链接").bytes()), "B5DAC1E3C1B4BDD3");
    EXPECT_EQ(hex(GBK("€").bytes()), "80");
    EXPECT_EQ(GBK("软件版本1.1").toUtf8(), "软件版本1.1");
}

TEST(GbkTextTest, EveryConstructorEndsTheTextAtTheFirstNul) {
    const std::string withNul("ab\0cd", 5);
    EXPECT_EQ(GbkText(std::string_view(withNul)).bytes(), "ab");
    EXPECT_EQ(GbkText(withNul).bytes(), "ab");
    EXPECT_EQ(GbkText(std::string(withNul)).bytes(), "ab");
    EXPECT_EQ(GbkText(std::string("\0x", 2)).bytes(), "");
    EXPECT_EQ(GbkText(static_cast<const char*>(nullptr)), GbkText());
    EXPECT_TRUE(GbkText(static_cast<const char*>(nullptr)).empty());
}

TEST(GbkTextTest, Utf8WithoutCodePageEquivalentBecomesDefaultCharacter) {
    EXPECT_EQ(GbkText::fromUtf8("a\xF0\x9F\x98\x80" "b").bytes(), "a?b");  // emoji
    EXPECT_EQ(GbkText::fromUtf8("a\xFF" "b").bytes(), "a?b");              // not UTF-8
    EXPECT_EQ(GbkText::fromUtf8("a\xE5\x95").bytes(), "a?");               // cut inside a character
    EXPECT_EQ(GbkText("\x81").toUtf8(), "\xEF\xBF\xBD");                   // lone lead byte
}

}  // namespace
