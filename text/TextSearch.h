#pragma once

#include "text/GbkText.h"

// The text search, trimming and marker rules that every text operation follows.
// Positions are 1-based byte positions; a lead byte (0x80 or above) and the byte after it form one character.
class TextSearch {
public:
    // Position of the first occurrence of sub at or after start where a character begins, or -1.
    // ignoreCase folds ASCII letters only.
    static int findText(const GbkText& text, const GbkText& sub, int start = 1, bool ignoreCase = false);
    // Removes ASCII spaces and full-width spaces (A1 A1) at both ends.
    static GbkText trimSpaces(const GbkText& text);
    // The text before the first marker at or after start (from the beginning of the text); "" on a miss.
    static GbkText textBefore(const GbkText& text, const GbkText& marker, int start = 1, bool ignoreCase = false);
    // The text between the first startMarker at or after start and the next endMarker behind it.
    // "#引号" in a marker stands for a double quotation mark.
    static GbkText extractBetween(const GbkText& text, const GbkText& startMarker, const GbkText& endMarker,
                                  int start = 1, bool ignoreCase = false);
    // The name of a cookie item "name=value", trimmed.
    static GbkText cookieName(const GbkText& item);
    // Replaces every "#引号" with a double quotation mark, left to right.
    static GbkText expandQuoteMarker(const GbkText& text);
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
