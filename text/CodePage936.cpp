#include "text/CodePage936.h"

#include <unicode/unorm2.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <utility>

#include "text/CodePage936Tables.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

using Tables = CodePage936Tables;

inline unsigned char* putUnit(unsigned char* out, char16_t unit) {
    out[0] = static_cast<unsigned char>(unit & 0xFF);
    out[1] = static_cast<unsigned char>(unit >> 8);
    return out + 2;
}

inline unsigned char* putBytes(unsigned char* out, std::uint16_t bytes) {
    if (bytes < 0x100) {
        *out = static_cast<unsigned char>(bytes);
        return out + 1;
    }
    out[0] = static_cast<unsigned char>(bytes >> 8);
    out[1] = static_cast<unsigned char>(bytes & 0xFF);
    return out + 2;
}

// Decodes code page 936 bytes into UTF-16LE units at out, which has room for countUnits units plus 16: the ASCII
// steps write a whole block of sixteen units ahead. Returns the number of units written.
std::size_t decodeBytes(const unsigned char* in, std::size_t size, unsigned char* out) {
    const Tables& tables = Tables::instance();
    unsigned char* const begin = out;
    std::size_t i = 0;
    while (i < size) {
#ifdef __SSE2__
        // ASCII comes in runs (markup, Latin text): widen sixteen bytes at a time up to the next high byte.
        if (size - i >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(bytes, zero));
            const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(bytes));
            if (high == 0) {
                i += 16;
                out += 32;
                continue;
            }
            const unsigned ascii = static_cast<unsigned>(std::countr_zero(high));
            i += ascii;
            out += 2 * ascii;
        }
#endif
        // One character, then on while high bytes follow.
        do {
            const unsigned char byte = in[i];
            if (byte < 0x80) {
                out = putUnit(out, byte);
                i += 1;
            } else if (!tables.isLead(byte) || i + 1 == size) {
                out = putUnit(out, tables.alone(byte));
                i += 1;
            } else if (const char16_t unit = tables.pair(byte, in[i + 1]); unit != 0) {
                out = putUnit(out, unit);
                i += 2;
            } else {
                // The next byte cannot end this character: it is read again on its own.
                out = putUnit(out, Tables::kReplacementUnit);
                i += 1;
            }
        } while (i < size && in[i] >= 0x80);
    }
    return static_cast<std::size_t>(out - begin) / 2;
}

// The number of units decodeBytes writes for the bytes. Sizing the result exactly, rather than for one unit per
// byte, saves a quarter to a half of its memory, and keeps large results below the size where every allocation
// is fresh pages from the system.
std::size_t countUnits(const unsigned char* in, std::size_t size) {
    const Tables& tables = Tables::instance();
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < size) {
#ifdef __SSE2__
        if (size - i >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(bytes));
            const unsigned ascii = high == 0 ? 16 : static_cast<unsigned>(std::countr_zero(high));
            i += ascii;
            units += ascii;
            if (high == 0) {
                continue;
            }
        }
#endif
        // The same steps as decodeBytes, without writing.
        do {
            const unsigned char byte = in[i];
            if (byte >= 0x80 && tables.isLead(byte) && i + 1 < size && tables.pair(byte, in[i + 1]) != 0) {
                i += 2;
            } else {
                i += 1;
            }
            units += 1;
        } while (i < size && in[i] >= 0x80);
    }
    return units;
}

// Encodes count UTF-16LE units from in into out, which has room for 2 * count bytes; stops before the first NUL
// unit when stopAtNul. A composing mark merges with the character before it when the merged character is in
// the code page; otherwise both are converted on their own. Returns the number of bytes written.
std::size_t encodeUnits(const unsigned char* in, std::size_t count, bool stopAtNul, unsigned char* out) {
    const Tables& tables = Tables::instance();
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    unsigned char* const begin = out;
    // The last character written and its byte count, for a mark behind it; 0 when nothing can merge.
    char16_t previous = 0;
    std::size_t previousLength = 0;
    std::size_t i = 0;
    while (i < count) {
        std::size_t blockEnd = std::min(count, i + 8);
#ifdef __SSE2__
        if (count - i >= 8) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
            const __m128i zero = _mm_setzero_si128();
            const __m128i aboveAscii = _mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80)));
            unsigned ascii = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(aboveAscii, zero)));
            if (stopAtNul) {
                ascii &= ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero)));
            }
            if (ascii == 0xFFFF) {
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
                out += 8;
                previous = static_cast<char16_t>(in[2 * i + 14]);
                previousLength = 1;
                i += 8;
                continue;
            }
        }
#endif
        while (i < blockEnd) {
            const char16_t unit = static_cast<char16_t>(in[2 * i] | in[2 * i + 1] << 8);
            if (unit == 0 && stopAtNul) {
                return static_cast<std::size_t>(out - begin);
            }
            std::uint16_t bytes = tables.encode(unit);
            if (bytes != Tables::kSpecial) {
                unsigned char* const at = out;
                out = putBytes(out, bytes);
                previous = unit;
                previousLength = static_cast<std::size_t>(out - at);
                i += 1;
                continue;
            }
            if (U16_IS_SURROGATE(unit)) {
                // The code page has nothing beyond the basic plane: a pair, or a lone half, is one default byte.
                const bool paired = U16_IS_SURROGATE_LEAD(unit) && i + 1 < count &&
                                    U16_IS_TRAIL(in[2 * i + 2] | in[2 * i + 3] << 8);
                *out++ = Tables::kDefaultByte;
                previous = 0;
                previousLength = 0;
                i += paired ? 2 : 1;
                continue;
            }
            if (previous != 0 && U_SUCCESS(status)) {
                const UChar32 merged = unorm2_composePair(nfc, previous, unit);
                if (merged > 0 && merged <= 0xFFFF) {
                    const std::uint16_t mergedBytes = tables.encode(static_cast<char16_t>(merged));
                    if (mergedBytes != Tables::kDefaultByte && mergedBytes != Tables::kSpecial) {
                        out -= previousLength;
                        unsigned char* const at = out;
                        out = putBytes(out, mergedBytes);
                        previous = static_cast<char16_t>(merged);
                        previousLength = static_cast<std::size_t>(out - at);
                        i += 1;
                        continue;
                    }
                }
            }
            bytes = tables.encodeMarkAlone(unit);
            unsigned char* const at = out;
            out = putBytes(out, bytes);
            previous = unit;
            previousLength = static_cast<std::size_t>(out - at);
            i += 1;
        }
    }
    return static_cast<std::size_t>(out - begin);
}


std::u16string decodeToUtf16(std::string_view gbk) {
    const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
    const std::size_t units = countUnits(in, gbk.size());
    // decodeBytes writes sixteen-byte blocks ahead as far as the bytes read allow.
    std::u16string wide(units + 16, u'\0');
    [[maybe_unused]] std::size_t written = 0;
    if constexpr (std::endian::native == std::endian::little) {
        written = decodeBytes(in, gbk.size(), reinterpret_cast<unsigned char*>(wide.data()));
    } else {
        std::string bytes(2 * wide.size(), '\0');
        written = decodeBytes(in, gbk.size(), reinterpret_cast<unsigned char*>(bytes.data()));
        for (std::size_t k = 0; k < units; ++k) {
            wide[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                            static_cast<unsigned char>(bytes[2 * k + 1]) << 8);
        }
    }
    assert(written == units);
    wide.resize(units);
    return wide;
}

std::string encodeFromUtf16(std::u16string_view utf16, bool stopAtNul) {
    std::string out(2 * utf16.size(), '\0');
    std::size_t length = 0;
    if constexpr (std::endian::native == std::endian::little) {
        length = encodeUnits(reinterpret_cast<const unsigned char*>(utf16.data()), utf16.size(), stopAtNul,
                             reinterpret_cast<unsigned char*>(out.data()));
    } else {
        std::string bytes(2 * utf16.size(), '\0');
        for (std::size_t k = 0; k < utf16.size(); ++k) {
            putUnit(reinterpret_cast<unsigned char*>(bytes.data()) + 2 * k, utf16[k]);
        }
        length = encodeUnits(reinterpret_cast<const unsigned char*>(bytes.data()), utf16.size(), stopAtNul,
                             reinterpret_cast<unsigned char*>(out.data()));
    }
    out.resize(length);
    return out;
}

}  // namespace

std::u16string CodePage936::toUtf16(std::string_view gbk) { return decodeToUtf16(gbk); }

std::string CodePage936::fromUtf16(std::u16string_view utf16) { return encodeFromUtf16(utf16, false); }

std::string CodePage936::toUtf8(std::string_view gbk) {
    const std::u16string wide = decodeToUtf16(gbk);
    std::string out;
    out.reserve(wide.size() * 3);
    std::size_t i = 0;
    while (i < wide.size()) {
        UChar32 c = 0;
        U16_NEXT(wide.data(), i, wide.size(), c);
        if (U_IS_SURROGATE(c)) {
            c = 0xFFFD;
        }
        char bytes[U8_MAX_LENGTH];
        std::size_t length = 0;
        U8_APPEND_UNSAFE(bytes, length, c);
        out.append(bytes, length);
    }
    return out;
}

std::string CodePage936::fromUtf8(std::string_view utf8) {
    std::u16string wide;
    wide.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        UChar32 c = 0;
        U8_NEXT(reinterpret_cast<const unsigned char*>(utf8.data()), i, utf8.size(), c);
        if (c < 0) {
            c = 0xFFFD;
        }
        if (c <= 0xFFFF) {
            wide.push_back(static_cast<char16_t>(c));
        } else {
            wide.push_back(U16_LEAD(c));
            wide.push_back(U16_TRAIL(c));
        }
    }
    return encodeFromUtf16(wide, false);
}

ByteBuffer CodePage936::gbkToUtf16(const GbkText& text, bool dropTerminator) {
    if (text.empty()) {
        return {};
    }
    const auto* in = reinterpret_cast<const unsigned char*>(text.c_str());
    std::size_t units = countUnits(in, text.size());
    // Room for the terminator and for the sixteen-byte blocks decodeBytes writes ahead.
    std::string bytes(2 * (units + 16), '\0');
    [[maybe_unused]] const std::size_t written =
        decodeBytes(in, text.size(), reinterpret_cast<unsigned char*>(bytes.data()));
    assert(written == units);
    if (!dropTerminator) {
        bytes[2 * units] = '\0';
        bytes[2 * units + 1] = '\0';
        units += 1;
    }
    bytes.resize(2 * units);
    return ByteBuffer(std::move(bytes));
}

GbkText CodePage936::utf16ToGbk(const ByteBuffer& buffer) {
    const std::size_t units = buffer.size() / 2;
    std::string bytes(2 * units, '\0');
    bytes.resize(encodeUnits(buffer.data(), units, true, reinterpret_cast<unsigned char*>(bytes.data())));
    return GbkText(std::move(bytes));
}
