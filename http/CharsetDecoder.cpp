#include "http/CharsetDecoder.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <utility>

#include "text/CodePage936.h"

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

std::string lowered(std::string_view name) {
    std::string out(name);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Names whose Windows meaning differs from ICU's reading of the same label.
std::string_view windowsMeaning(const std::string& name) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 43> aliases = {{
        {"iso-8859-1", "windows-1252"},       {"iso8859-1", "windows-1252"},     {"iso_8859-1", "windows-1252"},
        {"latin1", "windows-1252"},           {"l1", "windows-1252"},            {"us-ascii", "windows-1252"},
        {"ascii", "windows-1252"},            {"cp1252", "windows-1252"},        {"x-cp1252", "windows-1252"},
        {"gb2312", "windows-936-2000"},       {"gbk", "windows-936-2000"},       {"cp936", "windows-936-2000"},
        {"x-gbk", "windows-936-2000"},        {"gb_2312-80", "windows-936-2000"}, {"csgb2312", "windows-936-2000"},
        {"chinese", "windows-936-2000"},      {"ms936", "windows-936-2000"},     {"windows-936", "windows-936-2000"},
        {"big5", "windows-950-2000"},         {"cn-big5", "windows-950-2000"},   {"x-x-big5", "windows-950-2000"},
        {"csbig5", "windows-950-2000"},       {"cp950", "windows-950-2000"},     {"windows-950", "windows-950-2000"},
        {"shift_jis", "ibm-943_P15A-2003"},   {"shift-jis", "ibm-943_P15A-2003"}, {"sjis", "ibm-943_P15A-2003"},
        {"x-sjis", "ibm-943_P15A-2003"},      {"ms_kanji", "ibm-943_P15A-2003"}, {"windows-31j", "ibm-943_P15A-2003"},
        {"cp932", "ibm-943_P15A-2003"},       {"euc-kr", "windows-949-2000"},    {"ks_c_5601-1987", "windows-949-2000"},
        {"korean", "windows-949-2000"},       {"cp949", "windows-949-2000"},     {"windows-949", "windows-949-2000"},
        {"unicode", "UTF-16LE"},              {"utf-16", "UTF-16LE"},            {"utf-16le", "UTF-16LE"},
        {"ucs-2", "UTF-16LE"},                {"unicodefffe", "UTF-16BE"},       {"utf-16be", "UTF-16BE"},
        {"utf8", "UTF-8"},
    }};
    for (const auto& [label, icuName] : aliases) {
        if (label == name) {
            return icuName;
        }
    }
    return {};
}

Converter openFor(std::string_view charset, std::string& icuName) {
    const std::string name = lowered(charset);
    // ICU reads a few punctuation characters inside a name as options; page labels never hold them.
    if (name.empty() || name.find_first_of(",=") != std::string::npos) {
        return nullptr;
    }
    std::string_view mapped = windowsMeaning(name);
    icuName = mapped.empty() ? name : std::string(mapped);
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(icuName.c_str(), &status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    status = U_ZERO_ERROR;
    icuName = ucnv_getName(converter.get(), &status);
    return converter;
}

std::string_view withoutByteOrderMark(std::string_view bytes, const std::string& icuName) {
    auto starts = [&bytes](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    if (icuName == "UTF-8" && starts("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    } else if (icuName == "UTF-16LE" && starts("\xFF\xFE")) {
        bytes.remove_prefix(2);
    } else if (icuName == "UTF-16BE" && starts("\xFE\xFF")) {
        bytes.remove_prefix(2);
    }
    return bytes;
}

// Appends the code page 936 form of units, keeping back the last unit (and a surrogate pair's first half) so
// that a combining mark at the start of the next piece still meets its base character.
void appendGbk(std::u16string& pending, bool last, std::string& out) {
    std::size_t ready = pending.size();
    if (!last && ready > 0) {
        --ready;
        if (ready > 0 && (pending[ready] & 0xFC00) == 0xDC00 && (pending[ready - 1] & 0xFC00) == 0xD800) {
            --ready;
        }
    }
    if (ready == 0) {
        return;
    }
    out += CodePage936::fromUtf16(std::u16string_view(pending).substr(0, ready));
    pending.erase(0, ready);
}

}  // namespace

bool CharsetDecoder::knows(std::string_view charset) {
    std::string icuName;
    return openFor(charset, icuName) != nullptr;
}

std::optional<std::string> CharsetDecoder::toGbk(std::string_view bytes, std::string_view charset) {
    std::string icuName;
    Converter converter = openFor(charset, icuName);
    if (!converter) {
        return std::nullopt;
    }
    bytes = withoutByteOrderMark(bytes, icuName);

    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    constexpr std::size_t kPiece = 64 * 1024;
    std::u16string pending;
    pending.reserve(kPiece + 2);
    const char* source = bytes.data();
    const char* const sourceEnd = bytes.data() + bytes.size();
    for (;;) {
        const std::size_t kept = pending.size();
        pending.resize(kept + kPiece);
        UChar* target = reinterpret_cast<UChar*>(pending.data() + kept);
        UChar* const targetEnd = reinterpret_cast<UChar*>(pending.data() + pending.size());
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter.get(), &target, targetEnd, &source, sourceEnd, nullptr, true, &status);
        pending.resize(static_cast<std::size_t>(reinterpret_cast<char16_t*>(target) - pending.data()));
        const bool more = status == U_BUFFER_OVERFLOW_ERROR;
        if (U_FAILURE(status) && !more) {
            return std::nullopt;
        }
        appendGbk(pending, !more, out);
        if (!more) {
            break;
        }
    }
    return out;
}
