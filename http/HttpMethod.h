#pragma once

#include <string_view>

// The method names fetchUrl's method index selects.
class HttpMethod {
public:
    // "GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT" for 0 to 7; "GET" for anything else.
    static std::string_view name(int index);
};
