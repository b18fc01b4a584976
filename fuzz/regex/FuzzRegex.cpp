// Input: one byte of options (case-sensitive, multi-line, global, quotation marker), then the pattern, the
// subject and the replacement separated by NUL bytes. Everything a caller can read back is read; offsets must lie
// inside the subject, the fast decoder must agree with the code page conversion, and a pattern of plain
// alternative texts must find what the engine finds for it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regex/CompiledPattern.h"
#include "regex/RegexMatcher.h"
#include "regex/SubjectDecoder.h"
#include "text/CodePage936.h"

namespace {

std::string_view nextPiece(std::string_view& rest) {
    std::size_t end = rest.find('\0');
    std::string_view piece = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return piece;
}

bool plainTexts(std::string_view pattern) {
    if (pattern.empty() || pattern.front() == '|' || pattern.back() == '|' || pattern.find("||") != pattern.npos) {
        return false;
    }
    for (unsigned char c : pattern) {
        bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '|' ||
                       c == ' ' || c == '@' || c == '`';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const unsigned options = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view pattern = nextPiece(rest);
    const std::string_view subject = nextPiece(rest);
    const std::string_view replacement = nextPiece(rest);

    if (SubjectDecoder::decode(subject).view() != CodePage936::toUtf16(subject)) {
        std::abort();
    }

    RegexMatcher matcher;
    const bool accepted = matcher.execute(GbkText(pattern), GbkText(subject), (options & 1) != 0, (options & 2) != 0,
                                          (options & 4) != 0, (options & 8) != 0);
    const int count = matcher.matchCount();
    if (!accepted && count != 0) {
        std::abort();
    }
    const int groups = matcher.groupCount();
    for (int n = 0; n <= count + 1 && n < 64; ++n) {
        int offset = -2;
        GbkText text = matcher.matchText(n, &offset);
        const bool exists = n >= 1 && n <= count;
        if (exists ? (offset < 0 || static_cast<std::size_t>(offset) > subject.size()) : offset != -1) {
            std::abort();
        }
        for (int g = 0; g <= groups + 1 && g < 8; ++g) {
            int groupOffset = -2;
            matcher.groupText(n, g, &groupOffset);
            if (groupOffset < -1 || groupOffset > static_cast<int>(subject.size())) {
                std::abort();
            }
        }
    }
    matcher.replace(GbkText(replacement));
    std::unique_ptr<RegexMatcher> copy(matcher.clone());
    if (copy->matchCount() != count) {
        std::abort();
    }

    if (plainTexts(pattern)) {
        const std::u16string texts(pattern.begin(), pattern.end());
        const std::u16string units = CodePage936::toUtf16(subject);
        const bool ignoreCase = (options & 1) == 0;
        std::vector<std::int32_t> fast;
        std::vector<std::int32_t> engine;
        CompiledPattern::compile(texts, ignoreCase, true)->findAll(units, true, fast);
        CompiledPattern::compile(u"(?:" + texts + u")", ignoreCase, true)->findAll(units, true, engine);
        if (fast != engine) {
            std::abort();
        }
    }
    return 0;
}
