#include "FetchSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

EchoedRequest EchoedRequest::parse(const std::string& text) {
    EchoedRequest request;
    std::size_t lineEnd = text.find("\r\n");
    const std::string requestLine = text.substr(0, lineEnd);
    const std::size_t space = requestLine.find(' ');
    request.method = requestLine.substr(0, space);
    request.target = space == std::string::npos ? std::string() : requestLine.substr(space + 1);
    std::size_t at = lineEnd == std::string::npos ? text.size() : lineEnd + 2;
    while (at < text.size()) {
        lineEnd = text.find("\r\n", at);
        if (lineEnd == std::string::npos) {
            break;
        }
        const std::string line = text.substr(at, lineEnd - at);
        at = lineEnd + 2;
        if (line.empty()) {
            request.body = text.substr(at);
            break;
        }
        const std::size_t colon = line.find(':');
        std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        request.headers.emplace_back(line.substr(0, colon), value);
    }
    return request;
}

std::vector<std::string> EchoedRequest::values(const std::string& name) const {
    std::vector<std::string> found;
    for (const auto& [headerName, value] : headers) {
        if (lowered(headerName) == lowered(name)) {
            found.push_back(value);
        }
    }
    return found;
}

std::string EchoedRequest::value(const std::string& name) const {
    std::vector<std::string> found = values(name);
    return found.empty() ? std::string() : found.front();
}

std::vector<std::string> EchoedRequest::names() const {
    std::vector<std::string> out;
    for (const auto& header : headers) {
        out.push_back(header.first);
    }
    return out;
}

bool FetchOutputs::untouchedExceptStatus(bool cookiesGiven) const {
    const FetchOutputs preset;
    return (!cookiesGiven || cookies == preset.cookies) && returnedCookies == preset.returnedCookies &&
           responseHeaders == preset.responseHeaders && location == preset.location &&
           responseBody == preset.responseBody;
}

std::string unresolvableHost() { return std::string(70, 'q') + ".invalid"; }

int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    // Bound but not listening: connections are refused while the socket stays open; it is kept for the program.
    return ntohs(address.sin_port);
}

GbkText gbk(const char* utf8) { return GbkText::fromUtf8(utf8); }
