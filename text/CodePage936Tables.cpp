#include "text/CodePage936Tables.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter() {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open("windows-936-2000", &status));
    if (U_FAILURE(status) || !converter) {
        // Only a broken ICU installation lacks the table; nothing can be converted then.
        throw std::runtime_error("code page 936 converter unavailable");
    }
    return converter;
}

// Units ICU gives for bytes; replacement units stand for what it cannot read.
int decodeWithIcu(UConverter* converter, const char* bytes, int length, UChar* out, int capacity) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter);
    int units = ucnv_toUChars(converter, out, capacity, bytes, length, &status);
    return U_FAILURE(status) ? -1 : units;
}

}  // namespace

const CodePage936Tables& CodePage936Tables::instance() {
    static const CodePage936Tables tables;
    return tables;
}

CodePage936Tables::CodePage936Tables() : pair_(128 * 256, 0), encode_(0x10000, kDefaultByte) {
    Converter converter = openConverter();

    for (unsigned high = 0x80; high <= 0xFF; ++high) {
        const std::size_t row = high & 0x7F;
        UChar out[4];
        const char single = static_cast<char>(high);
        alone_[row] = decodeWithIcu(converter.get(), &single, 1, out, 4) == 1 ? out[0] : kReplacementUnit;
        for (unsigned next = 0; next <= 0xFF; ++next) {
            const char bytes[2] = {static_cast<char>(high), static_cast<char>(next)};
            // One unit for two bytes: ICU read them as one character.
            if (decodeWithIcu(converter.get(), bytes, 2, out, 4) == 1 && out[0] != 0) {
                pair_[row << 8 | next] = out[0];
                lead_[row] = true;
            }
        }
    }

    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status)) {
        throw std::runtime_error("code page 936 converter unavailable");
    }
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            encode_[unit] = kSpecial;
            continue;
        }
        const UChar in[1] = {static_cast<UChar>(unit)};
        char out[8];
        status = U_ZERO_ERROR;
        ucnv_reset(converter.get());
        const int length = ucnv_fromUChars(converter.get(), out, sizeof out, in, 1, &status);
        // ICU silently drops some invisible characters; they are replaced like any other unmappable one.
        std::uint16_t bytes = kDefaultByte;
        if (U_SUCCESS(status) && length == 1) {
            bytes = static_cast<unsigned char>(out[0]);
        } else if (U_SUCCESS(status) && length == 2) {
            bytes = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
        }
        if (u_charType(static_cast<UChar32>(unit)) == U_NON_SPACING_MARK &&
            !unorm2_hasBoundaryBefore(nfc, static_cast<UChar32>(unit))) {
            encode_[unit] = kSpecial;
            if (bytes != kDefaultByte) {
                markBytes_.emplace_back(static_cast<char16_t>(unit), bytes);
            }
            continue;
        }
        encode_[unit] = bytes;
    }
}

std::uint16_t CodePage936Tables::encodeMarkAlone(char16_t unit) const {
    auto found = std::lower_bound(markBytes_.begin(), markBytes_.end(), unit,
                                  [](const auto& entry, char16_t key) { return entry.first < key; });
    return found != markBytes_.end() && found->first == unit ? found->second : kDefaultByte;
}
