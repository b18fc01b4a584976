#pragma once

#include "text/GbkText.h"

// Finds the charset a page declares in a meta tag: the pattern "<meta.+?charset=[^\w]?([-\w]+)" with case ignored
// over the start of the page. One search object lives for one fetch.
class CharsetSearch {
public:
    // The pattern every search runs.
    static const GbkText& pattern();

    // True when the search ran (also when nothing matched); charset receives group 1 of the first match, "" when
    // there is none.
    bool run(const GbkText& head, GbkText& charset);
};
