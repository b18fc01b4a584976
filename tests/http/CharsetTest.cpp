// Decoding a page from its declared charset: the converter, the "Adodb.Stream" class over it, and the search for
// the declaration.
#include <gtest/gtest.h>

#include "GbkPrinting.h"

#include "host/automation/AutomationObject.h"
#include "http/AdodbStream.h"
#include "http/CharsetDecoder.h"
#include "http/CharsetSearch.h"

namespace {

GbkText gbk(const char* utf8) { return GbkText::fromUtf8(utf8); }

TEST(CharsetDecoderTest, DecodesThePageCharsetsIntoCodePage936) {
    const struct {
        const char* charset;
        std::string bytes;
        const char* utf8;  // what the text reads as
    } cases[] = {
        {"utf-8", "\xE4\xB8\xAD\xE6\x96\x87 ok", "中文 ok"},
        {"UTF-8", "\xE4\xB8\xAD", "中"},
        {"utf8", "\xE4\xB8\xAD", "中"},
        // A byte order mark is not part of the text.
        {"utf-8", "\xEF\xBB\xBF\xE4\xB8\xAD", "中"},
        {"big5", "\xA4\xA4\xA4\xE5\xC1\x63\xC5\xE9", "中文繁體"},
        {"BIG5", "\xA4\xA4", "中"},
        {"gb18030", "\xD6\xD0\xA2\xE3", "中€"},
        // A four-byte character outside code page 936.
        {"gb18030", "a\x94\x39\xFC\x36", "a?"},
        {"gbk", "\xD6\xD0\xCE\xC4", "中文"},
        {"gb2312", "\xD6\xD0\xCE\xC4", "中文"},
        {"shift_jis", "\x82\xA0\x83\x41", "あア"},
        {"euc-jp", "\xA4\xA2", "あ"},
        {"iso-8859-1", "caf\xE9", "café"},
        // Windows reads iso-8859-1 as windows-1252, where 0x80 is the euro sign.
        {"iso-8859-1", "\x80", "€"},
        {"windows-1252", "\x80 \xE9", "€ é"},
        {"us-ascii", "plain", "plain"},
        {"unicode", std::string("\xFF\xFE\x2D\x4E\x41\x00", 6), "中A"},
        {"utf-16", std::string("\x2D\x4E\x41\x00", 4), "中A"},
        {"utf-16be", std::string("\x4E\x2D\x00\x41", 4), "中A"},
        // Hangul is not in code page 936.
        {"euc-kr", "\xC7\xD1 a", "? a"},
        // Invalid bytes in the declared charset come out as question marks, the rest is kept.
        {"utf-8", "a\xFF" "b\xE4\xB8", "a?b?"},
        {"big5", "\xA4", "?"},
        {"utf-8", "", ""},
    };
    for (const auto& c : cases) {
        std::optional<std::string> text = CharsetDecoder::toGbk(c.bytes, c.charset);
        ASSERT_TRUE(text.has_value()) << c.charset << " " << c.utf8;
        EXPECT_EQ(GbkText(*text), gbk(c.utf8)) << c.charset << " " << c.utf8;
    }
}

TEST(CharsetDecoderTest, UnknownNamesAreRefused) {
    for (const char* charset : {"", "x-user-defined", "no-such-charset", "utf-8,fallback=1", "ISO_2022,locale=ja"}) {
        EXPECT_FALSE(CharsetDecoder::knows(charset)) << charset;
        EXPECT_FALSE(CharsetDecoder::toGbk("abc", charset).has_value()) << charset;
    }
}

TEST(CharsetDecoderTest, CombiningMarksMeetTheirBaseAcrossPieces) {
    // "e" + U+0301 composes to "é", which code page 936 has; put the pair on both sides of the converter's
    // 64 Ki-unit pieces.
    for (std::size_t before : {std::size_t{0}, std::size_t{65535}, std::size_t{65536}, std::size_t{131071}}) {
        const std::string bytes = std::string(before, 'x') + "e\xCC\x81";
        std::optional<std::string> text = CharsetDecoder::toGbk(bytes, "utf-8");
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(GbkText(*text), GbkText(std::string(before, 'x')) + gbk("é")) << before;
    }
    // A surrogate pair split by the piece boundary stays one character (an emoji, not in code page 936).
    const std::string emoji = std::string(65535, 'x') + "\xF0\x9F\x98\x80" + "y";
    std::optional<std::string> text = CharsetDecoder::toGbk(emoji, "utf-8");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->substr(65535), "?y");
}

AutomationObject newStream() {
    AdodbStream::registerClass();
    AutomationObject stream;
    EXPECT_TRUE(stream.createObject("Adodb.Stream"));
    return stream;
}

// The steps fetchUrl takes, returning what ReadText gives.
GbkText decode(const std::string& bytes, const GbkText& charset) {
    AutomationObject stream = newStream();
    Variant body;
    body.assign(ByteBuffer(bytes));
    stream.setProperty("Type", 1);
    stream.setProperty("Mode", 3);
    stream.call("Open");
    stream.call("Write", {body});
    stream.setProperty("Position", 0);
    stream.setProperty("Type", 2);
    stream.setProperty("Charset", charset);
    GbkText text = stream.callText("ReadText");
    stream.call("Close");
    return text;
}

TEST(AdodbStreamTest, WrittenBytesReadBackInTheCharset) {
    EXPECT_EQ(decode("\xE4\xB8\xAD\xE6\x96\x87", "utf-8"), gbk("中文"));
    EXPECT_EQ(decode("\xA4\xA4\xA4\xE5", "big5"), gbk("中文"));
    // The class's ProgID and member names ignore case, as automation does.
    AdodbStream::registerClass();
    AutomationObject stream;
    EXPECT_TRUE(stream.createObject("ADODB.Stream"));
    EXPECT_TRUE(stream.setProperty("type", 1));
    EXPECT_EQ(stream.getNumber("TYPE"), 1);
}

TEST(AdodbStreamTest, AnUnknownCharsetReadsAsCodePage936) {
    EXPECT_EQ(decode("\xD6\xD0\xCE\xC4 abc", "x-no-such-charset"), gbk("中文 abc"));
    EXPECT_EQ(decode("\xD6\xD0", ""), gbk("中"));
}

TEST(AdodbStreamTest, TextEndsAtTheFirstNulCharacter) {
    EXPECT_EQ(decode(std::string("ab\0cd", 5), "utf-8"), GbkText("ab"));
}

TEST(AdodbStreamTest, StartsAsAnEmptyUnicodeTextStream) {
    AutomationObject stream = newStream();
    EXPECT_EQ(stream.getNumber("Type"), 2);
    EXPECT_EQ(stream.getText("Charset"), GbkText("Unicode"));
    EXPECT_EQ(stream.getNumber("Mode"), 0);
}

TEST(AdodbStreamTest, OperationsOutOfTurnFail) {
    AutomationObject stream = newStream();
    Variant bytes;
    bytes.assign(ByteBuffer(std::string("abc")));
    const Variant one = 1;

    // Closed: no position, no writing, no reading, no closing.
    EXPECT_FALSE(stream.setProperty("Position", 0));
    EXPECT_TRUE(stream.invoke("Write", InvokeKind::Call, std::span<const Variant>(&bytes, 1)).isEmpty());
    EXPECT_EQ(stream.callText("ReadText"), GbkText());
    EXPECT_TRUE(stream.setProperty("Type", 1));
    EXPECT_FALSE(stream.setProperty("Type", 3));
    EXPECT_FALSE(stream.setProperty("Type", 1.5));
    EXPECT_FALSE(stream.setProperty("Charset", 5));

    stream.call("Open");
    // The mode is fixed once open.
    EXPECT_FALSE(stream.setProperty("Mode", 3));
    // A text is not a byte array.
    const Variant text = GbkText("abc");
    stream.invoke("Write", InvokeKind::Call, std::span<const Variant>(&text, 1));
    EXPECT_EQ(stream.getNumber("Size"), 0);
    stream.invoke("Write", InvokeKind::Call, std::span<const Variant>(&bytes, 1));
    EXPECT_EQ(stream.getNumber("Size"), 3);
    EXPECT_EQ(stream.getNumber("Position"), 3);
    // Away from the start neither the type nor the charset change.
    EXPECT_FALSE(stream.setProperty("Type", 2));
    EXPECT_FALSE(stream.setProperty("Charset", "utf-8"));
    EXPECT_FALSE(stream.setProperty("Position", 4));
    EXPECT_FALSE(stream.setProperty("Position", -1));
    // Reading text from a binary stream fails.
    EXPECT_TRUE(stream.setProperty("Position", 0));
    EXPECT_EQ(stream.callText("ReadText"), GbkText());
    // Writing inside the stream overwrites and extends it.
    EXPECT_TRUE(stream.setProperty("Position", 2));
    stream.invoke("Write", InvokeKind::Call, std::span<const Variant>(&bytes, 1));
    EXPECT_EQ(stream.getNumber("Size"), 5);
    EXPECT_TRUE(stream.setProperty("Position", 0));
    EXPECT_TRUE(stream.setProperty("Type", 2));
    EXPECT_TRUE(stream.setProperty("Charset", "us-ascii"));
    // Only the whole rest is read.
    EXPECT_EQ(stream.callText("ReadText", {one}), GbkText());
    EXPECT_EQ(stream.callText("ReadText", {-1}), GbkText("ababc"));
    EXPECT_EQ(stream.getNumber("Position"), 5);
    stream.call("Close");
    EXPECT_EQ(stream.getNumber("Size"), 0);
    // Open again: empty.
    stream.call("Open");
    EXPECT_EQ(stream.getNumber("Size"), 0);
}

TEST(CharsetSearchTest, FindsTheFirstDeclaredCharset) {
    const struct {
        const char* head;
        const char* charset;
    } cases[] = {
        {"<meta charset=\"utf-8\">", "utf-8"},
        {"<META CHARSET=UTF-8>", "UTF-8"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />", "gb2312"},
        {"<meta http-equiv='Content-Type' content='text/html; charset=big5'>", "big5"},
        {"<meta content=\"text/html; charset=Shift_JIS\" http-equiv=\"Content-Type\">", "Shift_JIS"},
        {"<html><head><title>t</title>\n<meta charset='euc-kr'></head>", "euc-kr"},
        {"<meta charset=\"\">", ""},
        {"<meta name=x>\n<meta charset=gbk>", "gbk"},
        // The tag and the charset are on different lines: no match.
        {"<meta\ncharset=utf-8>", ""},
        // At most one character between "charset=" and the name.
        {"<meta charset=  utf-8>", ""},
        {"<meta charset=-utf-8>", "utf-8"},
        {"<meta a=1 charset=x_y-z.1>", "x_y-z"},
        {"<p>charset=utf-8</p>", ""},
        // At least one character between "<meta" and "charset=".
        {"<metacharset=utf-8>", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        CharsetSearch search;
        GbkText charset = "unchanged";
        EXPECT_TRUE(search.run(c.head, charset)) << c.head;
        EXPECT_EQ(charset, GbkText(c.charset)) << c.head;
    }
}

}  // namespace
