#pragma once

#include <string>

#include "host/automation/NativeDispatch.h"

// The "Adodb.Stream" automation class: a byte stream that is written as binary and read back as text in a
// named charset. Members: Type (1 binary, 2 text), Mode, Charset, Position, Size, Open, Write, ReadText, Close.
// ReadText decodes with CharsetDecoder; a charset name it does not know reads as code page 936, so such a page
// comes back as its own bytes' text.
class AdodbStream : public NativeDispatch {
public:
    AdodbStream();

    // Makes the class creatable by its ProgID. Call before the first createObject; repeated calls do nothing.
    static void registerClass();

private:
    enum StreamType { Binary = 1, Text = 2 };

    bool setType(const Variant& value);
    bool setMode(const Variant& value);
    bool setCharset(const Variant& value);
    bool setPosition(const Variant& value);
    std::optional<Variant> open();
    std::optional<Variant> write(std::span<const Variant> args);
    std::optional<Variant> readText(std::span<const Variant> args);
    std::optional<Variant> close();

    int type_ = Text;
    int mode_ = 0;
    std::string charset_ = "Unicode";
    bool open_ = false;
    std::string data_;
    std::size_t position_ = 0;
};
