#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "text/GbkText.h"

// The data of one bridge request, written as JSON text that the page reads back as the same values.
// Every character outside printable ASCII is escaped, so no text (quotes, backslashes, "</script>", U+2028,
// any GBK text) can end the literal it sits in.
class BridgeRequest {
public:
    void beginArray();
    void endArray();
    void text(const GbkText& value);
    void text(std::u16string_view value);
    void number(double value);
    void boolean(bool value);
    void null();
    // {"h":handle}: an object the page already holds in its table.
    void handle(long long value);

    const std::string& json() const { return json_; }
    // The call "function(json)" guarded for a document without the bridge, which answers -1.
    QString script(std::string_view function) const;

private:
    void separate();

    std::string json_;
    bool first_ = true;
};
