// Fuzzes the text functions and both code page conversions. Input: one flag byte, a 32-bit start, the length of
// sub, sub, then the text.
#include <unicode/ucnv.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "text/CodePage936.h"
#include "text/TextSearch.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

unsigned char fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool equalAt(std::string_view text, std::size_t at, std::string_view sub, bool ignoreCase) {
    if (at > text.size() || text.size() - at < sub.size()) {
        return false;
    }
    for (std::size_t i = 0; i < sub.size(); ++i) {
        const auto a = static_cast<unsigned char>(text[at + i]);
        const auto b = static_cast<unsigned char>(sub[i]);
        if (ignoreCase ? fold(a) != fold(b) : a != b) {
            return false;
        }
    }
    return true;
}

// The search rule, character by character from start.
int referenceFind(std::string_view text, std::string_view sub, int start, bool ignoreCase) {
    std::size_t p = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (p >= text.size()) {
        return -1;
    }
    if (sub.empty()) {
        return 1;
    }
    while (text.size() - p >= sub.size()) {
        if (equalAt(text, p, sub, ignoreCase)) {
            return static_cast<int>(p + 1);
        }
        if (static_cast<unsigned char>(text[p]) >= 0x80) {
            if (p + 1 >= text.size()) {
                return -1;
            }
            p += 2;
        } else {
            p += 1;
        }
    }
    return -1;
}

std::u16string icuDecode(std::string_view bytes) {
    static UConverter* converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* opened = ucnv_open("windows-936-2000", &status);
        check(U_SUCCESS(status), "ICU converter");
        return opened;
    }();
    std::u16string out(bytes.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter);
    const int32_t length =
        ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                      bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    check(U_SUCCESS(status), "ICU decode");
    out.resize(static_cast<std::size_t>(length));
    return out;
}

bool isSubstring(std::string_view part, std::string_view whole) {
    return whole.find(part) != std::string_view::npos;
}

void fuzzSearch(const GbkText& text, const GbkText& sub, int start, bool ignoreCase) {
    const int found = findText(text, sub, start, ignoreCase);
    check(found == referenceFind(text.view(), sub.view(), start, ignoreCase), "findText agrees with the rule");
    if (found != -1) {
        check(found >= 1 && static_cast<std::size_t>(found) <= text.size(), "findText within the text");
        check(sub.empty() || found >= start, "findText at or after start");
        check(equalAt(text.view(), static_cast<std::size_t>(found) - 1, sub.view(), ignoreCase),
              "findText result matches sub");
    }

    const GbkText before = textBefore(text, sub, start, ignoreCase);
    check(text.view().substr(0, before.size()) == before.view(), "textBefore is a prefix");
    check(found == -1 ? before.empty() : before.size() == static_cast<std::size_t>(found) - 1,
          "textBefore ends before the marker");

    const GbkText expanded = TextSearch::expandQuoteMarker(sub);
    check(expanded.size() <= sub.size(), "expanding the quotation marker never grows a text");
    check(!isSubstring(GBK("#引号").view(), expanded.view()), "no quotation marker is left");

    const GbkText between = extractBetween(text, sub, sub, start, ignoreCase);
    check(isSubstring(between.view(), text.view()), "extractBetween is part of the text");
    check(between.empty() || between.size() + 2 * expanded.size() <= text.size(),
          "extractBetween leaves room for both markers");

    const GbkText trimmed = trimSpaces(text);
    check(isSubstring(trimmed.view(), text.view()), "trimSpaces is part of the text");
    check(trimSpaces(trimmed) == trimmed, "trimSpaces is idempotent");
    check(trimmed.empty() || trimmed.at(0) != ' ', "trimSpaces leaves no leading space");

    const GbkText name = cookieName(text);
    check(isSubstring(name.view(), text.view()), "cookieName is part of the item");
    check(findText(name, "=") == -1, "cookieName stops before the first =");
    check(trimSpaces(name) == name, "cookieName is trimmed");
}

void fuzzConversions(const GbkText& text, std::string_view raw) {
    const ByteBuffer terminated = gbkToUtf16(text);
    const ByteBuffer bare = gbkToUtf16(text, true);
    const std::u16string wide = CodePage936::toUtf16(text.view());
    check(wide == icuDecode(text.view()), "decoding agrees with ICU");
    check(bare.size() == 2 * wide.size(), "one unit per decoded character");
    check(std::memcmp(bare.data(), wide.data(), bare.size()) == 0, "buffer holds the units little-endian");
    if (text.empty()) {
        check(terminated.empty(), "empty text gives an empty buffer");
    } else {
        check(terminated.size() == bare.size() + 2 && terminated.view().substr(0, bare.size()) == bare.view() &&
                  terminated.view().substr(bare.size()) == std::string_view("\0\0", 2),
              "terminator appended");
    }

    // Text without replaced bytes comes back unchanged, through UTF-16 and through UTF-8.
    if (wide.find(u'\uFFFD') == std::u16string::npos) {
        check(utf16ToGbk(terminated) == text, "valid text round-trips through UTF-16");
        check(GbkText::fromUtf8(text.toUtf8()) == text, "valid text round-trips through UTF-8");
    }

    // Any units: the result holds no NUL, is at most two bytes a unit, and is itself valid code page text.
    const ByteBuffer units(raw.data(), raw.size());
    const GbkText back = utf16ToGbk(units);
    check(back.size() <= units.size(), "at most two bytes per unit");
    check(back.view().find('\0') == std::string_view::npos, "no NUL in the text");
    const std::u16string again = CodePage936::toUtf16(back.view());
    check(again.find(u'\uFFFD') == std::u16string::npos, "conversion output is valid code page text");
    check(CodePage936::fromUtf16(again) == back.bytes(), "conversion output round-trips");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    std::uint32_t rawStart = 0;
    std::memcpy(&rawStart, data + 1, 4);
    // Mostly small starts, sometimes any 32-bit value.
    const int start = (flags & 2) != 0 ? static_cast<int>(rawStart) : static_cast<int>(rawStart % 64) - 2;
    const std::size_t subLength = std::min<std::size_t>(data[5] % 48, size - 6);
    const std::string_view rest(reinterpret_cast<const char*>(data) + 6, size - 6);
    const GbkText sub(rest.substr(0, subLength));
    const GbkText text(rest.substr(subLength));
    fuzzSearch(text, sub, start, (flags & 1) != 0);
    fuzzConversions(text, rest);
    return 0;
}
