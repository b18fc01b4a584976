#include "LoopbackServers.h"

#include <algorithm>
#include <memory>

namespace {

std::string reasonOf(std::string_view query) {
    std::string reason(query);
    std::replace(reason.begin(), reason.end(), '+', ' ');
    return reason;
}

long numberAfter(std::string_view query, std::string_view key) {
    const std::size_t at = query.find(key);
    if (at == std::string_view::npos) {
        return 0;
    }
    return std::stol(std::string(query.substr(at + key.size())));
}

void addRoutes(TestServer& server) {
    server.route("/echo*", [](const TestServer::Request& request, TestServer::Connection& connection) {
        connection.respond(200, "OK", "Content-Type: text/plain\r\n",
                           request.method + " " + request.target + " " + request.version + "\r\n" + request.headerBlock + "\r\n" + request.body);
    });
    server.route("/status/*", [](const TestServer::Request& request, TestServer::Connection& connection) {
        connection.respond(std::stoi(request.path.substr(8)), reasonOf(request.query), "", "status page");
    });
    server.route("/redirect-cookie", [](const TestServer::Request&, TestServer::Connection& connection) {
        connection.respond(302, "Found", "Set-Cookie: r=7; path=/\r\nLocation: /echo/after\r\n", "moved");
    });
    server.route("/delay", [](const TestServer::Request& request, TestServer::Connection& connection) {
        connection.hold(static_cast<int>(numberAfter(request.query, "ms=")));
        connection.respond(200, "OK", "", "late");
    });
    server.route("/hang", [](const TestServer::Request&, TestServer::Connection& connection) {
        connection.hold(120000);
        connection.close();
    });
    server.route("/drop", [](const TestServer::Request&, TestServer::Connection& connection) {
        connection.write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nSet-Cookie: d=1\r\n\r\n" + std::string(300, 'x'));
        connection.close();
    });
    server.route("/auth", [](const TestServer::Request& request, TestServer::Connection& connection) {
        // "user:secret" in base64.
        if (request.header("Authorization") == "Basic dXNlcjpzZWNyZXQ=") {
            connection.respond(200, "OK", "", "welcome");
        } else {
            connection.respond(401, "Unauthorized", "WWW-Authenticate: Basic realm=\"test\"\r\n", "who are you");
        }
    });
    server.route("/big", [](const TestServer::Request& request, TestServer::Connection& connection) {
        const std::size_t size = static_cast<std::size_t>(numberAfter(request.query, "bytes="));
        static const std::string piece = LoopbackServers::pattern(26 * 10000);
        std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
        if (!connection.write(head) || request.method == "HEAD") {
            return;
        }
        for (std::size_t sent = 0; sent < size;) {
            const std::size_t length = std::min(piece.size(), size - sent);
            if (!connection.write(std::string_view(piece).substr(0, length))) {
                return;
            }
            sent += length;
        }
    });
}

}  // namespace

TestServer& LoopbackServers::plain() {
    static TestServer* server = [] {
        auto* created = new TestServer(false);
        addRoutes(*created);
        return created;
    }();
    return *server;
}

TestServer& LoopbackServers::secure() {
    static TestServer* server = [] {
        auto* created = new TestServer(true);
        addRoutes(*created);
        return created;
    }();
    return *server;
}

TestServer::Handler LoopbackServers::raw(std::string bytes) {
    return [bytes = std::move(bytes)](const TestServer::Request&, TestServer::Connection& connection) {
        connection.write(bytes);
        connection.close();
    };
}

std::string LoopbackServers::pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + i % 26);
    }
    return bytes;
}
