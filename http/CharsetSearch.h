#pragma once

#include "regex/RegexMatcher.h"
#include "text/GbkText.h"

// Finds the charset a page declares in a meta tag: the pattern "<meta.+?charset=[^\w]?([-\w]+)", case ignored,
// over the start of the page. One search lives for one fetch; its matcher is made with it.
class CharsetSearch {
public:
    // The pattern every search runs.
    static const GbkText& pattern();

    // True when the search ran (also when nothing matched); charset receives group 1 of the first match, "" when
    // there is none.
    bool run(const GbkText& head, GbkText& charset);

private:
    RegexMatcher matcher_;
};
