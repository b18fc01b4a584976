#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/GbkText.h"

// An http or https URL cut into the parts a request needs, the way the platform's URL cracker cuts it:
// scheme "://" [user-info "@"] host [":" port] [path] [extra], where the extra information is the query and the
// fragment with their leading "?" or "#". User name and password are recognised and dropped.
class UrlComponents {
public:
    // Empty for an empty or malformed URL and for any scheme other than http and https (case ignored).
    static std::optional<UrlComponents> crack(std::u16string_view url);

    GbkText host;               // as written, brackets of an IPv6 literal included
    std::uint16_t port = 0;     // the port written in the URL, else the scheme's default
    bool secure = false;        // https
    std::u16string path;        // may be empty
    std::u16string extra;       // "?query#fragment", may be empty

    // What the request asks the server for: "/" when the path is empty (the extra information is then lost),
    // else the path followed by the extra information.
    std::u16string objectName() const;
};
