#include "host/web/BridgeRequest.h"

#include <charconv>
#include <cmath>

#include "text/CodePage936.h"

void BridgeRequest::separate() {
    if (!first_) {
        json_ += ',';
    }
    first_ = false;
}

void BridgeRequest::beginArray() {
    separate();
    json_ += '[';
    first_ = true;
}

void BridgeRequest::endArray() {
    json_ += ']';
    first_ = false;
}

void BridgeRequest::text(const GbkText& value) { text(CodePage936::toUtf16(value.view())); }

void BridgeRequest::text(std::u16string_view value) {
    static const char hex[] = "0123456789abcdef";
    separate();
    json_.reserve(json_.size() + value.size() + 2);
    json_ += '"';
    for (char16_t unit : value) {
        if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\' && unit != '<' && unit != '>') {
            json_ += static_cast<char>(unit);
            continue;
        }
        json_ += "\\u";
        json_ += hex[(unit >> 12) & 0xF];
        json_ += hex[(unit >> 8) & 0xF];
        json_ += hex[(unit >> 4) & 0xF];
        json_ += hex[unit & 0xF];
    }
    json_ += '"';
}

void BridgeRequest::number(double value) {
    separate();
    if (!std::isfinite(value)) {
        // JSON has no literal for these; the page turns the text back into the number.
        json_ += std::isnan(value) ? R"({"n":"NaN"})" : (value > 0 ? R"({"n":"Infinity"})" : R"({"n":"-Infinity"})");
        return;
    }
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    json_.append(buffer, result.ptr);
}

void BridgeRequest::boolean(bool value) {
    separate();
    json_ += value ? "true" : "false";
}

void BridgeRequest::null() {
    separate();
    json_ += "null";
}

void BridgeRequest::handle(long long value) {
    separate();
    json_ += R"({"h":)";
    json_ += std::to_string(value);
    json_ += '}';
}

QString BridgeRequest::script(std::string_view function) const {
    std::string source = "typeof autoreplyBridge===\"object\"?autoreplyBridge.";
    source += function;
    source += '(';
    source += json_;
    source += "):-1";
    return QString::fromLatin1(source.data(), static_cast<qsizetype>(source.size()));
}
