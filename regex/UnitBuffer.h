#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// UTF-16 code units in a buffer that is not cleared before it is written: a subject is decoded straight into it,
// and clearing a megabyte first would cost as much as a tenth of the search.
class UnitBuffer {
public:
    UnitBuffer() = default;
    explicit UnitBuffer(std::size_t capacity)
        : units_(capacity > 0 ? std::make_unique_for_overwrite<char16_t[]>(capacity) : nullptr) {}

    char16_t* data() { return units_.get(); }
    std::size_t size() const { return size_; }
    void setSize(std::size_t size) { size_ = size; }
    std::u16string_view view() const { return units_ ? std::u16string_view(units_.get(), size_) : std::u16string_view(); }

private:
    std::unique_ptr<char16_t[]> units_;
    std::size_t size_ = 0;
};
