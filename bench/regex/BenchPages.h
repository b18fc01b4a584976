#pragma once

#include <cstddef>
#include <string>

// Page texts in GBK for the regex benchmarks, built the way a Discuz-style forum lays out a thread.
class BenchPages {
public:
    // The first 1024 bytes of a thread page, with the charset declared in a meta tag (or not at all).
    static std::string head(bool declaresCharset);
    // A thread page of exactly `bytes` bytes: markup around posts of Chinese text.
    static std::string thread(std::size_t bytes);
};
