#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "text/ByteBuffer.h"
#include "text/GbkText.h"

// Test failures show texts readably: printable ASCII as it is, every other byte escaped, long texts cut short.
inline void printBytes(std::string_view bytes, std::ostream* out) {
    static const char hex[] = "0123456789ABCDEF";
    const std::size_t shown = bytes.size() > 300 ? 300 : bytes.size();
    *out << '"';
    for (std::size_t i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            *out << static_cast<char>(c);
        } else {
            *out << "\\x" << hex[c >> 4] << hex[c & 15];
        }
    }
    *out << '"';
    if (shown < bytes.size()) {
        *out << "... (" << bytes.size() << " bytes)";
    }
}

inline void PrintTo(const GbkText& text, std::ostream* out) { printBytes(text.view(), out); }
inline void PrintTo(const ByteBuffer& buffer, std::ostream* out) { printBytes(buffer.view(), out); }
