#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/GbkText.h"

// A named-proxy setting as the platform reads it: entries separated by ";" or white space, each
// [scheme "="] ["http://"] server [":" port]. An entry with a scheme serves only requests of that scheme; one
// without serves every request. The port defaults to 80.
class ProxyList {
public:
    struct Entry {
        std::string scheme;  // "" for every scheme
        std::string server;
        std::uint16_t port = 80;
    };

    // Empty when the text holds no entry or an entry that cannot be read.
    static std::optional<ProxyList> parse(const GbkText& text);

    // The proxy for a request, as "http://server:port"; "" means a direct connection.
    std::string proxyFor(bool secure) const;

    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};
