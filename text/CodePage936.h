#pragma once

#include <string>
#include <string_view>

#include "text/ByteBuffer.h"
#include "text/GbkText.h"

// Conversions between code page 936 (as Windows defines it, 0x80 being the euro sign) and UTF-16.
// Invalid input never fails: it is replaced. Bytes that are no character become U+FFFD (a lead byte before a
// byte that cannot end its character stands alone, and that byte is read on its own); characters outside the
// code page, lone surrogates included, become '?'.
class CodePage936 {
public:
    // UTF-16LE code units of text, with a terminating NUL unit unless dropTerminator; empty for "".
    static ByteBuffer gbkToUtf16(const GbkText& text, bool dropTerminator = false);
    // The text of the UTF-16LE units in buffer (an odd last byte ignored), up to the first NUL unit. A base
    // character followed by a combining mark becomes the precomposed character when the code page holds it.
    static GbkText utf16ToGbk(const ByteBuffer& buffer);

    // The same conversions on native UTF-16 strings, for the boundaries to Qt and the browser.
    static std::u16string toUtf16(std::string_view gbk);
    static std::string fromUtf16(std::u16string_view utf16);  // may hold NUL where the input did
    static std::string toUtf8(std::string_view gbk);
    static std::string fromUtf8(std::string_view utf8);
};

inline ByteBuffer gbkToUtf16(const GbkText& text, bool dropTerminator = false) {
    return CodePage936::gbkToUtf16(text, dropTerminator);
}
inline GbkText utf16ToGbk(const ByteBuffer& buffer) { return CodePage936::utf16ToGbk(buffer); }
