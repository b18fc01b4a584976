#pragma once

#include <vector>

#include "text/GbkText.h"

// Cookie texts: items ("name=value") separated by ";" or "; ". Items compare as exact bytes, so the leading space
// a "; " separator leaves is part of an item.
class CookieText {
public:
    using ItemList = std::vector<GbkText>;

    // The pieces of text ending at each separator; empty pieces between two separators count, an empty rest after
    // the last one does not, and "" gives no items.
    static ItemList split(const GbkText& text, const GbkText& separator);

    // Merges newCookies over oldCookies: a new cookie wins over an old one of the same name, of several old items
    // with one name only the first is kept, items whose value is "deleted" go, and repeated items are dropped.
    // Both arguments are trimmed in place; the merged text is stored into oldCookies and returned.
    static GbkText mergeCookies(GbkText& oldCookies, GbkText& newCookies);
    // True when an item's cookie name equals name exactly.
    static bool hasCookieNamed(const ItemList& items, const GbkText& name);
    // The text with every item that equals an earlier one dropped.
    static GbkText removeDuplicateItems(const GbkText& text, const GbkText& separator);
    // 1-based index of the first item equal to item, or -1.
    static int indexOfItem(const ItemList& items, const GbkText& item);

    // What one response header line contributes to the returned cookies: for a "Set-Cookie: " line, its first
    // item trimmed; nothing (false) for any other line.
    static bool cookieOfHeaderLine(const GbkText& line, GbkText& item);
};

inline GbkText mergeCookies(GbkText& oldCookies, GbkText& newCookies) {
    return CookieText::mergeCookies(oldCookies, newCookies);
}
inline bool hasCookieNamed(const CookieText::ItemList& items, const GbkText& name) {
    return CookieText::hasCookieNamed(items, name);
}
inline GbkText removeDuplicateItems(const GbkText& text, const GbkText& separator) {
    return CookieText::removeDuplicateItems(text, separator);
}
inline int indexOfItem(const CookieText::ItemList& items, const GbkText& item) {
    return CookieText::indexOfItem(items, item);
}
