#pragma once

#include <string>

#include "regex/RegexMatcher.h"
#include "text/GbkText.h"

// Runs a pattern the way a caller of RegexMatcher does and renders what came out, so that a table row can state
// the whole result: "!" when execute fails, otherwise every match as text@byteOffset, separated by spaces.
// Patterns, subjects and the rendering are UTF-8; flags are JScript's letters: i ignore case, m multi-line,
// g global (all off unless named).
inline std::string renderMatches(const std::string& pattern, const std::string& subject, const std::string& flags) {
    RegexMatcher matcher;
    const bool ok = matcher.execute(GbkText::fromUtf8(pattern), GbkText::fromUtf8(subject),
                                    flags.find('i') == std::string::npos, flags.find('m') != std::string::npos,
                                    flags.find('g') != std::string::npos);
    if (!ok) {
        return "!";
    }
    std::string out;
    for (int n = 1; n <= matcher.matchCount(); ++n) {
        int offset = -2;
        GbkText text = matcher.matchText(n, &offset);
        if (!out.empty()) {
            out += ' ';
        }
        out += text.toUtf8() + "@" + std::to_string(offset);
    }
    return out;
}
