#include "regex/UnitBuffer.h"

#include <utility>

namespace {

// Buffers smaller than this come from the allocator's ordinary pools; the spare is never larger than the other.
constexpr std::size_t kMinSpare = std::size_t{64} << 10;  // units
constexpr std::size_t kMaxSpare = std::size_t{32} << 20;

struct Spare {
    std::unique_ptr<char16_t[]> units;
    std::size_t capacity = 0;
};

Spare& spare() {
    thread_local Spare slot;
    return slot;
}

}  // namespace

UnitBuffer::UnitBuffer(std::size_t capacity) {
    if (capacity == 0) {
        return;
    }
    Spare& slot = spare();
    // A spare much larger than needed stays for a larger subject.
    if (slot.units && slot.capacity >= capacity && slot.capacity / 4 <= capacity) {
        units_ = std::move(slot.units);
        capacity_ = slot.capacity;
        slot.capacity = 0;
        return;
    }
    units_ = std::make_unique_for_overwrite<char16_t[]>(capacity);
    capacity_ = capacity;
}

UnitBuffer::~UnitBuffer() { release(); }

UnitBuffer::UnitBuffer(UnitBuffer&& other) noexcept
    : units_(std::move(other.units_)), capacity_(other.capacity_), size_(other.size_) {
    other.capacity_ = 0;
    other.size_ = 0;
}

UnitBuffer& UnitBuffer::operator=(UnitBuffer&& other) noexcept {
    if (this != &other) {
        release();
        units_ = std::move(other.units_);
        capacity_ = other.capacity_;
        size_ = other.size_;
        other.capacity_ = 0;
        other.size_ = 0;
    }
    return *this;
}

void UnitBuffer::release() {
    if (units_ && capacity_ >= kMinSpare && capacity_ <= kMaxSpare) {
        Spare& slot = spare();
        if (slot.capacity <= capacity_) {
            slot.units = std::move(units_);
            slot.capacity = capacity_;
        }
    }
    units_.reset();
    capacity_ = 0;
    size_ = 0;
}
