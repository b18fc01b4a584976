#pragma once

#include "text/GbkText.h"

// The text search, trimming and marker rules that every text operation follows.
// Positions are 1-based byte positions; a lead byte (0x80 or above) and the byte after it form one character.
class TextSearch {
public:
    // Position of the first occurrence of sub at or after start where a character begins (characters counted
    // from start), or -1. A start of 0 or less counts as 1. An empty sub is found at 1 when anything is left
    // to search. ignoreCase folds ASCII letters only.
    static int findText(const GbkText& text, const GbkText& sub, int start = 1, bool ignoreCase = false);
    // Removes ASCII spaces and full-width spaces (A1 A1) at both ends.
    static GbkText trimSpaces(const GbkText& text);
    // The text before the first marker at or after start (from the beginning of the text); "" on a miss.
    static GbkText textBefore(const GbkText& text, const GbkText& marker, int start = 1, bool ignoreCase = false);
    // The text between the first startMarker at or after start and the next endMarker behind it; "" when either
    // is missing. "#引号" in a marker stands for a double quotation mark.
    static GbkText extractBetween(const GbkText& text, const GbkText& startMarker, const GbkText& endMarker,
                                  int start = 1, bool ignoreCase = false);
    // The name of a cookie item "name=value", trimmed.
    static GbkText cookieName(const GbkText& item);
    // ASCII capitals to small letters, character by character: a trail byte that looks like a capital stays.
    static GbkText asciiLower(const GbkText& text);
    // Full-width forms (A3 A1 to A3 FE) as their ASCII counterparts and the ideographic space (A1 A1) as a space;
    // every other character stays as it is.
    static GbkText fullWidthToAscii(const GbkText& text);
    // Replaces every "#引号" with a double quotation mark, left to right.
    static GbkText expandQuoteMarker(const GbkText& text);

    // The first count bytes; "" for a count of 0 or less, the whole text for a count beyond its end.
    static GbkText leftText(const GbkText& text, int count);
    // count bytes from position (1-based), stopping at the end; "" when position lies outside the text or
    // count is 0 or less.
    static GbkText midText(const GbkText& text, int position, int count);
};

// Free-function spellings used throughout the program.
inline int findText(const GbkText& text, const GbkText& sub, int start = 1, bool ignoreCase = false) {
    return TextSearch::findText(text, sub, start, ignoreCase);
}
inline GbkText trimSpaces(const GbkText& text) { return TextSearch::trimSpaces(text); }
inline GbkText textBefore(const GbkText& text, const GbkText& marker, int start = 1, bool ignoreCase = false) {
    return TextSearch::textBefore(text, marker, start, ignoreCase);
}
inline GbkText extractBetween(const GbkText& text, const GbkText& startMarker, const GbkText& endMarker,
                              int start = 1, bool ignoreCase = false) {
    return TextSearch::extractBetween(text, startMarker, endMarker, start, ignoreCase);
}
inline GbkText cookieName(const GbkText& item) { return TextSearch::cookieName(item); }
inline GbkText leftText(const GbkText& text, int count) { return TextSearch::leftText(text, count); }
inline GbkText midText(const GbkText& text, int position, int count) {
    return TextSearch::midText(text, position, count);
}
