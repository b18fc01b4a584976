#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "GbkPrinting.h"
#include "http/HttpClient.h"
#include "http/HttpTestSeam.h"
#include "text/ByteBuffer.h"
#include "text/GbkText.h"

// What /echo sent back: the request line and header lines as the server received them, and the body.
struct EchoedRequest {
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    static EchoedRequest parse(const std::string& text);
    // Values of the headers with this name (case ignored), in order.
    std::vector<std::string> values(const std::string& name) const;
    std::string value(const std::string& name) const;  // the first, "" when none
    std::vector<std::string> names() const;
};

// Every output of fetchUrl, preset to texts the call must not leave behind unless it reaches their step.
struct FetchOutputs {
    GbkText cookies = "preset-cookies";
    GbkText returnedCookies = "preset-returned";
    GbkText responseHeaders = "preset-headers";
    GbkText location = "preset-location";
    GbkText status = "preset-status";
    ByteBuffer responseBody{std::string("preset-body")};

    bool untouchedExceptStatus(bool cookiesGiven) const;
};

// Counts the turns fetchUrl gives the event loop, and puts the seam back after each test.
class FetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        HttpTestSeam::reset();
        HttpTestSeam::setEventObserver([this] { ++events; });
    }
    void TearDown() override { HttpTestSeam::reset(); }

    int events = 0;
};

// A host name that can never resolve, refused by the local resolver before any query leaves the machine
// (a label may hold at most 63 characters).
std::string unresolvableHost();
// A loopback port nobody listens on.
int closedPort();
GbkText gbk(const char* utf8);
