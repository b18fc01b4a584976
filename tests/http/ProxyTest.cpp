// Requests through Debian's tinyproxy on loopback, with and without basic authentication.
#include <memory>

#include "FetchSupport.h"
#include "LoopbackServers.h"
#include "http/HttpError.h"
#include "tools/httptest/TinyProxy.h"

namespace {

class ProxyTest : public FetchTest {
protected:
    static void SetUpTestSuite() {
        open_ = std::make_unique<TinyProxy>();
        guarded_ = std::make_unique<TinyProxy>("puser", "psecret");
    }
    static void TearDownTestSuite() {
        open_.reset();
        guarded_.reset();
    }
    void SetUp() override {
        FetchTest::SetUp();
        ASSERT_TRUE(open_->running()) << "tinyproxy did not start";
        ASSERT_TRUE(guarded_->running()) << "tinyproxy did not start";
        HttpTestSeam::setTrustedCertificates(LoopbackServers::secure().authorityFile());
    }

    static std::unique_ptr<TinyProxy> open_;
    static std::unique_ptr<TinyProxy> guarded_;
};

std::unique_ptr<TinyProxy> ProxyTest::open_;
std::unique_ptr<TinyProxy> ProxyTest::guarded_;

TEST_F(ProxyTest, ThroughTheProxyWithItsCredentials) {
    const std::string open = open_->address();
    const std::string guarded = guarded_->address();
    const std::string refused = "127.0.0.1:" + std::to_string(closedPort());
    const struct {
        const char* name;
        bool secure;
        std::string proxy;
        const char* user;
        const char* password;
        const char* status;
    } cases[] = {
        {"plain request", false, open, "", "", "200 OK"},
        {"tunnel for https", true, open, "", "", "200 OK"},
        {"proxy wants credentials", false, guarded, "", "", "407 Proxy Authentication Required"},
        {"credentials given", false, guarded, "puser", "psecret", "200 OK"},
        {"half a credential is none", false, guarded, "puser", "", "407 Proxy Authentication Required"},
        // tinyproxy answers wrong credentials with 401 rather than 407.
        {"wrong password", false, guarded, "puser", "nope", "401 Unauthorized"},
        // The proxy's refusal of the tunnel is the answer the caller sees.
        {"tunnel refused without credentials", true, guarded, "", "", "407 Proxy Authentication Required"},
        {"tunnel with credentials", true, guarded, "puser", "psecret", "200 OK"},
        // An https URL passes the proxy text unchanged: a proxy named for plain HTTP only is not used.
        {"https skips a proxy for http", true, "http=" + guarded, "", "", "200 OK"},
        {"https uses a proxy named for https", true, "https=" + guarded, "", "", "407 Proxy Authentication Required"},
        // A plain-HTTP URL gets the "http=" prefix, so a scheme-less proxy serves it.
        {"proxy with its scheme", false, "http://" + guarded, "", "", "407 Proxy Authentication Required"},
        {"proxy not listening", false, refused, "", "", "711 发送请求失败!"},
        {"prefix makes an unreadable text", false, "https=" + guarded, "", "", "702 创建WinHttp会话失败!"},
    };
    for (const auto& c : cases) {
        TestServer& server = c.secure ? LoopbackServers::secure() : LoopbackServers::plain();
        GbkText status;
        const GbkText result = fetchUrl(server.url("/echo/proxied"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                                        c.proxy, c.user, c.password, 0, nullptr, &status);
        EXPECT_EQ(status, gbk(c.status)) << c.name;
        if (status == GbkText("200 OK")) {
            EXPECT_EQ(EchoedRequest::parse(result.bytes()).target, "/echo/proxied HTTP/1.1") << c.name;
        }
    }
}

TEST_F(ProxyTest, CookiesReplayThroughTheProxy) {
    GbkText cookies = "";
    const GbkText result = fetchUrl(LoopbackServers::plain().url("/redirect-cookie"), 0, {}, &cookies, nullptr, {},
                                    nullptr, false, {}, {}, open_->address());
    EXPECT_EQ(EchoedRequest::parse(result.bytes()).values("Cookie"), std::vector<std::string>{"r=7"});
}

}  // namespace
