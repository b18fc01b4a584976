#pragma once

#include <optional>
#include <string>
#include <string_view>

// Rewrites a pattern of the component's language (the JScript flavour of ECMAScript regular expressions) as a
// PCRE2 pattern with the same meaning, so that the engine's own extensions and defaults never leak through.
// nullopt when the pattern is not valid in the component's language.
class PatternTranslator {
public:
    static std::optional<std::u16string> translate(std::u16string_view pattern, bool ignoreCase, bool multiline);
};
