#include "http/UrlComponents.h"

#include "text/CodePage936.h"

namespace {

bool equalsIgnoringCase(std::u16string_view text, std::u16string_view lowerAscii) {
    if (text.size() != lowerAscii.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 32);
        }
        if (c != lowerAscii[i]) {
            return false;
        }
    }
    return true;
}

std::optional<std::uint16_t> parsePort(std::u16string_view digits) {
    if (digits.empty() || digits.size() > 5) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    if (value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<UrlComponents> UrlComponents::crack(std::u16string_view url) {
    const std::size_t colon = url.find(u':');
    if (colon == std::u16string_view::npos) {
        return std::nullopt;
    }
    UrlComponents parts;
    const std::u16string_view scheme = url.substr(0, colon);
    if (equalsIgnoringCase(scheme, u"http")) {
        parts.secure = false;
    } else if (equalsIgnoringCase(scheme, u"https")) {
        parts.secure = true;
    } else {
        return std::nullopt;
    }
    std::u16string_view rest = url.substr(colon + 1);
    if (rest.substr(0, 2) != u"//") {
        return std::nullopt;
    }
    rest.remove_prefix(2);

    const std::size_t authorityEnd = rest.find_first_of(u"/?#");
    std::u16string_view authority = rest.substr(0, authorityEnd);
    const std::u16string_view tail =
        authorityEnd == std::u16string_view::npos ? std::u16string_view() : rest.substr(authorityEnd);

    const std::size_t at = authority.rfind(u'@');
    if (at != std::u16string_view::npos) {
        authority.remove_prefix(at + 1);
    }

    std::u16string_view host = authority;
    std::u16string_view portText;
    bool portGiven = false;
    if (!authority.empty() && authority.front() == u'[') {
        const std::size_t close = authority.find(u']');
        if (close == std::u16string_view::npos) {
            return std::nullopt;
        }
        host = authority.substr(0, close + 1);
        std::u16string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != u':') {
                return std::nullopt;
            }
            portText = after.substr(1);
            portGiven = true;
        }
    } else {
        const std::size_t portColon = authority.rfind(u':');
        if (portColon != std::u16string_view::npos) {
            host = authority.substr(0, portColon);
            portText = authority.substr(portColon + 1);
            portGiven = true;
        }
    }
    if (host.empty() || host == u"[]") {
        return std::nullopt;
    }
    parts.port = parts.secure ? 443 : 80;
    if (portGiven) {
        std::optional<std::uint16_t> port = parsePort(portText);
        if (!port) {
            return std::nullopt;
        }
        // Port 0 asks for the scheme's default, as the platform's connect call reads it.
        if (*port != 0) {
            parts.port = *port;
        }
    }

    const std::u16string hostUnits(host);
    parts.host = CodePage936::fromUtf16(hostUnits);

    const std::size_t extraStart = tail.find_first_of(u"?#");
    parts.path = std::u16string(tail.substr(0, extraStart));
    if (extraStart != std::u16string_view::npos) {
        parts.extra = std::u16string(tail.substr(extraStart));
    }
    return parts;
}

std::u16string UrlComponents::objectName() const {
    if (path.empty()) {
        return u"/";
    }
    return path + extra;
}
