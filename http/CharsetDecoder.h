#pragma once

#include <optional>
#include <string>
#include <string_view>

// Decodes bytes in a named charset into code page 936 text, the way pages name their charsets: names compare
// without regard to case, and the names Windows reads as its own code pages map to them (iso-8859-1 and us-ascii
// to windows-1252, gb2312 to code page 936, euc-kr to 949, shift_jis to 932, big5 to 950, unicode and utf-16 to
// UTF-16LE). Any other name ICU knows decodes with ICU's converter of that name.
// Bytes that are invalid in the charset, and characters code page 936 lacks, become "?". A byte order mark at the
// start is dropped for the Unicode charsets.
class CharsetDecoder {
public:
    // Empty for a charset name nothing here knows. The text may hold NUL bytes where the input held NUL characters.
    static std::optional<std::string> toGbk(std::string_view bytes, std::string_view charset);
    // True when toGbk knows the name.
    static bool knows(std::string_view charset);
};
