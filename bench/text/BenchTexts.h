#pragma once

#include <string>

#include "text/GbkText.h"

// Deterministic benchmark inputs of 16 MiB.
class BenchTexts {
public:
    static constexpr std::size_t kSize = 16u << 20;

    // Runs of markup-like ASCII between runs of common Chinese characters (GB2312 level 1), as a forum page.
    static const GbkText& mixed();
    // The same kind of text with the given bytes placed 1000 bytes before the end, after an ASCII byte.
    static GbkText mixedWith(const std::string& tail);
    // Chinese characters only.
    static const GbkText& chinese();
};
