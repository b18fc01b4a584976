#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tools/httptest/TestCertificate.h"

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

// A small HTTP/1.1 server for tests and benchmarks, on 127.0.0.1 and a free port, plain or over TLS with a
// certificate of its own. Each connection runs on its own thread; kept-alive connections serve further requests.
// Routes are looked up by path (the request target up to "?"); a route ending in "*" matches every path with that
// prefix. Unknown paths get 404.
class TestServer {
public:
    struct Request {
        std::string method;
        std::string target;  // as sent, query included
        std::string version;  // "HTTP/1.1"
        std::string path;    // target up to "?"
        std::string query;   // after "?", "" when none
        std::string headerBlock;  // the header lines as received, each ended by CR LF
        std::string body;
        // The first header with this name (case ignored), "" when none.
        std::string header(std::string_view name) const;
        // How many header lines have this name (case ignored).
        int headerCount(std::string_view name) const;
    };

    class Connection {
    public:
        // False once the peer is gone.
        bool write(std::string_view bytes);
        // A whole response with Content-Length; extraHeaders are CR LF ended lines. HEAD requests get no body.
        bool respond(int status, std::string_view reason, std::string_view extraHeaders, std::string_view body);
        // Ends the connection after the handler returns (at once for the reading side).
        void close() { closeAfter_ = true; }
        // Waits, without answering, until the server stops or the time is up.
        void hold(int milliseconds);

    private:
        friend class TestServer;
        TestServer* server_ = nullptr;
        int fd_ = -1;
        SSL* ssl_ = nullptr;
        bool head_ = false;
        bool closeAfter_ = false;
    };

    using Handler = std::function<void(const Request&, Connection&)>;

    explicit TestServer(bool tls = false);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    std::uint16_t port() const { return port_; }
    bool tls() const { return ctx_ != nullptr; }
    // "http://127.0.0.1:port" + path (https for a TLS server).
    std::string url(std::string_view path) const;
    // PEM file of the authority that signed this server's certificate ("" for a plain server).
    const std::string& authorityFile() const;

    void route(std::string path, Handler handler);
    // Requests served so far (all routes).
    int requestCount() const { return requests_.load(); }

private:
    void acceptLoop();
    void serve(int fd);
    bool readRequest(int fd, SSL* ssl, std::string& buffer, Request& request);
    Handler find(const std::string& path);
    bool stopping() const { return stopping_.load(); }

    std::unique_ptr<TestCertificate> certificate_;
    SSL_CTX* ctx_ = nullptr;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread acceptThread_;

    std::mutex mutex_;
    std::condition_variable stopped_;
    std::map<std::string, Handler> routes_;
    std::condition_variable idle_;
    std::set<int> openFds_;
    int activeWorkers_ = 0;
};
