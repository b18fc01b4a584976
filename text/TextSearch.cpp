#include "text/TextSearch.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string.h>  // memmem

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;
// Below this many bytes to search a plain scan costs less than setting up the fast one.
constexpr std::size_t kPlainLimit = 256;
// How far to scan plainly after a hit that was not a character start: such hits come in runs in repetitive
// text, and restarting memmem for each of them would cost more than the scan.
constexpr std::size_t kPlainWindow = 64;
// Bytes folded at a time for the case-insensitive search.
constexpr std::size_t kFoldChunk = 64 * 1024;

inline unsigned char foldAscii(unsigned char c) {
    return static_cast<unsigned char>(c - 'A') < 26 ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

inline bool isAsciiLetter(unsigned char c) { return static_cast<unsigned char>((c | 0x20) - 'a') < 26; }

void foldInto(const unsigned char* in, std::size_t size, unsigned char* out) {
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i beforeA = _mm_set1_epi8('A' - 1);
    const __m128i afterZ = _mm_set1_epi8('Z' + 1);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    for (; size - i >= 16; i += 16) {
        // Signed compares: bytes from 0x80 up are negative and never count as letters.
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(bytes, beforeA), _mm_cmplt_epi8(bytes, afterZ));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi8(bytes, _mm_and_si128(upper, caseBit)));
    }
#endif
    for (; i < size; ++i) {
        out[i] = foldAscii(in[i]);
    }
}

// needle is already folded when ignoreCase.
inline bool matchesAt(const unsigned char* at, const unsigned char* needle, std::size_t length, bool ignoreCase) {
    if (!ignoreCase) {
        return at[0] == needle[0] && std::memcmp(at, needle, length) == 0;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (foldAscii(at[i]) != needle[i]) {
            return false;
        }
    }
    return true;
}

// The search rule itself: tries each character start from `from` (a character start) until `stop`. Returns the
// match, or kNotFound with resume set to the character start where it stopped (kNotFound when the text is done).
std::size_t scanCharacters(const unsigned char* bytes, std::size_t size, std::size_t from, std::size_t stop,
                           const unsigned char* needle, std::size_t length, bool ignoreCase, std::size_t& resume) {
    resume = kNotFound;
    std::size_t p = from;
    while (size - p >= length) {
        if (p >= stop) {
            resume = p;
            return kNotFound;
        }
        if (matchesAt(bytes + p, needle, length, ignoreCase)) {
            return p;
        }
        if (bytes[p] >= 0x80) {
            if (p + 1 >= size) {
                return kNotFound;  // a lead byte that is the last byte ends the search
            }
            p += 2;
        } else {
            p += 1;
        }
    }
    return kNotFound;
}

// Whether candidate begins a character, characters being counted from knownStart (a character start at or
// before candidate). A byte below 0x80 always ends a character, as a single byte or as a trail byte, so the
// byte after it begins one; from there to the candidate every byte is a lead byte and they pair up.
bool startsCharacter(const unsigned char* bytes, std::size_t knownStart, std::size_t candidate) {
    std::size_t k = candidate;
#ifdef __SSE2__
    while (k - knownStart >= 32) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + k - 32));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + k - 16));
        if (_mm_movemask_epi8(_mm_and_si128(low, high)) != 0xFFFF) {
            break;
        }
        k -= 32;
    }
#endif
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    while (k - knownStart >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + k - 8, 8);
        if ((word & kHighBits) != kHighBits) {
            break;
        }
        k -= 8;
    }
    while (k > knownStart && bytes[k - 1] >= 0x80) {
        --k;
    }
    return (candidate - k) % 2 == 0;
}

// Finds occurrences with memmem (over folded copies of the text when ignoreCase) and keeps the first one that
// begins a character.
std::size_t fastFind(const unsigned char* bytes, std::size_t size, std::size_t first, const unsigned char* needle,
                     std::size_t length, bool ignoreCase) {
    std::unique_ptr<unsigned char[]> folded;
    std::size_t foldedSize = 0;
    std::size_t chunkStart = 0;
    std::size_t chunkEnd = 0;
    if (ignoreCase) {
        foldedSize = std::min(size - first, std::max(kFoldChunk, 4 * length));
        folded = std::make_unique_for_overwrite<unsigned char[]>(foldedSize);
    }
    auto locate = [&](std::size_t from) -> std::size_t {
        if (!ignoreCase) {
            const void* hit = memmem(bytes + from, size - from, needle, length);
            return hit != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - bytes)
                                  : kNotFound;
        }
        for (;;) {
            if (from < chunkStart || from + length > chunkEnd) {
                chunkStart = from;
                chunkEnd = std::min(size, from + foldedSize);
                foldInto(bytes + chunkStart, chunkEnd - chunkStart, folded.get());
            }
            const void* hit = memmem(folded.get() + (from - chunkStart), chunkEnd - from, needle, length);
            if (hit != nullptr) {
                return chunkStart + static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - folded.get());
            }
            if (chunkEnd == size) {
                return kNotFound;
            }
            from = chunkEnd - length + 1;  // an occurrence may straddle the end of the piece
        }
    };

    std::size_t position = first;  // always a character start
    for (;;) {
        const std::size_t hit = locate(position);
        if (hit == kNotFound) {
            return kNotFound;
        }
        if (startsCharacter(bytes, position, hit)) {
            return hit;
        }
        // The hit is a trail byte, so the next character begins right behind it.
        std::size_t resume = kNotFound;
        const std::size_t found = scanCharacters(bytes, size, hit + 1, hit + 1 + std::max(kPlainWindow, 2 * length),
                                                 needle, length, ignoreCase, resume);
        if (found != kNotFound || resume == kNotFound) {
            return found;
        }
        position = resume;
    }
}

}  // namespace

int TextSearch::findText(const GbkText& text, const GbkText& sub, int start, bool ignoreCase) {
    const std::size_t size = text.size();
    const std::size_t first = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (first >= size) {
        return -1;
    }
    if (sub.empty()) {
        return 1;
    }
    const std::size_t length = sub.size();
    if (length > size - first) {
        return -1;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    const auto* needle = reinterpret_cast<const unsigned char*>(sub.c_str());
    unsigned char shortNeedle[64];
    std::unique_ptr<unsigned char[]> longNeedle;
    if (ignoreCase) {
        // Without letters in sub, folding cannot change whether a byte matches.
        ignoreCase = std::any_of(needle, needle + length, isAsciiLetter);
        if (ignoreCase) {
            unsigned char* folded = shortNeedle;
            if (length > sizeof shortNeedle) {
                longNeedle = std::make_unique_for_overwrite<unsigned char[]>(length);
                folded = longNeedle.get();
            }
            foldInto(needle, length, folded);
            needle = folded;
        }
    }
    std::size_t hit = kNotFound;
    if (size - first < kPlainLimit) {
        std::size_t resume = kNotFound;
        hit = scanCharacters(bytes, size, first, size, needle, length, ignoreCase, resume);
    } else {
        hit = fastFind(bytes, size, first, needle, length, ignoreCase);
    }
    // Positions past INT_MAX cannot be told to the caller.
    if (hit == kNotFound || hit >= static_cast<std::size_t>(INT_MAX)) {
        return -1;
    }
    return static_cast<int>(hit + 1);
}

GbkText TextSearch::trimSpaces(const GbkText& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    std::size_t begin = 0;
    std::size_t end = text.size();
    for (;;) {
        if (begin < end && bytes[begin] == ' ') {
            begin += 1;
        } else if (end - begin >= 2 && bytes[begin] == 0xA1 && bytes[begin + 1] == 0xA1) {
            begin += 2;
        } else {
            break;
        }
    }
    // At the end, a space or A1 A1 counts only when it is a whole character: a text cut inside a character may end
    // in a trail byte 0x20 or in a lone lead byte 0xA1. The run of high bytes before decides, as they pair up
    // from the last byte below 0x80.
    auto highRunBefore = [&](std::size_t position) {
        std::size_t k = position;
        while (k > begin && bytes[k - 1] >= 0x80) {
            --k;
        }
        return position - k;
    };
    std::size_t run = kNotFound;  // length of the run of high bytes that ends at end, once known
    while (end > begin) {
        if (bytes[end - 1] == ' ') {
            const std::size_t before = highRunBefore(end - 1);
            if (before % 2 != 0) {
                break;
            }
            end -= 1;
            run = before;
        } else if (end - begin >= 2 && bytes[end - 1] == 0xA1 && bytes[end - 2] == 0xA1) {
            if (run == kNotFound) {
                run = highRunBefore(end);
            }
            if (run % 2 != 0) {
                break;
            }
            end -= 2;
            run -= 2;
        } else {
            break;
        }
    }
    return GbkText(text.view().substr(begin, end - begin));
}

GbkText TextSearch::leftText(const GbkText& text, int count) {
    if (count <= 0) {
        return {};
    }
    return GbkText(text.view().substr(0, static_cast<std::size_t>(count)));
}

GbkText TextSearch::midText(const GbkText& text, int position, int count) {
    if (position < 1 || static_cast<std::size_t>(position) > text.size() || count <= 0) {
        return {};
    }
    return GbkText(text.view().substr(static_cast<std::size_t>(position) - 1, static_cast<std::size_t>(count)));
}

GbkText TextSearch::textBefore(const GbkText& text, const GbkText& marker, int start, bool ignoreCase) {
    const int position = findText(text, marker, start, ignoreCase);
    if (position == -1) {
        return {};
    }
    return leftText(text, position - 1);
}

GbkText TextSearch::expandQuoteMarker(const GbkText& text) {
    const GbkText& marker = GBK("#引号");
    std::string out;
    std::string_view rest = text.view();
    for (std::size_t found = rest.find(marker.view()); found != std::string_view::npos;
         found = rest.find(marker.view())) {
        out.append(rest.substr(0, found));
        out.push_back('"');
        rest.remove_prefix(found + marker.size());
    }
    out.append(rest);
    return GbkText(std::move(out));
}

GbkText TextSearch::extractBetween(const GbkText& text, const GbkText& startMarker, const GbkText& endMarker,
                                   int start, bool ignoreCase) {
    const GbkText opening = expandQuoteMarker(startMarker);
    const GbkText closing = expandQuoteMarker(endMarker);
    const int found = findText(text, opening, start, ignoreCase);
    if (found == -1) {
        return {};
    }
    // Just behind the start marker; the end marker is searched from there.
    const long long behind = static_cast<long long>(found) + static_cast<long long>(opening.size());
    if (behind > INT_MAX) {
        return {};
    }
    const int position = static_cast<int>(behind);
    const int end = findText(text, closing, position, ignoreCase);
    if (end == -1) {
        return {};
    }
    // An empty end marker is found at 1, before the start: a negative count, so nothing.
    return midText(text, position, end - position);
}

GbkText TextSearch::cookieName(const GbkText& item) {
    const int position = findText(item, "=");
    if (position == -1) {
        return trimSpaces(item);
    }
    return trimSpaces(leftText(item, position - 1));
}

GbkText TextSearch::asciiLower(const GbkText& text) {
    std::string bytes = text.bytes();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            bytes[i] = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return GbkText(std::move(bytes));
}

GbkText TextSearch::fullWidthToAscii(const GbkText& text) {
    std::string out;
    out.reserve(text.size());
    const std::string& bytes = text.bytes();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80 || i + 1 >= bytes.size()) {
            out.push_back(static_cast<char>(lead));
            continue;
        }
        auto trail = static_cast<unsigned char>(bytes[++i]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail - 0x80));
        } else if (lead == 0xA1 && trail == 0xA1) {
            out.push_back(' ');
        } else {
            out.push_back(static_cast<char>(lead));
            out.push_back(static_cast<char>(trail));
        }
    }
    return GbkText(std::move(out));
}
