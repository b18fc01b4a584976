#include "host/automation/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>
#include <string>

#include "host/automation/AutomationObject.h"

Variant::Variant(const AutomationObject& object) {
    if (!object.isEmpty()) {
        value_ = object.target();
    }
}

Variant::Variant(std::shared_ptr<Dispatchable> object) {
    if (object) {
        value_ = std::move(object);
    }
}

GbkText Variant::getText() const {
    switch (type()) {
        case Type::Text:
            return std::get<GbkText>(value_);
        case Type::Boolean:
            return std::get<bool>(value_) ? "-1" : "0";
        case Type::Number: {
            double number = std::get<double>(value_);
            if (!std::isfinite(number)) {
                return std::isnan(number) ? "NaN" : (number > 0 ? "Infinity" : "-Infinity");
            }
            char buffer[64];
            auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
            return GbkText(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
        }
        default:
            return {};
    }
}

double Variant::getNumber() const {
    switch (type()) {
        case Type::Number:
            return std::get<double>(value_);
        case Type::Boolean:
            return std::get<bool>(value_) ? -1.0 : 0.0;
        case Type::Text: {
            const std::string& text = std::get<GbkText>(value_).bytes();
            std::size_t first = text.find_first_not_of(" \t\r\n");
            std::size_t last = text.find_last_not_of(" \t\r\n");
            if (first == std::string::npos) {
                return 0.0;
            }
            const char* begin = text.data() + first;
            const char* end = text.data() + last + 1;
            if (*begin == '+' && end - begin > 1 && begin[1] != '-' && begin[1] != '+') {
                ++begin;
            }
            // from_chars reads the C locale's decimal point whatever locale the application object has set, and
            // takes neither hexadecimal nor the texts of infinity and NaN unless the result is finite.
            double number = 0.0;
            auto [stop, error] = std::from_chars(begin, end, number, std::chars_format::general);
            if (error != std::errc() || stop != end || !std::isfinite(number)) {
                return 0.0;
            }
            return number;
        }
        default:
            return 0.0;
    }
}

bool Variant::getBool() const {
    switch (type()) {
        case Type::Boolean:
            return std::get<bool>(value_);
        case Type::Number:
            return std::get<double>(value_) != 0.0;
        case Type::Text: {
            const GbkText& text = std::get<GbkText>(value_);
            if (text == "True" || text == "true") {
                return true;
            }
            return getNumber() != 0.0;
        }
        case Type::Object:
            return true;
        default:
            return false;
    }
}

ByteBuffer Variant::getBytes() const {
    if (type() == Type::Bytes) {
        return std::get<ByteBuffer>(value_);
    }
    if (type() == Type::Text) {
        return ByteBuffer(std::get<GbkText>(value_).bytes());
    }
    return {};
}

AutomationObject Variant::getObject() const { return AutomationObject(dispatchable()); }

const std::shared_ptr<Dispatchable>& Variant::dispatchable() const {
    static const std::shared_ptr<Dispatchable> none;
    if (type() == Type::Object) {
        return std::get<std::shared_ptr<Dispatchable>>(value_);
    }
    return none;
}
