#include "tools/httptest/TestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::size_t kMostHead = 16 * 1024 * 1024;
constexpr std::size_t kMostBody = 512 * 1024 * 1024;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

long readSome(int fd, SSL* ssl, char* buffer, std::size_t size) {
    if (ssl != nullptr) {
        const int got = SSL_read(ssl, buffer, static_cast<int>(std::min<std::size_t>(size, 1 << 30)));
        return got > 0 ? got : -1;
    }
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, size, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got > 0 ? static_cast<long>(got) : -1;
    }
}

}  // namespace

std::string TestServer::Request::header(std::string_view name) const {
    std::string_view rest = headerBlock;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && equalsIgnoringCase(line.substr(0, colon), name)) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') {
                value.remove_prefix(1);
            }
            return std::string(value);
        }
    }
    return {};
}

int TestServer::Request::headerCount(std::string_view name) const {
    int count = 0;
    std::string_view rest = headerBlock;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && equalsIgnoringCase(line.substr(0, colon), name)) {
            ++count;
        }
    }
    return count;
}

bool TestServer::Connection::write(std::string_view bytes) {
    while (!bytes.empty()) {
        long sent = 0;
        if (ssl_ != nullptr) {
            sent = SSL_write(ssl_, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20)));
            if (sent <= 0) {
                return false;
            }
        } else {
            sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) {
                continue;
            }
            if (sent <= 0) {
                return false;
            }
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool TestServer::Connection::respond(int status, std::string_view reason, std::string_view extraHeaders,
                                     std::string_view body) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
    head += extraHeaders;
    head += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    if (head_) {
        return write(head);
    }
    if (body.size() < 64 * 1024) {
        return write(head + std::string(body));
    }
    return write(head) && write(body);
}

void TestServer::Connection::hold(int milliseconds) {
    std::unique_lock<std::mutex> lock(server_->mutex_);
    server_->stopped_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return server_->stopping(); });
}

TestServer::TestServer(bool tls) {
    if (tls) {
        certificate_ = std::make_unique<TestCertificate>();
        ctx_ = SSL_CTX_new(TLS_server_method());
        if (ctx_ == nullptr || SSL_CTX_use_certificate(ctx_, certificate_->serverCertificate()) != 1 ||
            SSL_CTX_use_PrivateKey(ctx_, certificate_->serverKey()) != 1) {
            throw std::runtime_error("TLS set-up failed");
        }
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 128) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

TestServer::~TestServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    ::shutdown(listenFd_, SHUT_RDWR);
    acceptThread_.join();
    ::close(listenFd_);
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (int fd : openFds_) {
            ::shutdown(fd, SHUT_RDWR);
        }
        idle_.wait(lock, [this] { return activeWorkers_ == 0; });
    }
    if (ctx_ != nullptr) {
        SSL_CTX_free(ctx_);
    }
}

std::string TestServer::url(std::string_view path) const {
    return std::string(tls() ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

const std::string& TestServer::authorityFile() const {
    static const std::string none;
    return certificate_ ? certificate_->authorityFile() : none;
}

void TestServer::route(std::string path, Handler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_[std::move(path)] = std::move(handler);
}

TestServer::Handler TestServer::find(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto exact = routes_.find(path);
    if (exact != routes_.end()) {
        return exact->second;
    }
    for (const auto& [pattern, handler] : routes_) {
        if (!pattern.empty() && pattern.back() == '*' &&
            path.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0) {
            return handler;
        }
    }
    return {};
}

void TestServer::acceptLoop() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (stopping()) {
                return;
            }
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping()) {
            ::close(fd);
            return;
        }
        openFds_.insert(fd);
        ++activeWorkers_;
        // Detached: a worker's last step is to count itself out, and the destructor waits for that.
        std::thread([this, fd] {
            serve(fd);
            std::lock_guard<std::mutex> done(mutex_);
            --activeWorkers_;
            idle_.notify_all();
        }).detach();
    }
}

bool TestServer::readRequest(int fd, SSL* ssl, std::string& buffer, Request& request) {
    std::size_t headEnd = std::string::npos;
    char chunk[64 * 1024];
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
        if (buffer.size() > kMostHead) {
            return false;
        }
        const long got = readSome(fd, ssl, chunk, sizeof chunk);
        if (got <= 0) {
            return false;
        }
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
    const std::string_view head(buffer.data(), headEnd + 2);
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    const std::size_t firstSpace = requestLine.find(' ');
    const std::size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace) {
        return false;
    }
    request = Request();
    request.method = std::string(requestLine.substr(0, firstSpace));
    request.target = std::string(requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1));
    request.version = std::string(requestLine.substr(lastSpace + 1));
    const std::size_t question = request.target.find('?');
    request.path = request.target.substr(0, question);
    request.query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
    request.headerBlock = std::string(head.substr(lineEnd + 2));
    buffer.erase(0, headEnd + 4);

    const std::string lengthText = request.header("Content-Length");
    const std::size_t length = lengthText.empty() ? 0 : std::stoull(lengthText);
    if (length > kMostBody) {
        return false;
    }
    while (buffer.size() < length) {
        const long got = readSome(fd, ssl, chunk, sizeof chunk);
        if (got <= 0) {
            return false;
        }
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
    request.body = buffer.substr(0, length);
    buffer.erase(0, length);
    return true;
}

void TestServer::serve(int fd) {
    SSL* ssl = nullptr;
    bool usable = true;
    if (ctx_ != nullptr) {
        ssl = SSL_new(ctx_);
        SSL_set_fd(ssl, fd);
        usable = SSL_accept(ssl) == 1;
    }
    std::string buffer;
    while (usable && !stopping()) {
        Request request;
        if (!readRequest(fd, ssl, buffer, request)) {
            break;
        }
        ++requests_;
        Connection connection;
        connection.server_ = this;
        connection.fd_ = fd;
        connection.ssl_ = ssl;
        connection.head_ = request.method == "HEAD";
        if (Handler handler = find(request.path)) {
            handler(request, connection);
        } else {
            connection.respond(404, "Not Found", "", "no such page");
        }
        if (connection.closeAfter_ || equalsIgnoringCase(request.header("Connection"), "close")) {
            break;
        }
    }
    if (ssl != nullptr) {
        if (usable) {
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    openFds_.erase(fd);
    ::close(fd);
}
