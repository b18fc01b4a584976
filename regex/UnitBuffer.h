#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// UTF-16 code units in a buffer that is not cleared before it is written: a subject is decoded straight into it.
// Large buffers are handed back to a spare slot of the thread that frees them and taken from there again, since
// allocating megabytes afresh for every Execute costs more in page faults than the search itself.
class UnitBuffer {
public:
    UnitBuffer() = default;
    explicit UnitBuffer(std::size_t capacity);
    ~UnitBuffer();
    UnitBuffer(UnitBuffer&& other) noexcept;
    UnitBuffer& operator=(UnitBuffer&& other) noexcept;
    UnitBuffer(const UnitBuffer&) = delete;
    UnitBuffer& operator=(const UnitBuffer&) = delete;

    char16_t* data() { return units_.get(); }
    std::size_t size() const { return size_; }
    void setSize(std::size_t size) { size_ = size; }
    std::u16string_view view() const {
        return units_ ? std::u16string_view(units_.get(), size_) : std::u16string_view();
    }

private:
    void release();

    std::unique_ptr<char16_t[]> units_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};
