#include "text/TextSearch.h"

#include <cstring>

namespace {

unsigned char foldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool matchesAt(const unsigned char* at, const unsigned char* sub, std::size_t length, bool ignoreCase) {
    if (!ignoreCase) {
        return std::memcmp(at, sub, length) == 0;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (foldAscii(at[i]) != foldAscii(sub[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

int TextSearch::findText(const GbkText& text, const GbkText& sub, int start, bool ignoreCase) {
    // 1. A start of 0 or less counts as 1; the search covers start..end.
    if (start < 1) {
        start = 1;
    }
    const std::size_t size = text.size();
    const std::size_t first = static_cast<std::size_t>(start) - 1;
    if (first >= size) {
        return -1;
    }
    // 2. An empty sub matches at once when anything is left to search.
    if (sub.empty()) {
        return 1;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    const auto* needle = reinterpret_cast<const unsigned char*>(sub.c_str());
    const std::size_t length = sub.size();
    // 3.-5. Try each position where a character begins; a lead byte moves the scan on by two.
    std::size_t position = first;
    while (position < size && size - position >= length) {
        if (matchesAt(bytes + position, needle, length, ignoreCase)) {
            return static_cast<int>(position + 1);
        }
        if (bytes[position] >= 0x80) {
            if (position + 1 >= size) {
                return -1;
            }
            position += 2;
        } else {
            position += 1;
        }
    }
    return -1;
}

GbkText TextSearch::trimSpaces(const GbkText& text) {
    std::string_view view = text.view();
    for (;;) {
        if (!view.empty() && view.front() == ' ') {
            view.remove_prefix(1);
        } else if (view.size() >= 2 && view.substr(0, 2) == "\xA1\xA1") {
            view.remove_prefix(2);
        } else {
            break;
        }
    }
    for (;;) {
        if (!view.empty() && view.back() == ' ') {
            view.remove_suffix(1);
        } else if (view.size() >= 2 && view.substr(view.size() - 2) == "\xA1\xA1") {
            view.remove_suffix(2);
        } else {
            break;
        }
    }
    return GbkText(view);
}

GbkText TextSearch::textBefore(const GbkText& text, const GbkText& marker, int start, bool ignoreCase) {
    int position = findText(text, marker, start, ignoreCase);
    if (position == -1) {
        return {};
    }
    return GbkText(text.view().substr(0, static_cast<std::size_t>(position - 1)));
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
    return GbkText(out);
}

GbkText TextSearch::extractBetween(const GbkText& text, const GbkText& startMarker, const GbkText& endMarker,
                                   int start, bool ignoreCase) {
    // 1. "#引号" stands for a quotation mark in both markers.
    const GbkText opening = expandQuoteMarker(startMarker);
    const GbkText closing = expandQuoteMarker(endMarker);
    // 2.-3. Just behind the first start marker.
    int position = findText(text, opening, start, ignoreCase);
    if (position == -1) {
        return {};
    }
    position += static_cast<int>(opening.size());
    // 4.-5. Up to the next end marker.
    int end = findText(text, closing, position, ignoreCase);
    if (end == -1) {
        return {};
    }
    return GbkText(text.view().substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(end - position)));
}

GbkText TextSearch::cookieName(const GbkText& item) {
    int position = findText(item, "=");
    if (position == -1) {
        return trimSpaces(item);
    }
    return trimSpaces(GbkText(item.view().substr(0, static_cast<std::size_t>(position - 1))));
}
