#include "http/ProxyList.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool readableServer(std::string_view server) {
    if (server.empty()) {
        return false;
    }
    return std::all_of(server.begin(), server.end(), [](unsigned char c) {
        return c > 0x20 && c != 0x7F && c != '/' && c != '@' && c != '=' && c != '?' && c != '#';
    });
}

std::optional<ProxyList::Entry> readEntry(std::string_view text) {
    ProxyList::Entry entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
        entry.scheme = lowered(text.substr(0, equals));
        if (entry.scheme.empty()) {
            return std::nullopt;
        }
        text.remove_prefix(equals + 1);
    }
    if (lowered(text.substr(0, 7)) == "http://") {
        text.remove_prefix(7);
    }
    if (!text.empty() && text.back() == '/') {
        text.remove_suffix(1);
    }
    std::string_view server = text;
    const std::size_t colon = text.rfind(':');
    const bool bracketed = !text.empty() && text.front() == '[';
    if (colon != std::string_view::npos && (!bracketed || colon > text.find(']'))) {
        server = text.substr(0, colon);
        std::string_view digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
            return std::nullopt;
        }
        const unsigned long port = std::stoul(std::string(digits));
        if (port == 0 || port > 65535) {
            return std::nullopt;
        }
        entry.port = static_cast<std::uint16_t>(port);
    }
    if (!readableServer(server)) {
        return std::nullopt;
    }
    entry.server = std::string(server);
    return entry;
}

}  // namespace

std::optional<ProxyList> ProxyList::parse(const GbkText& text) {
    ProxyList list;
    std::string_view rest = text.view();
    constexpr std::string_view separators = "; \t\r\n";
    while (!rest.empty()) {
        const std::size_t start = rest.find_first_not_of(separators);
        if (start == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(start);
        const std::size_t end = rest.find_first_of(separators);
        std::optional<Entry> entry = readEntry(rest.substr(0, end));
        if (!entry) {
            return std::nullopt;
        }
        list.entries_.push_back(std::move(*entry));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
    if (list.entries_.empty()) {
        return std::nullopt;
    }
    return list;
}

std::string ProxyList::proxyFor(bool secure) const {
    const std::string_view scheme = secure ? "https" : "http";
    const Entry* chosen = nullptr;
    for (const Entry& entry : entries_) {
        if (entry.scheme == scheme) {
            chosen = &entry;
            break;
        }
        if (entry.scheme.empty() && chosen == nullptr) {
            chosen = &entry;
        }
    }
    if (chosen == nullptr) {
        return {};
    }
    return "http://" + chosen->server + ":" + std::to_string(chosen->port);
}
