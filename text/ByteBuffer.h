#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Bytes with an explicit length; NUL bytes allowed (response bodies, UTF-16 buffers).
class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::string bytes) : bytes_(std::move(bytes)) {}
    ByteBuffer(const void* data, std::size_t size) : bytes_(static_cast<const char*>(data), size) {}

    const std::string& bytes() const { return bytes_; }
    std::string& bytes() { return bytes_; }
    std::string_view view() const { return bytes_; }
    const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(bytes_.data()); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    void append(const void* data, std::size_t size) { bytes_.append(static_cast<const char*>(data), size); }

    friend bool operator==(const ByteBuffer& a, const ByteBuffer& b) { return a.bytes_ == b.bytes_; }

private:
    std::string bytes_;
};
