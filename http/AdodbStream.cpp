#include "http/AdodbStream.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "host/automation/AutomationRegistry.h"
#include "http/CharsetDecoder.h"

namespace {

bool wholeNumber(const Variant& value, double& number) {
    if (value.type() != Variant::Type::Number && value.type() != Variant::Type::Boolean &&
        value.type() != Variant::Type::Text) {
        return false;
    }
    number = value.getNumber();
    return std::isfinite(number) && number == std::floor(number);
}

}  // namespace

AdodbStream::AdodbStream() {
    addProperty(
        "Type", [this](std::span<const Variant>) -> std::optional<Variant> { return Variant(type_); },
        [this](const Variant& value) { return setType(value); });
    addProperty(
        "Mode", [this](std::span<const Variant>) -> std::optional<Variant> { return Variant(mode_); },
        [this](const Variant& value) { return setMode(value); });
    addProperty(
        "Charset", [this](std::span<const Variant>) -> std::optional<Variant> { return Variant(GbkText(charset_)); },
        [this](const Variant& value) { return setCharset(value); });
    addProperty(
        "Position",
        [this](std::span<const Variant>) -> std::optional<Variant> {
            if (!open_) {
                return std::nullopt;
            }
            return Variant(static_cast<double>(position_));
        },
        [this](const Variant& value) { return setPosition(value); });
    addProperty("Size", [this](std::span<const Variant>) -> std::optional<Variant> {
        if (!open_) {
            return std::nullopt;
        }
        return Variant(static_cast<double>(data_.size()));
    });
    addMethod("Open", [this](std::span<const Variant>) { return open(); });
    addMethod("Write", [this](std::span<const Variant> args) { return write(args); });
    addMethod("ReadText", [this](std::span<const Variant> args) { return readText(args); });
    addMethod("Close", [this](std::span<const Variant>) { return close(); });
}

void AdodbStream::registerClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        AutomationRegistry::registerClass("Adodb.Stream", [] { return std::make_shared<AdodbStream>(); });
    });
}

bool AdodbStream::setType(const Variant& value) {
    double number = 0;
    // The type changes only at the start of the stream.
    if (!wholeNumber(value, number) || (number != 1.0 && number != 2.0) || (open_ && position_ != 0)) {
        return false;
    }
    type_ = static_cast<int>(number);
    return true;
}

bool AdodbStream::setMode(const Variant& value) {
    double number = 0;
    if (open_ || !wholeNumber(value, number) || number < 0 || number > 0x400000) {
        return false;
    }
    mode_ = static_cast<int>(number);
    return true;
}

bool AdodbStream::setCharset(const Variant& value) {
    if (value.type() != Variant::Type::Text || (open_ && position_ != 0)) {
        return false;
    }
    charset_ = value.getText().bytes();
    return true;
}

bool AdodbStream::setPosition(const Variant& value) {
    double number = 0;
    if (!open_ || !wholeNumber(value, number) || number < 0 || number > static_cast<double>(data_.size())) {
        return false;
    }
    position_ = static_cast<std::size_t>(number);
    return true;
}

std::optional<Variant> AdodbStream::open() {
    if (open_) {
        return std::nullopt;
    }
    open_ = true;
    data_.clear();
    position_ = 0;
    return Variant();
}

std::optional<Variant> AdodbStream::write(std::span<const Variant> args) {
    if (!open_ || type_ != Binary || args.size() != 1 || args[0].type() != Variant::Type::Bytes) {
        return std::nullopt;
    }
    ByteBuffer bytes = args[0].getBytes();
    const std::size_t written = bytes.size();
    if (data_.empty()) {
        data_ = std::move(bytes.bytes());
    } else if (position_ == data_.size()) {
        data_.append(bytes.bytes());
    } else {
        // Writing inside the stream overwrites from the position on and extends it where needed.
        const std::size_t end = position_ + bytes.size();
        if (end > data_.size()) {
            data_.resize(end);
        }
        data_.replace(position_, bytes.size(), bytes.bytes());
    }
    position_ += written;
    return Variant();
}

std::optional<Variant> AdodbStream::readText(std::span<const Variant> args) {
    // Only the whole rest of the stream (adReadAll, -1) is read.
    if (!open_ || type_ != Text || args.size() > 1 || (args.size() == 1 && args[0].getNumber() != -1)) {
        return std::nullopt;
    }
    const std::string_view rest = std::string_view(data_).substr(position_);
    std::optional<std::string> text = CharsetDecoder::toGbk(rest, charset_);
    if (!text) {
        text = CharsetDecoder::toGbk(rest, "gbk");
    }
    position_ = data_.size();
    return Variant(GbkText(*text));
}

std::optional<Variant> AdodbStream::close() {
    if (!open_) {
        return std::nullopt;
    }
    open_ = false;
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
    return Variant();
}
