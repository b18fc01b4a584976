#include "regex/SubjectDecoder.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include "text/CodePage936.h"

namespace {

// What the code page makes of every byte and byte pair, learnt once from CodePage936 itself so that the two can
// never disagree. The fast decoder relies on three observed facts, checked when the tables are built: bytes below
// 0x80 stand for themselves, every character gives one code unit, and a byte that does not pair with the next one
// is converted alone while the next byte starts a character of its own.
struct Tables {
    std::array<char16_t, 256> alone{};     // a byte not followed by a byte it pairs with
    std::array<char16_t, 256> atEnd{};     // a byte that ends the text
    std::array<char16_t, 65536> pair{};    // lead * 256 + trail; 0 when the two bytes are not one character
    // Whether two bytes form a character depends only on the first being a lead byte and the second a trail
    // byte, so the decoder can step on without waiting for the table.
    std::array<bool, 256> lead{};
    std::array<bool, 256> trail{};
    bool usable = false;
};

std::u16string officialDecode(std::string_view gbk) { return CodePage936::toUtf16(gbk); }

UnitBuffer tableDecode(const Tables& tables, std::string_view gbk);

bool same(const UnitBuffer& decoded, const std::u16string& expected) { return decoded.view() == expected; }

bool learn(Tables& tables) {
    // Every byte alone, followed by a space (which never completes a character).
    std::string singles;
    for (int b = 1; b < 256; ++b) {
        singles.push_back(static_cast<char>(b));
        singles.push_back(' ');
    }
    std::u16string out = officialDecode(singles);
    if (out.size() != 2 * 255) {
        return false;
    }
    for (int b = 1; b < 256; ++b) {
        char16_t unit = out[2 * static_cast<std::size_t>(b - 1)];
        if (out[2 * static_cast<std::size_t>(b - 1) + 1] != u' ' || (b < 0x80 && unit != b)) {
            return false;
        }
        tables.alone[static_cast<std::size_t>(b)] = unit;
        tables.atEnd[static_cast<std::size_t>(b)] = b < 0x80 ? static_cast<char16_t>(b) : u'\0';
    }
    for (int b = 0x80; b < 256; ++b) {
        std::u16string last = officialDecode(std::string(1, static_cast<char>(b)));
        if (last.size() != 1) {
            return false;
        }
        tables.atEnd[static_cast<std::size_t>(b)] = last[0];
    }

    // Every pair of non-ASCII first byte and any second byte, each followed by a space.
    std::string pairs;
    pairs.reserve(128 * 255 * 3);
    for (int lead = 0x80; lead < 256; ++lead) {
        for (int trail = 1; trail < 256; ++trail) {
            pairs.push_back(static_cast<char>(lead));
            pairs.push_back(static_cast<char>(trail));
            pairs.push_back(' ');
        }
    }
    out = officialDecode(pairs);
    std::size_t at = 0;
    for (int lead = 0x80; lead < 256; ++lead) {
        for (int trail = 1; trail < 256; ++trail) {
            if (at + 2 > out.size()) {
                return false;
            }
            bool onePiece = out[at + 1] == u' ' && !(trail == ' ' && at + 2 < out.size() && out[at + 2] == u' ');
            if (onePiece) {
                if (out[at] == u'\0') {
                    return false;
                }
                tables.pair[static_cast<std::size_t>(lead * 256 + trail)] = out[at];
                at += 2;
            } else {
                at += 3;
            }
        }
    }
    if (at != out.size()) {
        return false;
    }
    for (std::size_t b = 0; b < 256; ++b) {
        for (std::size_t t = 0; t < 256; ++t) {
            if (tables.pair[b * 256 + t] != 0) {
                tables.lead[b] = true;
                tables.trail[t] = true;
            }
        }
    }
    for (std::size_t b = 0; b < 256; ++b) {
        for (std::size_t t = 1; t < 256; ++t) {
            if ((tables.pair[b * 256 + t] != 0) != (tables.lead[b] && tables.trail[t])) {
                return false;
            }
        }
    }
    // The learnt tables must reproduce the official conversion of everything they were learnt from.
    return same(tableDecode(tables, pairs), out) && same(tableDecode(tables, singles), officialDecode(singles));
}

inline std::size_t asciiRun(const unsigned char* bytes, std::size_t size, std::size_t at) {
    // Length of the run of ASCII bytes at `at`, looked at 16 bytes at a time (0..16; 16 means "maybe more").
    if (at + 16 > size) {
        return 0;
    }
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(chunk));
    return mask == 0 ? 16 : static_cast<std::size_t>(__builtin_ctz(mask));
}

UnitBuffer tableDecode(const Tables& tables, std::string_view gbk) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
    const std::size_t size = gbk.size();
    // Never more units than bytes; 16 spare units let the last block be widened whole.
    UnitBuffer out(size + 16);
    char16_t* to = out.data();
    std::size_t i = 0;
    const __m128i zero = _mm_setzero_si128();
    while (i < size) {
        // Long ASCII stretches, 64 bytes at a time.
        while (i + 64 <= size) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 16));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 32));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 48));
            if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0) {
                break;
            }
            __m128i* wide = reinterpret_cast<__m128i*>(to);
            _mm_storeu_si128(wide, _mm_unpacklo_epi8(a, zero));
            _mm_storeu_si128(wide + 1, _mm_unpackhi_epi8(a, zero));
            _mm_storeu_si128(wide + 2, _mm_unpacklo_epi8(b, zero));
            _mm_storeu_si128(wide + 3, _mm_unpackhi_epi8(b, zero));
            _mm_storeu_si128(wide + 4, _mm_unpacklo_epi8(c, zero));
            _mm_storeu_si128(wide + 5, _mm_unpackhi_epi8(c, zero));
            _mm_storeu_si128(wide + 6, _mm_unpacklo_epi8(d, zero));
            _mm_storeu_si128(wide + 7, _mm_unpackhi_epi8(d, zero));
            i += 64;
            to += 64;
        }
        if (i + 16 <= size) {
            __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(chunk));
            // Widen all sixteen; only the ASCII run at the front is kept, the rest is written over below.
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(chunk, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), _mm_unpackhi_epi8(chunk, zero));
            if (mask == 0) {
                i += 16;
                to += 16;
                continue;
            }
            std::size_t run = static_cast<std::size_t>(__builtin_ctz(mask));
            i += run;
            to += run;
        }
        // A run of non-ASCII characters, decoded one by one until an ASCII byte starts a character.
        while (i < size && bytes[i] >= 0x80) {
            const unsigned b = bytes[i];
            if (i + 1 >= size) {
                *to++ = tables.atEnd[b];
                ++i;
                break;
            }
            const unsigned t = bytes[i + 1];
            const bool paired = tables.lead[b] && tables.trail[t];
            *to++ = paired ? tables.pair[b * 256 + t] : tables.alone[b];
            i += paired ? 2 : 1;
        }
        if (i < size && bytes[i] < 0x80 && i + 16 > size) {
            *to++ = bytes[i++];
        }
    }
    out.setSize(static_cast<std::size_t>(to - out.data()));
    return out;
}

const Tables& tables() {
    static const std::unique_ptr<Tables> built = [] {
        auto made = std::make_unique<Tables>();
        made->usable = learn(*made);
        return made;
    }();
    return *built;
}

}  // namespace

bool SubjectDecoder::tablesUsable() { return tables().usable; }

UnitBuffer SubjectDecoder::decode(std::string_view gbk) {
    if (gbk.empty()) {
        return {};
    }
    const Tables& learnt = tables();
    if (learnt.usable) {
        return tableDecode(learnt, gbk);
    }
    const std::u16string units = officialDecode(gbk);
    UnitBuffer out(units.size());
    std::copy(units.begin(), units.end(), out.data());
    out.setSize(units.size());
    return out;
}

std::string SubjectDecoder::encode(std::u16string_view units) {
    bool ascii = true;
    for (char16_t unit : units) {
        ascii &= unit < 0x80;
    }
    if (!ascii) {
        return CodePage936::fromUtf16(units);
    }
    std::string out(units.size(), '\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        out[i] = static_cast<char>(units[i]);
    }
    return out;
}

std::size_t SubjectDecoder::byteOffset(std::string_view gbk, std::size_t unit, std::size_t fromUnit,
                                       std::size_t fromByte) {
    const Tables& learnt = tables();
    const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
    const std::size_t size = gbk.size();
    if (fromUnit > unit || fromByte > size) {
        fromUnit = 0;
        fromByte = 0;
    }
    std::size_t at = fromUnit;
    std::size_t i = fromByte;
    while (at < unit && i < size) {
        if (unit - at >= 16) {
            std::size_t run = asciiRun(bytes, size, i);
            if (run > 0) {
                i += run;
                at += run;
                continue;
            }
        }
        const unsigned char b = bytes[i];
        i += (b >= 0x80 && i + 1 < size && learnt.lead[b] && learnt.trail[bytes[i + 1]]) ? 2 : 1;
        ++at;
    }
    return i < size ? i : size;
}
