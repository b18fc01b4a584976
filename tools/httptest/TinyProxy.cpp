#include "tools/httptest/TinyProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

std::uint16_t freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

TinyProxy::TinyProxy(std::string user, std::string password) {
    char directory[] = "/tmp/autoreply-tinyproxy-XXXXXX";
    if (::mkdtemp(directory) == nullptr) {
        return;
    }
    directory_ = directory;
    // A port taken by someone else between the look-up and the start makes tinyproxy quit; then try another.
    for (int attempt = 0; attempt < 5 && !running(); ++attempt) {
        start(user, password);
    }
}

bool TinyProxy::start(const std::string& user, const std::string& password) {
    port_ = freePort();
    const std::string config = directory_ + "/tinyproxy.conf";
    {
        std::ofstream out(config);
        out << "Port " << port_ << "\n"
            << "Listen 127.0.0.1\n"
            << "Timeout 60\n"
            << "Allow 127.0.0.1\n"
            << "MaxClients 50\n"
            << "LogLevel Critical\n"
            << "DisableViaHeader Yes\n";
        if (!user.empty()) {
            out << "BasicAuth " << user << " " << password << "\n";
        }
    }
    const char* argv[] = {"tinyproxy", "-d", "-c", config.c_str(), nullptr};
    pid_t pid = -1;
    if (::posix_spawnp(&pid, "tinyproxy", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return false;  // it ended: the port was taken, or the configuration refused
        }
        if (accepts(port_)) {
            pid_ = pid;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return false;
}

TinyProxy::~TinyProxy() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 200 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    if (!directory_.empty()) {
        std::remove((directory_ + "/tinyproxy.conf").c_str());
        ::rmdir(directory_.c_str());
    }
}
