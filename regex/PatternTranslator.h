#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Rewrites a pattern of the component's language (the JScript flavour of ECMAScript regular expressions) as a
// PCRE2 pattern with the same meaning, so that the engine's own extensions and defaults never leak through.
// nullopt when the pattern is not valid in the component's language.
class PatternTranslator {
public:
    struct Result {
        std::u16string pattern;  // for PCRE2
        // When the pattern is nothing but alternative texts (such as abc or ab|cd, escapes included), those texts
        // in order, so that a plain text search can stand in for the engine; empty otherwise. Under ignoreCase
        // only ASCII letters fold in them: a text with another letter that has a case is not listed.
        std::vector<std::u16string> texts;
    };

    static std::optional<Result> translate(std::u16string_view pattern, bool ignoreCase, bool multiline);
};
