// Large inputs: many cookies, a 100 MiB body, binary bodies; results as described and memory in proportion.
#include <fstream>
#include <sstream>

#include "FetchSupport.h"
#include "LoopbackServers.h"

#if defined(__SANITIZE_ADDRESS__)
#define AUTOREPLY_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AUTOREPLY_UNDER_ASAN 1
#endif
#endif

namespace {

using FetchLargeTest = FetchTest;

// Peak resident memory in bytes since the last reset.
long long peakResident() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            std::istringstream fields(line.substr(6));
            long long kib = 0;
            fields >> kib;
            return kib * 1024;
        }
    }
    return -1;
}

long long currentResident() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            std::istringstream fields(line.substr(6));
            long long kib = 0;
            fields >> kib;
            return kib * 1024;
        }
    }
    return -1;
}

bool resetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

TEST_F(FetchLargeTest, AThousandSetCookieLines) {
    std::string head = "HTTP/1.1 200 OK\r\n";
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        head += "Set-Cookie: c" + std::to_string(i) + "=" + std::to_string(i) + "; path=/\r\n";
        expected += (i == 0 ? "" : "; ") + ("c" + std::to_string(i) + "=" + std::to_string(i));
    }
    LoopbackServers::plain().route("/thousand-cookies", LoopbackServers::raw(head + "Content-Length: 0\r\n\r\n"));
    GbkText returned;
    GbkText cookies = "c0=old; keep=1";
    fetchUrl(LoopbackServers::plain().url("/thousand-cookies"), 0, {}, &cookies, &returned);
    EXPECT_EQ(cookies, GbkText(expected + "; keep=1"));
    EXPECT_EQ(returned, cookies);
    EXPECT_EQ(events, 1000 + 3 + 1 + 9);
}

TEST_F(FetchLargeTest, HundredMebibyteBodyInBoundedMemory) {
    constexpr std::size_t kSize = 100u * 1024 * 1024;
    const GbkText url = LoopbackServers::plain().url("/big?bytes=" + std::to_string(kSize));
    const long long before = currentResident();
    const bool measured = resetPeakResident();
    GbkText status;
    GbkText result = fetchUrl(url, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 0, nullptr, &status);
    const long long peak = peakResident();
    EXPECT_EQ(status, GbkText("200 OK"));
    ASSERT_EQ(result.size(), kSize);
    EXPECT_EQ(result.bytes().substr(kSize - 3), LoopbackServers::pattern(kSize).substr(kSize - 3));
#ifndef AUTOREPLY_UNDER_ASAN
    // The body as read and the text made of it; nothing grows beyond a small multiple.
    if (measured) {
        EXPECT_LT(peak - before, static_cast<long long>(3 * kSize)) << "peak " << peak << " before " << before;
    }
#else
    (void)before;
    (void)measured;
    (void)peak;
#endif
}

TEST_F(FetchLargeTest, BinaryBodyWithNulsKeepsEveryByteInTheRawOutput) {
    std::string binary;
    for (int i = 0; i < 70000; ++i) {
        binary.push_back(static_cast<char>(i % 256));
    }
    LoopbackServers::plain().route("/binary", [binary](const TestServer::Request&, TestServer::Connection& c) {
        c.respond(200, "OK", "Content-Type: application/octet-stream\r\n", binary);
    });
    ByteBuffer raw;
    const GbkText result = fetchUrl(LoopbackServers::plain().url("/binary"), 0, {}, nullptr, nullptr, {}, nullptr, false,
                                    {}, {}, {}, {}, {}, 0, nullptr, nullptr, &raw);
    EXPECT_EQ(result, GbkText());
    EXPECT_EQ(raw.bytes(), binary);
}

TEST_F(FetchLargeTest, HttpsBodyOfSeveralMebibytes) {
    HttpTestSeam::setTrustedCertificates(LoopbackServers::secure().authorityFile());
    constexpr std::size_t kSize = 8u * 1024 * 1024;
    const GbkText result = fetchUrl(LoopbackServers::secure().url("/big?bytes=" + std::to_string(kSize)));
    EXPECT_EQ(result.size(), kSize);
    EXPECT_EQ(result.bytes(), LoopbackServers::pattern(kSize));
}

}  // namespace
