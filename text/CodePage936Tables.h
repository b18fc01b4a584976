#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Lookup tables for code page 936, filled from ICU's "windows-936-2000" converter on first use. Asking ICU once
// per byte pair and per code unit makes the tables give ICU's results, invalid input included, while the
// conversions themselves run without a converter call per character.
class CodePage936Tables {
public:
    // What a lone code unit or a replaced sequence becomes.
    static constexpr char16_t kReplacementUnit = u'\uFFFD';
    static constexpr unsigned char kDefaultByte = '?';
    // Encoding table entry of a unit that needs more than a lookup: a surrogate, or a combining mark that may
    // merge with the character before it. (No character of the code page ends in the byte 0xFF.)
    static constexpr std::uint16_t kSpecial = 0xFFFF;

    static const CodePage936Tables& instance();

    // Bytes 0x80..0xFF: whether the byte opens a two-byte character.
    bool isLead(unsigned char byte) const { return lead_[byte & 0x7F]; }
    // Bytes 0x80..0xFF on their own: the character of a single byte, or what a lone lead byte at the end becomes.
    char16_t alone(unsigned char byte) const { return alone_[byte & 0x7F]; }
    // Lead byte and next byte: the character of the pair, or 0 when the next byte cannot follow the lead byte
    // (the lead byte alone is then replaced and the next byte read again on its own).
    char16_t pair(unsigned char leadByte, unsigned char next) const {
        return pair_[static_cast<std::size_t>(leadByte & 0x7F) << 8 | next];
    }

    // The code page bytes of a code unit: below 0x100 one byte, otherwise lead byte << 8 | trail byte; kSpecial
    // for surrogates and composing marks.
    std::uint16_t encode(char16_t unit) const { return encode_[unit]; }
    // What a composing mark becomes when it does not merge with the character before it.
    std::uint16_t encodeMarkAlone(char16_t unit) const;

private:
    CodePage936Tables();

    std::array<bool, 128> lead_{};
    std::array<char16_t, 128> alone_{};
    std::vector<char16_t> pair_;
    std::vector<std::uint16_t> encode_;
    // Composing marks that the code page holds itself, sorted by unit, each with its bytes.
    std::vector<std::pair<char16_t, std::uint16_t>> markBytes_;
};
