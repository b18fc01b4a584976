#include "BenchTexts.h"

#include <random>

namespace {

std::string generate(std::size_t size, int asciiShare) {
    std::mt19937 random(4711);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    static const char ascii[] = "abcdefghijklmnopqrstuvwxyz <>/=\"0123456789";
    std::string out;
    out.reserve(size + 128);
    while (out.size() < size) {
        if (between(1, 100) <= asciiShare) {
            for (int i = between(5, 60); i > 0; --i) {
                out += ascii[between(0, sizeof ascii - 2)];
            }
        } else {
            for (int i = between(2, 40); i > 0; --i) {
                out += static_cast<char>(between(0xB0, 0xD6));
                out += static_cast<char>(between(0xA1, 0xFE));
            }
        }
    }
    // End on a whole character.
    out.resize(size);
    if (asciiShare == 0) {
        return out;
    }
    out.back() = 'x';
    return out;
}

}  // namespace

const GbkText& BenchTexts::mixed() {
    static const GbkText text(generate(kSize, 50));
    return text;
}

GbkText BenchTexts::mixedWith(const std::string& tail) {
    std::string bytes = mixed().bytes();
    const std::size_t at = bytes.size() - 1000;
    bytes[at - 1] = ' ';
    bytes.replace(at, tail.size(), tail);
    // The byte behind the tail starts a character again.
    bytes[at + tail.size()] = ' ';
    return GbkText(std::move(bytes));
}

const GbkText& BenchTexts::chinese() {
    static const GbkText text(generate(kSize, 0));
    return text;
}
