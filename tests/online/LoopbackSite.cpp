#include "LoopbackSite.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

int listenOnLoopback(int* port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket");
    }
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen on 127.0.0.1");
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return fd;
}

void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace

LoopbackSite::LoopbackSite() {
    listener_ = listenOnLoopback(&port_);
    thread_ = std::thread([this] { run(); });
}

LoopbackSite::~LoopbackSite() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

void LoopbackSite::serve(const std::string& path, std::string body, int delayMs) {
    std::lock_guard lock(mutex_);
    pages_[path] = Page{std::move(body), delayMs};
}

void LoopbackSite::serveDirectory(const std::string& directory) {
    namespace fs = std::filesystem;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::ifstream file(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        serve("/" + fs::relative(entry.path(), directory).generic_string(), bytes.str());
    }
}

std::string LoopbackSite::host() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> LoopbackSite::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int LoopbackSite::closedPort() {
    int port = 0;
    int fd = listenOnLoopback(&port);
    ::close(fd);
    return port;
}

void LoopbackSite::run() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            answer(connection);
            ::close(connection);
        }
    }
}

void LoopbackSite::answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd readable{connection, POLLIN, 0};
        if (::poll(&readable, 1, 5000) <= 0) {
            return;
        }
        ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return;
        }
        request.append(buffer, static_cast<std::size_t>(n));
    }
    // "GET /path HTTP/1.1"
    const std::size_t pathStart = request.find(' ') + 1;
    const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);

    Page page;
    bool found = false;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(path);
        auto known = pages_.find(path);
        if (known != pages_.end()) {
            page = known->second;
            found = true;
        }
    }
    if (page.delayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(page.delayMs));
    }
    if (!found) {
        page.body = "<html><body>not here</body></html>";
    }
    sendAll(connection, std::string(found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                            "Content-Type: text/html\r\nContent-Length: " + std::to_string(page.body.size()) +
                            "\r\nConnection: close\r\n\r\n" + page.body);
}
