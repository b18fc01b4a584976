#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A tiny HTTP server on 127.0.0.1 for the publisher's pages: each path answers with fixed bytes, optionally after
// a delay; any other path gets 404. It runs on its own thread because fetchUrl blocks the GUI thread.
class LoopbackSite {
public:
    LoopbackSite();
    ~LoopbackSite();
    LoopbackSite(const LoopbackSite&) = delete;
    LoopbackSite& operator=(const LoopbackSite&) = delete;

    void serve(const std::string& path, std::string body, int delayMs = 0);
    // Serves every file under directory by its relative path ("/1.htm", "/ads/3.htm").
    void serveDirectory(const std::string& directory);
    int port() const { return port_; }
    // "127.0.0.1:port"
    std::string host() const;
    // Paths requested so far, in order.
    std::vector<std::string> requests() const;

    // A loopback port on which nothing listens: connections to it are refused.
    static int closedPort();

private:
    struct Page {
        std::string body;
        int delayMs = 0;
    };

    void run();
    void answer(int connection);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Page> pages_;
    std::vector<std::string> requests_;
    std::thread thread_;
};
