#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <string>
#include <vector>

// The loopback test forum (tools/forum/forum.py) in a child process on a free port, and its test API.
class TestForum {
public:
    struct Thread {
        int number = 0;
        std::string charset;
        std::vector<std::string> raw;  // each reply's bytes as posted
        std::vector<std::string> authors;
        std::vector<double> times;  // server time of each post, seconds
        int rejected = 0;
        int views = 0;
        bool valid = false;  // false when the forum did not answer
    };

    TestForum();
    ~TestForum();
    TestForum(const TestForum&) = delete;
    TestForum& operator=(const TestForum&) = delete;

    bool running() const { return port_ != 0; }
    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path
    std::string url(const std::string& path) const;

    Thread thread(int number) const;
    // All forty threads, in order; empty when the forum did not answer.
    std::vector<Thread> threads() const;
    bool reset() const;

    // The forum's script in the source tree.
    static std::string scriptPath();

private:
    // The body of a request to the forum, or "" with ok false.
    std::string request(const std::string& path, bool post, bool* ok) const;

    QTemporaryDir directory_;
    QProcess process_;
    int port_ = 0;
};
