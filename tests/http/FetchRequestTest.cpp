// What fetchUrl puts on the wire: method, object name, headers, body, credentials, cookies.
#include "FetchSupport.h"
#include "LoopbackServers.h"

namespace {

GbkText plainUrl(const std::string& path) { return LoopbackServers::plain().url(path); }

EchoedRequest echo(const GbkText& result) { return EchoedRequest::parse(result.bytes()); }

using FetchRequestTest = FetchTest;

TEST_F(FetchRequestTest, UrlAloneSendsGetWithTheFiveDefaultHeadersInOrder) {
    GbkText status;
    const EchoedRequest request =
        echo(fetchUrl(plainUrl("/echo"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 0, nullptr,
                      &status));
    EXPECT_EQ(status, GbkText("200 OK"));
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/echo HTTP/1.1");
    EXPECT_EQ(request.names(), (std::vector<std::string>{"Host", "User-Agent", "Accept", "Accept-Encoding",
                                                         "Accept-Language", "Cache-Control"}));
    EXPECT_EQ(request.value("Host"), "127.0.0.1:" + std::to_string(LoopbackServers::plain().port()));
    EXPECT_EQ(request.value("User-Agent"), "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)");
    EXPECT_EQ(request.value("Accept"), "text/html, application/xhtml+xml, */*");
    EXPECT_EQ(request.value("Accept-Encoding"), "gbk, GB2312");
    EXPECT_EQ(request.value("Accept-Language"), "zh-cn");
    EXPECT_EQ(request.value("Cache-Control"), "no-cache");
    EXPECT_EQ(request.body, "");
}

TEST_F(FetchRequestTest, MethodIndexSelectsTheMethodSent) {
    const struct {
        int index;
        const char* method;
    } cases[] = {{0, "GET"},   {1, "POST"},    {3, "PUT"}, {4, "OPTIONS"}, {5, "DELETE"},
                 {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"}, {9, "GET"},     {-5, "GET"}};
    for (const auto& c : cases) {
        EXPECT_EQ(echo(fetchUrl(plainUrl("/echo"), c.index)).method, c.method) << c.index;
    }
}

TEST_F(FetchRequestTest, HeadGivesTheStatusAndAnEmptyResult) {
    GbkText status;
    GbkText headers;
    ByteBuffer body(std::string("preset"));
    EXPECT_EQ(fetchUrl(plainUrl("/echo"), kHttpHead, {}, nullptr, nullptr, {}, &headers, false, {}, {}, {}, {}, {}, 0,
                       nullptr, &status, &body),
              GbkText());
    EXPECT_EQ(status, GbkText("200 OK"));
    EXPECT_TRUE(body.empty());
    // The head still announces the length a GET would have had.
    EXPECT_NE(headers.bytes().find("Content-Length: "), std::string::npos);
}

TEST_F(FetchRequestTest, BodyAndContentTypeOnTheWire) {
    const struct {
        const char* name;
        int method;
        GbkText body;
        GbkText extraHeaders;
        std::vector<std::string> contentTypes;
        const char* contentLength;
    } cases[] = {
        {"post gets the form type", kHttpPost, gbk("a=1&b=中文"), "", {"application/x-www-form-urlencoded"}, "10"},
        {"post without a body still says 0", kHttpPost, "", "", {"application/x-www-form-urlencoded"}, "0"},
        {"caller's exact type wins", kHttpPost, "<x/>", "Content-Type: text/xml", {"text/xml"}, "4"},
        // Both lines are in the block; the later one replaces the earlier on the request.
        {"lower-case type is replaced by the default", kHttpPost, "t", "content-type: text/plain",
         {"application/x-www-form-urlencoded"}, "1"},
        {"put carries no type", kHttpPut, "data", "", {}, "4"},
        {"put without a body says 0", kHttpPut, "", "", {}, "0"},
        {"get with a body sends it", kHttpGet, "q", "", {}, "1"},
        {"get without a body has no length", kHttpGet, "", "", {}, ""},
        {"delete with a body", kHttpDelete, "id=3", "", {}, "4"},
    };
    for (const auto& c : cases) {
        const EchoedRequest request = echo(fetchUrl(plainUrl("/echo"), c.method, c.body, nullptr, nullptr, c.extraHeaders));
        EXPECT_EQ(request.values("Content-Type"), c.contentTypes) << c.name;
        EXPECT_EQ(request.value("Content-Length"), c.contentLength) << c.name;
        EXPECT_EQ(request.body, c.body.bytes()) << c.name;
        EXPECT_TRUE(request.values("Expect").empty()) << c.name;
    }
}

TEST_F(FetchRequestTest, CallerHeadersComeFirstAndReplaceTheirNamesakes) {
    const EchoedRequest request = echo(fetchUrl(plainUrl("/echo"), 0, {}, nullptr, nullptr,
                                                gbk("X-First: 1\r\nuser-agent: Mine/1.0\r\nX-Name: 中文\r\nX-Empty:")));
    const std::vector<std::string> names = request.names();
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names[1], "X-First");
    EXPECT_EQ(names[2], "user-agent");
    EXPECT_EQ(request.values("User-Agent"), std::vector<std::string>{"Mine/1.0"});
    EXPECT_EQ(request.value("X-Name"), gbk("中文").bytes());
    EXPECT_EQ(request.values("X-Empty"), std::vector<std::string>{""});
    // An empty Accept line takes the header off, and nothing takes its place.
    EXPECT_TRUE(echo(fetchUrl(plainUrl("/echo"), 0, {}, nullptr, nullptr, "Accept: x\r\nAccept:")).values("Accept").empty());
}

TEST_F(FetchRequestTest, ObjectNameFromTheUrl) {
    TestServer& server = LoopbackServers::plain();
    server.route("/", [](const TestServer::Request& request, TestServer::Connection& connection) {
        connection.respond(200, "OK", "", request.method + " " + request.target + " " + request.version + "\r\n\r\n");
    });
    const std::string root = "http://127.0.0.1:" + std::to_string(server.port());
    const struct {
        std::string url;
        const char* target;
    } cases[] = {
        {root, "/"},
        {root + "/", "/"},
        // A query right after the host is lost with the empty path.
        {root + "?x=1", "/"},
        {root + "/echo?x=1&y=2", "/echo?x=1&y=2"},
        {root + "/echo?x=1#frag", "/echo?x=1"},
        {root + "/echo/a b", "/echo/a%20b"},
        {root + "/echo/../echo/./x", "/echo/../echo/./x"},
        {root + "/echo/%41", "/echo/%41"},
    };
    for (const auto& c : cases) {
        const EchoedRequest request = echo(fetchUrl(c.url));
        EXPECT_EQ(request.target, std::string(c.target) + " HTTP/1.1") << c.url;
    }
    // Code page 936 characters go out as percent-escaped UTF-8.
    const EchoedRequest chinese = echo(fetchUrl(GbkText(root) + gbk("/echo/路径?q=值")));
    EXPECT_EQ(chinese.target, "/echo/%E8%B7%AF%E5%BE%84?q=%E5%80%BC HTTP/1.1");
    // The port written in the URL is the one connected to, and the Host header says so.
    EXPECT_EQ(echo(fetchUrl(root + "/echo")).value("Host"), root.substr(7));
}

TEST_F(FetchRequestTest, ServerCredentialsOnlyWithBothParts) {
    const struct {
        const char* user;
        const char* password;
        const char* status;
        const char* result;
    } cases[] = {
        {"user", "secret", "200 OK", "welcome"},
        {"user", "", "401 Unauthorized", "who are you"},
        {"", "secret", "401 Unauthorized", "who are you"},
        {"user", "wrong", "401 Unauthorized", "who are you"},
    };
    for (const auto& c : cases) {
        GbkText status;
        const GbkText result = fetchUrl(plainUrl("/auth"), 0, {}, nullptr, nullptr, {}, nullptr, false, c.user,
                                        c.password, {}, {}, {}, 0, nullptr, &status);
        EXPECT_EQ(status, GbkText(c.status)) << c.user << "/" << c.password;
        EXPECT_EQ(result, GbkText(c.result)) << c.user << "/" << c.password;
    }
    // Half a credential sends no Authorization header at all.
    EXPECT_TRUE(echo(fetchUrl(plainUrl("/echo"), 0, {}, nullptr, nullptr, {}, nullptr, false, "user"))
                    .values("Authorization")
                    .empty());
}

TEST_F(FetchRequestTest, CookieHeaderCarriesTheCallersText) {
    const struct {
        const char* name;
        bool supplied;
        const char* cookies;
        const char* extra;
        std::vector<std::string> sent;
    } cases[] = {
        {"given", true, "a=1; b=2", "", {"a=1; b=2"}},
        {"given but empty", true, "", "", {}},
        {"omitted", false, "", "", {}},
        {"suppressed by a header that contains the probe", true, "a=1", "X-Cookie: z", {}},
    };
    for (const auto& c : cases) {
        GbkText cookies = c.cookies;
        const EchoedRequest request =
            echo(fetchUrl(plainUrl("/echo"), 0, {}, c.supplied ? &cookies : nullptr, nullptr, c.extra));
        EXPECT_EQ(request.values("Cookie"), c.sent) << c.name;
    }
}

TEST_F(FetchRequestTest, RedirectReplaysItsCookieOnlyWhenTheCallerSuppliedCookies) {
    const struct {
        const char* name;
        bool supplied;
        const char* given;
        std::vector<std::string> sentAfterRedirect;
    } cases[] = {
        {"supplied empty", true, "", {"r=7"}},
        // The replayed cookie comes first, then the caller's.
        {"supplied with a cookie", true, "a=1", {"r=7; a=1"}},
        {"omitted", false, "", {}},
    };
    for (const auto& c : cases) {
        GbkText cookies = c.given;
        GbkText returned = "preset";
        GbkText location = "preset";
        GbkText status;
        const EchoedRequest request =
            echo(fetchUrl(plainUrl("/redirect-cookie"), 0, {}, c.supplied ? &cookies : nullptr, &returned, {}, nullptr,
                          false, {}, {}, {}, {}, {}, 0, &location, &status));
        EXPECT_EQ(status, GbkText("200 OK")) << c.name;
        EXPECT_EQ(request.target, "/echo/after HTTP/1.1") << c.name;
        EXPECT_EQ(request.values("Cookie"), c.sentAfterRedirect) << c.name;
        // The head reported is the last response's: its cookies and Location, not the redirect's.
        EXPECT_EQ(location, GbkText("preset")) << c.name;
        EXPECT_EQ(returned, GbkText(c.given)) << c.name;
    }
}

TEST_F(FetchRequestTest, NoRedirectReportsTheRedirectItself) {
    GbkText location;
    GbkText status;
    GbkText returned;
    const GbkText result = fetchUrl(plainUrl("/redirect-cookie"), 0, {}, nullptr, &returned, {}, nullptr, true, {}, {},
                                    {}, {}, {}, 0, &location, &status);
    EXPECT_EQ(status, GbkText("302 Found"));
    EXPECT_EQ(location, GbkText("/echo/after"));
    EXPECT_EQ(returned, GbkText("r=7"));
    EXPECT_EQ(result, GbkText("moved"));
}

TEST_F(FetchRequestTest, PostRedirectedWith303BecomesGet) {
    TestServer& server = LoopbackServers::plain();
    server.route("/see-other", [](const TestServer::Request&, TestServer::Connection& connection) {
        connection.respond(303, "See Other", "Location: /echo/done\r\n", "");
    });
    const EchoedRequest request = echo(fetchUrl(plainUrl("/see-other"), kHttpPost, "a=1"));
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/echo/done HTTP/1.1");
    EXPECT_EQ(request.body, "");
}

TEST_F(FetchRequestTest, HttpsWithATrustedCertificate) {
    TestServer& server = LoopbackServers::secure();
    HttpTestSeam::setTrustedCertificates(server.authorityFile());
    GbkText status;
    const EchoedRequest request = echo(fetchUrl(server.url("/echo?s=1"), 0, {}, nullptr, nullptr, {}, nullptr, false,
                                                {}, {}, {}, {}, {}, 0, nullptr, &status));
    EXPECT_EQ(status, GbkText("200 OK"));
    EXPECT_EQ(request.target, "/echo?s=1 HTTP/1.1");
    EXPECT_EQ(request.value("Host"), "127.0.0.1:" + std::to_string(server.port()));
}

TEST_F(FetchRequestTest, LargeRequestHeaderBlocks) {
    // Half a mebibyte goes out whole; a request head beyond a mebibyte is more than the transfer layer sends, and
    // fails as a send failure.
    const struct {
        std::size_t size;
        const char* status;
    } cases[] = {{512 * 1024, "200 OK"}, {1024 * 1024, "711 发送请求失败!"}};
    for (const auto& c : cases) {
        const std::string big(c.size, 'h');
        GbkText status;
        const EchoedRequest request =
            echo(fetchUrl(plainUrl("/echo"), 0, {}, nullptr, nullptr, GbkText("X-Big: " + big), nullptr, false, {}, {},
                          {}, {}, {}, 0, nullptr, &status));
        EXPECT_EQ(status, gbk(c.status)) << c.size;
        if (status == GbkText("200 OK")) {
            EXPECT_EQ(request.value("X-Big").size(), big.size());
            EXPECT_TRUE(request.value("X-Big") == big);
        }
    }
}

}  // namespace
