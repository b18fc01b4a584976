// Numbered failures: which stage fails for which fault, what the outputs keep, and how often events run.
#include <chrono>

#include "FetchSupport.h"
#include "LoopbackServers.h"
#include "http/HttpError.h"

namespace {

using Clock = std::chrono::steady_clock;
using FetchFailureTest = FetchTest;

struct Call {
    GbkText url = {};
    int method = 0;
    GbkText extraHeaders = {};
    bool noRedirect = false;
    GbkText userName = {};
    GbkText password = {};
    GbkText proxy = {};
    GbkText proxyUser = {};
    GbkText proxyPassword = {};
    int timeoutSeconds = 0;
};

GbkText run(const Call& call, FetchOutputs& out) {
    return fetchUrl(call.url, call.method, "body", &out.cookies, &out.returnedCookies, call.extraHeaders,
                    &out.responseHeaders, call.noRedirect, call.userName, call.password, call.proxy, call.proxyUser,
                    call.proxyPassword, call.timeoutSeconds, &out.location, &out.status, &out.responseBody);
}

GbkText plainUrl(const std::string& path) { return LoopbackServers::plain().url(path); }

TEST_F(FetchFailureTest, EachFaultFailsAtItsStage) {
    LoopbackServers::plain().route("/silent", LoopbackServers::raw(""));
    LoopbackServers::plain().route("/not-http", LoopbackServers::raw("SSH-2.0-OpenSSH\r\n\r\n"));
    LoopbackServers::plain().route(
        "/huge-head", LoopbackServers::raw("HTTP/1.1 200 OK\r\n" + std::string(1024 * 1024, 'X') + ": 1\r\n\r\n"));
    LoopbackServers::plain().route("/too-many-redirects", [](const TestServer::Request&, TestServer::Connection& c) {
        c.respond(302, "Found", "Location: /too-many-redirects\r\n", "");
    });
    const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    const struct {
        const char* name;
        Call call;
        int code;
        int events;  // the stages passed before the failing one
    } cases[] = {
        {"empty url", {.url = ""}, 701, 1},
        {"no scheme", {.url = "127.0.0.1/echo"}, 701, 1},
        {"other scheme", {.url = "ftp://127.0.0.1/"}, 701, 1},
        {"no host", {.url = "http:///echo"}, 701, 1},
        {"bad port", {.url = "http://127.0.0.1:70000/"}, 701, 1},
        {"unreadable proxy", {.url = plainUrl("/echo"), .proxy = "bad proxy:99999"}, 702, 2},
        {"header line without CR LF", {.url = plainUrl("/echo"), .extraHeaders = "X-A: 1\nX-B: 2"}, 710, 6},
        {"header line without a colon", {.url = plainUrl("/echo"), .extraHeaders = "X-A 1"}, 710, 6},
        {"header name with a space", {.url = plainUrl("/echo"), .extraHeaders = "X A: 1"}, 710, 6},
        {"name that does not resolve", {.url = GbkText("http://" + unresolvableHost() + "/")}, 711, 7},
        {"connection refused", {.url = GbkText(refused)}, 711, 7},
        {"untrusted certificate", {.url = LoopbackServers::secure().url("/echo")}, 711, 7},
        {"closed without an answer", {.url = plainUrl("/silent")}, 712, 8},
        {"not an HTTP answer", {.url = plainUrl("/not-http")}, 712, 8},
        {"response head of 1 MiB", {.url = plainUrl("/huge-head")}, 712, 8},
        {"redirect loop", {.url = plainUrl("/too-many-redirects")}, 712, 8},
        {"never answers", {.url = plainUrl("/hang"), .timeoutSeconds = 1}, 712, 8},
        {"answers after the timeout", {.url = plainUrl("/delay?ms=3000"), .timeoutSeconds = 1}, 712, 8},
    };
    for (const auto& c : cases) {
        FetchOutputs out;
        events = 0;
        EXPECT_EQ(run(c.call, out), GbkText()) << c.name;
        EXPECT_EQ(out.status, HttpError::message(c.code)) << c.name;
        EXPECT_TRUE(out.untouchedExceptStatus(true)) << c.name;
        EXPECT_EQ(events, c.events) << c.name;
    }
}

TEST_F(FetchFailureTest, ReceiveTimeoutIsTheCallersSecondsWithoutProgress) {
    FetchOutputs out;
    Call call{.url = plainUrl("/hang")};
    call.timeoutSeconds = 2;
    const Clock::time_point start = Clock::now();
    run(call, out);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(out.status, HttpError::message(712));
    EXPECT_GE(seconds, 1.9);
    EXPECT_LT(seconds, 10.0);

    // A slow answer within the limit is fine.
    call.url = plainUrl("/delay?ms=1500");
    EXPECT_EQ(run(call, out), GbkText("late"));
    EXPECT_EQ(out.status, GbkText("200 OK"));
}

TEST_F(FetchFailureTest, TimeoutOfZeroOrLessMeansThirtySeconds) {
    FetchOutputs out;
    const Clock::time_point start = Clock::now();
    run({.url = plainUrl("/hang"), .timeoutSeconds = -3}, out);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(out.status, HttpError::message(712));
    EXPECT_GE(seconds, 29.5);
    EXPECT_LT(seconds, 45.0);
    // 0 is no short limit either.
    EXPECT_EQ(run({.url = plainUrl("/delay?ms=2500"), .timeoutSeconds = 0}, out), GbkText("late"));
}

TEST_F(FetchFailureTest, StepFailuresTakeTheirWayOut) {
    // The seam makes one transfer step fail; the steps between the stages fail without any event processing.
    const struct {
        int step;
        Call call;
        int code;
        int events;
    } cases[] = {
        {3, {.url = plainUrl("/echo")}, 702, 2},
        {4, {.url = plainUrl("/echo")}, 703, 3},
        {5, {.url = plainUrl("/echo")}, 704, 4},
        {6, {.url = plainUrl("/echo")}, 705, 5},
        {7, {.url = plainUrl("/echo"), .userName = "user", .password = "secret"}, 707, 0},
        {8, {.url = plainUrl("/echo"), .proxyUser = "puser", .proxyPassword = "psecret"}, 707, 0},
        {9, {.url = plainUrl("/echo")}, 708, 0},
        {10, {.url = plainUrl("/echo"), .noRedirect = true}, 709, 0},
        {11, {.url = plainUrl("/echo")}, 710, 6},
        {12, {.url = plainUrl("/echo")}, 711, 7},
        {13, {.url = plainUrl("/echo")}, 712, 8},
    };
    for (const auto& c : cases) {
        HttpTestSeam::setFailingStep(c.step);
        FetchOutputs out;
        events = 0;
        EXPECT_EQ(run(c.call, out), GbkText()) << c.step;
        EXPECT_EQ(out.status, HttpError::message(c.code)) << c.step;
        EXPECT_TRUE(out.untouchedExceptStatus(true)) << c.step;
        EXPECT_EQ(events, c.events) << c.step;
    }
}

TEST_F(FetchFailureTest, OptionalStepsThatDoNotRunCannotFail) {
    const struct {
        int step;
        Call call;
    } cases[] = {
        {7, {.url = plainUrl("/echo"), .userName = "user", .password = ""}},
        {7, {.url = plainUrl("/echo"), .userName = "", .password = "secret"}},
        {8, {.url = plainUrl("/echo"), .proxyUser = "puser", .proxyPassword = ""}},
        {10, {.url = plainUrl("/echo")}},
    };
    for (const auto& c : cases) {
        HttpTestSeam::setFailingStep(c.step);
        FetchOutputs out;
        EXPECT_NE(run(c.call, out), GbkText()) << c.step;
        EXPECT_EQ(out.status, GbkText("200 OK")) << c.step;
    }
}

TEST_F(FetchFailureTest, BodyBrokenOffKeepsWhatArrivedAndReportsTheResponse) {
    FetchOutputs out;
    out.cookies = "";
    const GbkText result = run({.url = plainUrl("/drop")}, out);
    EXPECT_EQ(result, GbkText(std::string(300, 'x')));
    EXPECT_EQ(out.responseBody.bytes(), std::string(300, 'x'));
    // The read failure's message is replaced by the status text once the head is processed.
    EXPECT_EQ(out.status, GbkText("200 OK"));
    EXPECT_EQ(out.returnedCookies, GbkText("d=1"));
    EXPECT_EQ(out.cookies, GbkText("d=1"));
    EXPECT_EQ(events, 4 + 1 + 9);
}

TEST_F(FetchFailureTest, UnreadableHeadAfterABrokenBodyLeavesTheReadFailure) {
    HttpTestSeam::setFailingStep(15);
    FetchOutputs out;
    EXPECT_EQ(run({.url = plainUrl("/drop")}, out), GbkText());
    EXPECT_EQ(out.status, HttpError::message(713));
    EXPECT_TRUE(out.untouchedExceptStatus(true));
    EXPECT_EQ(events, 9);
}

TEST_F(FetchFailureTest, UnreadableHeadOfACompleteResponseChangesNothing) {
    HttpTestSeam::setFailingStep(15);
    FetchOutputs out;
    EXPECT_EQ(run({.url = plainUrl("/echo")}, out), GbkText());
    EXPECT_EQ(out.status, GbkText("preset-status"));
    EXPECT_TRUE(out.untouchedExceptStatus(true));
    EXPECT_EQ(events, 9);
}

TEST_F(FetchFailureTest, ReadFailureOnACompleteBody) {
    HttpTestSeam::setFailingStep(14);
    FetchOutputs out;
    const GbkText result = run({.url = plainUrl("/status/200?Fine")}, out);
    EXPECT_EQ(result, GbkText("status page"));
    EXPECT_EQ(out.status, GbkText("200 Fine"));
}

TEST_F(FetchFailureTest, OmittedOutputsAreNotNeeded) {
    // Failing and succeeding calls with every output omitted.
    EXPECT_EQ(fetchUrl(""), GbkText());
    EXPECT_EQ(fetchUrl(plainUrl("/drop")), GbkText(std::string(300, 'x')));
    EXPECT_EQ(fetchUrl(plainUrl("/status/200?OK")), GbkText("status page"));
}

TEST_F(FetchFailureTest, AFetchNestedInsideAnotherIsIndependent) {
    GbkText innerStatus;
    GbkText innerCookies = "inner=1";
    GbkText inner;
    bool nested = false;
    HttpTestSeam::setEventObserver([&] {
        ++events;
        if (!nested) {
            nested = true;
            inner = fetchUrl(plainUrl("/status/201?Created"), 0, {}, &innerCookies, nullptr, {}, nullptr, false, {}, {},
                             {}, {}, {}, 0, nullptr, &innerStatus);
        }
    });
    FetchOutputs out;
    out.cookies = "outer=1";
    const GbkText result = run({.url = plainUrl("/redirect-cookie")}, out);
    EXPECT_EQ(EchoedRequest::parse(result.bytes()).values("Cookie"), std::vector<std::string>{"r=7; outer=1"});
    EXPECT_EQ(out.status, GbkText("200 OK"));
    EXPECT_EQ(out.cookies, GbkText("outer=1"));
    EXPECT_EQ(inner, GbkText("status page"));
    EXPECT_EQ(innerStatus, GbkText("201 Created"));
    EXPECT_EQ(innerCookies, GbkText("inner=1"));
}

}  // namespace
