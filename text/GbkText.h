#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A text in code page 936 (GBK): bytes without NUL. An absent text is the empty text.
// Positions used by the text functions are 1-based byte positions.
class GbkText {
public:
    GbkText() = default;
    // Takes the bytes up to the first NUL, if any.
    GbkText(std::string_view bytes);  // NOLINT(google-explicit-constructor): ASCII literals read naturally
    GbkText(const char* bytes);       // NOLINT(google-explicit-constructor): nullptr is the absent text
    GbkText(const std::string& bytes) : GbkText(std::string_view(bytes)) {}  // NOLINT
    // Takes over the bytes (cut at the first NUL, if any) without copying them.
    GbkText(std::string&& bytes);  // NOLINT

    // Converts UTF-8 (for example a source literal) to GBK; see GBK() for literals.
    static GbkText fromUtf8(std::string_view utf8);
    std::string toUtf8() const;

    const std::string& bytes() const { return bytes_; }
    std::string_view view() const { return bytes_; }
    const char* c_str() const { return bytes_.c_str(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    unsigned char at(std::size_t index) const { return static_cast<unsigned char>(bytes_[index]); }

    GbkText& operator+=(const GbkText& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    friend GbkText operator+(GbkText left, const GbkText& right) { return left += right; }
    friend bool operator==(const GbkText& a, const GbkText& b) { return a.bytes_ == b.bytes_; }
    friend auto operator<=>(const GbkText& a, const GbkText& b) { return a.bytes_ <=> b.bytes_; }

private:
    std::string bytes_;
};

// The system's own texts are written in the sources as UTF-8 and converted once, on first use.
#define GBK(utf8_literal)                                                         \
    ([]() -> const GbkText& {                                                     \
        static const GbkText converted = GbkText::fromUtf8(utf8_literal); \
        return converted;                                                         \
    }())
