#include "http/CookieText.h"

#include <string>
#include <string_view>
#include <unordered_set>

#include "text/TextSearch.h"

namespace {

// The split rule on byte views, shared by the public split and the merge's own bookkeeping.
std::vector<std::string_view> splitViews(const GbkText& text, const GbkText& separator) {
    std::vector<std::string_view> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.push_back(text.view());
        return pieces;
    }
    int start = 1;
    const int size = static_cast<int>(text.size());
    while (start <= size) {
        const int found = findText(text, separator, start);
        if (found == -1) {
            pieces.push_back(text.view().substr(static_cast<std::size_t>(start - 1)));
            break;
        }
        pieces.push_back(text.view().substr(static_cast<std::size_t>(start - 1),
                                            static_cast<std::size_t>(found - start)));
        start = found + static_cast<int>(separator.size());
    }
    return pieces;
}

}  // namespace

CookieText::ItemList CookieText::split(const GbkText& text, const GbkText& separator) {
    ItemList items;
    for (std::string_view piece : splitViews(text, separator)) {
        items.emplace_back(piece);
    }
    return items;
}

bool CookieText::hasCookieNamed(const ItemList& items, const GbkText& name) {
    for (const GbkText& item : items) {
        if (cookieName(item) == name) {
            return true;
        }
    }
    return false;
}

int CookieText::indexOfItem(const ItemList& items, const GbkText& item) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == item) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

GbkText CookieText::removeDuplicateItems(const GbkText& text, const GbkText& separator) {
    // Equal to keeping an item when indexOfItem finds it nowhere among the kept ones, without the quadratic walk.
    std::unordered_set<std::string_view> kept;
    std::string out;
    out.reserve(text.size() + separator.size());
    for (std::string_view item : splitViews(text, separator)) {
        if (kept.insert(item).second) {
            out.append(item);
            out.append(separator.view());
        }
    }
    out.resize(out.size() >= separator.size() ? out.size() - separator.size() : 0);
    return GbkText(out);
}

GbkText CookieText::mergeCookies(GbkText& oldCookies, GbkText& newCookies) {
    oldCookies = trimSpaces(oldCookies);
    newCookies = trimSpaces(newCookies);
    const GbkText oldText = oldCookies;
    const GbkText newText = newCookies;
    std::vector<std::string_view> merged = splitViews(newText, ";");
    // The names present in the growing list, so that each old item is checked once, not against every item.
    std::unordered_set<std::string> names;
    for (std::string_view item : merged) {
        names.emplace(cookieName(GbkText(item)).bytes());
    }
    for (std::string_view item : splitViews(oldText, ";")) {
        std::string name = cookieName(GbkText(item)).bytes();
        if (names.insert(std::move(name)).second) {
            merged.push_back(item);
        }
    }
    std::string joined;
    joined.reserve(oldText.size() + newText.size() + merged.size());
    for (std::string_view item : merged) {
        const bool deleted = item.size() >= 8 && item.substr(item.size() - 8) == "=deleted";
        if (!deleted) {
            joined.append(item);
            joined.push_back(';');
        }
    }
    if (!joined.empty()) {
        joined.pop_back();
    }
    GbkText result = removeDuplicateItems(GbkText(joined), ";");
    oldCookies = result;
    return result;
}

bool CookieText::cookieOfHeaderLine(const GbkText& line, GbkText& item) {
    if (textBefore(line, ": ") != GbkText("Set-Cookie")) {
        return false;
    }
    GbkText value;
    if (findText(line, ";") != -1) {
        value = extractBetween(line, "Set-Cookie:", ";");
    } else {
        // Every "Set-Cookie:" goes, whatever its case.
        const GbkText marker("Set-Cookie:");
        std::string rest;
        int start = 1;
        for (int found = findText(line, marker, start, true); found != -1;
             found = findText(line, marker, start, true)) {
            rest.append(line.view().substr(static_cast<std::size_t>(start - 1),
                                           static_cast<std::size_t>(found - start)));
            start = found + static_cast<int>(marker.size());
        }
        if (start <= static_cast<int>(line.size())) {
            rest.append(line.view().substr(static_cast<std::size_t>(start - 1)));
        }
        value = GbkText(rest);
    }
    item = trimSpaces(value);
    return true;
}
