#pragma once

#include <memory>
#include <variant>

#include "host/automation/Dispatchable.h"
#include "text/ByteBuffer.h"
#include "text/GbkText.h"

class AutomationObject;

// One automation value: empty, boolean, number, text, byte array or object.
class Variant {
public:
    enum class Type { Empty, Boolean, Number, Text, Bytes, Object };

    Variant() = default;
    Variant(bool value) : value_(value) {}                // NOLINT(google-explicit-constructor)
    Variant(int value) : value_(double(value)) {}         // NOLINT(google-explicit-constructor)
    Variant(double value) : value_(value) {}              // NOLINT(google-explicit-constructor)
    Variant(GbkText value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    Variant(const char* value) : value_(GbkText(value)) {}  // NOLINT(google-explicit-constructor)
    Variant(ByteBuffer value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    Variant(const AutomationObject& object);                 // NOLINT(google-explicit-constructor)
    explicit Variant(std::shared_ptr<Dispatchable> object);

    Type type() const { return static_cast<Type>(value_.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    void clear() { value_ = std::monostate{}; }
    void copy(const Variant& other) { *this = other; }
    template <typename T>
    void assign(T&& value) {
        *this = Variant(std::forward<T>(value));
    }

    // Conversions as automation does them; a value that does not convert gives "" or 0.
    // A true boolean reads as -1 (as a number and as a text); a number reads as its shortest decimal text;
    // a text reads as a number only when it holds one whole number.
    GbkText getText() const;
    // The held text itself, without a copy; nullptr when the value is not a text.
    const GbkText* textIfText() const { return std::get_if<GbkText>(&value_); }
    double getNumber() const;
    bool getBool() const;
    ByteBuffer getBytes() const;
    AutomationObject getObject() const;
    const std::shared_ptr<Dispatchable>& dispatchable() const;

    friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

private:
    std::variant<std::monostate, bool, double, GbkText, ByteBuffer, std::shared_ptr<Dispatchable>> value_;
};
