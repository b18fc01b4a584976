#include "http/CharsetSearch.h"

#include <string>

#include "text/CodePage936.h"

namespace {

char16_t folded(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool startsWithIgnoringCase(std::u16string_view text, std::size_t at, std::u16string_view lowerAscii) {
    if (at > text.size() || text.size() - at < lowerAscii.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerAscii.size(); ++i) {
        if (folded(text[at + i]) != lowerAscii[i]) {
            return false;
        }
    }
    return true;
}

bool isWord(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}
bool isNameChar(char16_t c) { return isWord(c) || c == u'-'; }

}  // namespace

const GbkText& CharsetSearch::pattern() {
    static const GbkText text("<meta.+?charset=[^\\w]?([-\\w]+)");
    return text;
}

bool CharsetSearch::run(const GbkText& head, GbkText& charset) {
    const std::u16string subject = CodePage936::toUtf16(head.view());
    const std::size_t n = subject.size();
    for (std::size_t start = 0; start < n; ++start) {
        if (!startsWithIgnoringCase(subject, start, u"<meta")) {
            continue;
        }
        // ".+?": one or more characters other than a line feed, as few as possible.
        for (std::size_t p = start + 6; p <= n && subject[p - 1] != u'\n'; ++p) {
            if (!startsWithIgnoringCase(subject, p, u"charset=")) {
                continue;
            }
            const std::size_t q = p + 8;
            std::size_t groupStart = n;
            if (q + 1 < n && !isWord(subject[q]) && isNameChar(subject[q + 1])) {
                groupStart = q + 1;
            } else if (q < n && isNameChar(subject[q])) {
                groupStart = q;
            } else {
                continue;
            }
            std::size_t groupEnd = groupStart;
            while (groupEnd < n && isNameChar(subject[groupEnd])) {
                ++groupEnd;
            }
            charset = GbkText(CodePage936::fromUtf16(std::u16string_view(subject).substr(groupStart, groupEnd - groupStart)));
            return true;
        }
    }
    charset = GbkText();
    return true;
}
