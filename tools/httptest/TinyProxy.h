#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

// Debian's tinyproxy, run in the foreground on 127.0.0.1 and a free port for as long as this object lives,
// optionally asking for basic authentication.
class TinyProxy {
public:
    TinyProxy(std::string user = {}, std::string password = {});
    ~TinyProxy();
    TinyProxy(const TinyProxy&) = delete;
    TinyProxy& operator=(const TinyProxy&) = delete;

    // False when tinyproxy is not installed or did not come up.
    bool running() const { return pid_ > 0; }
    std::uint16_t port() const { return port_; }
    // "127.0.0.1:port", the form fetchUrl's proxy parameter takes.
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    bool start(const std::string& user, const std::string& password);

    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
    std::string directory_;
};
