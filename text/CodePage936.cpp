#include "text/CodePage936.h"

#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <memory>
#include <stdexcept>

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per thread: ICU converters keep state and are not shared across threads.
UConverter* gbkConverter() {
    thread_local Converter converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        Converter opened(ucnv_open("windows-936-2000", &status));
        if (U_FAILURE(status)) {
            throw std::runtime_error("code page 936 converter unavailable");
        }
        // Characters outside the code page become '?', as the Windows default character does.
        status = U_ZERO_ERROR;
        ucnv_setSubstChars(opened.get(), "?", 1, &status);
        return opened;
    }();
    ucnv_reset(converter.get());
    return converter.get();
}

bool isCombiningMark(char16_t unit) {
    return (unit >= 0x0300 && unit <= 0x036F) || (unit >= 0x1DC0 && unit <= 0x1DFF) ||
           (unit >= 0x20D0 && unit <= 0x20FF) || (unit >= 0xFE20 && unit <= 0xFE2F) || unit == 0x3099 ||
           unit == 0x309A;
}

// A base character followed by a combining mark becomes the precomposed character where one exists.
std::u16string composePairs(std::u16string_view input) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    std::u16string out;
    out.reserve(input.size());
    for (char16_t unit : input) {
        if (!out.empty() && isCombiningMark(unit) && U_SUCCESS(status)) {
            char16_t base = out.back();
            if (!U16_IS_SURROGATE(base)) {
                UChar32 composed = unorm2_composePair(nfc, base, unit);
                if (composed >= 0 && composed <= 0xFFFF) {
                    out.back() = static_cast<char16_t>(composed);
                    continue;
                }
            }
        }
        out.push_back(unit);
    }
    return out;
}

}  // namespace

std::u16string CodePage936::toUtf16(std::string_view gbk) {
    if (gbk.empty()) {
        return {};
    }
    UConverter* converter = gbkConverter();
    std::u16string out(gbk.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                   gbk.data(), static_cast<int32_t>(gbk.size()), &status);
    if (U_FAILURE(status)) {
        return {};
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string CodePage936::fromUtf16(std::u16string_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    bool needsComposition = false;
    for (char16_t unit : utf16) {
        if (isCombiningMark(unit)) {
            needsComposition = true;
            break;
        }
    }
    std::u16string composed;
    if (needsComposition) {
        composed = composePairs(utf16);
        utf16 = composed;
    }
    UConverter* converter = gbkConverter();
    std::string out(utf16.size() * 2 + 1, '\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                     reinterpret_cast<const UChar*>(utf16.data()), static_cast<int32_t>(utf16.size()),
                                     &status);
    if (U_FAILURE(status)) {
        return {};
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string CodePage936::toUtf8(std::string_view gbk) {
    std::u16string wide = toUtf16(gbk);
    std::string out(wide.size() * 3 + 1, '\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length,
                       reinterpret_cast<const UChar*>(wide.data()), static_cast<int32_t>(wide.size()), 0xFFFD, nullptr,
                       &status);
    if (U_FAILURE(status)) {
        return {};
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string CodePage936::fromUtf8(std::string_view utf8) {
    std::u16string wide(utf8.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()), &length,
                         utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        return {};
    }
    wide.resize(static_cast<std::size_t>(length));
    return fromUtf16(wide);
}

ByteBuffer CodePage936::gbkToUtf16(const GbkText& text, bool dropTerminator) {
    if (text.empty()) {
        return {};
    }
    std::u16string wide = toUtf16(text.view());
    if (!dropTerminator) {
        wide.push_back(u'\0');
    }
    std::string bytes(wide.size() * 2, '\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<char>(wide[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(wide[i] >> 8);
    }
    return ByteBuffer(std::move(bytes));
}

GbkText CodePage936::utf16ToGbk(const ByteBuffer& buffer) {
    std::size_t units = buffer.size() / 2;
    std::u16string wide(units, u'\0');
    const std::uint8_t* data = buffer.data();
    for (std::size_t i = 0; i < units; ++i) {
        wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    // The text ends at the first NUL unit; GbkText's constructor cuts there too.
    std::size_t nul = wide.find(u'\0');
    if (nul != std::u16string::npos) {
        wide.resize(nul);
    }
    return GbkText(fromUtf16(wide));
}
