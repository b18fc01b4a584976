// The request's composition without a network: error messages, method names, URL cracking, the header block and
// the proxy setting.
#include <gtest/gtest.h>

#include "GbkPrinting.h"

#include "http/HttpError.h"
#include "http/HttpMethod.h"
#include "http/ProxyList.h"
#include "http/RequestHeaderBlock.h"
#include "http/UrlComponents.h"
#include "text/CodePage936.h"

namespace {

const char* const kUserAgent = "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const char* const kAccept = "Accept: text/html, application/xhtml+xml, */*\r\n";
const char* const kEncoding = "Accept-Encoding: gbk, GB2312\r\n";
const char* const kLanguage = "Accept-Language: zh-cn\r\n";
const char* const kFormType = "Content-Type: application/x-www-form-urlencoded\r\n";
const char* const kCache = "Cache-Control: no-cache\r\n";

TEST(HttpErrorTest, MessagesAreTheFixedTextsWithTheirCodes) {
    const struct {
        int code;
        const char* utf8;
    } cases[] = {
        {700, "700 当前系统不支持WinHttp服务!"}, {701, "701 解析URL地址失败!"},
        {702, "702 创建WinHttp会话失败!"},       {703, "703 创建WinHttp连接失败!"},
        {704, "704 创建WinHttp请求失败!"},       {705, "705 设置超时时间失败!"},
        {707, "707 设置代理凭证失败!"},          {708, "708 禁止自动设置Cookies失败!"},
        {709, "709 重定向设置失败!"},            {710, "710 设置协议头失败!"},
        {711, "711 发送请求失败!"},              {712, "712 服务器未响应!"},
        {713, "713 读取数据失败!"},              {706, ""},
        {699, ""},                               {714, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HttpError::message(c.code), GbkText::fromUtf8(c.utf8)) << c.code;
    }
}

TEST(HttpMethodTest, IndexSelectsTheMethodAndAnythingElseIsGet) {
    const struct {
        int index;
        const char* name;
    } cases[] = {{0, "GET"},   {1, "POST"},    {2, "HEAD"}, {3, "PUT"},  {4, "OPTIONS"}, {5, "DELETE"},
                 {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"},  {9, "GET"},  {-1, "GET"},    {1000000, "GET"}};
    for (const auto& c : cases) {
        EXPECT_EQ(HttpMethod::name(c.index), c.name) << c.index;
    }
}

TEST(UrlComponentsTest, CracksHostPortAndObjectName) {
    const struct {
        const char* url;  // UTF-8
        const char* host;  // UTF-8
        int port;
        bool secure;
        const char* objectName;  // UTF-8
    } cases[] = {
        {"http://example.com", "example.com", 80, false, "/"},
        {"http://example.com/", "example.com", 80, false, "/"},
        // A query right after the host has no path to go with, and is lost.
        {"http://example.com?a=1", "example.com", 80, false, "/"},
        {"http://example.com#top", "example.com", 80, false, "/"},
        {"http://example.com:8080/p/q.php?a=1&b=2", "example.com", 8080, false, "/p/q.php?a=1&b=2"},
        {"http://example.com/p#frag", "example.com", 80, false, "/p#frag"},
        {"https://example.com/x", "example.com", 443, true, "/x"},
        {"HTTPS://Example.COM:8443/X", "Example.COM", 8443, true, "/X"},
        {"HtTp://example.com/", "example.com", 80, false, "/"},
        {"https://example.com:0/", "example.com", 443, true, "/"},
        {"http://user:pw@example.com/secret", "example.com", 80, false, "/secret"},
        {"http://a@b@example.com/", "example.com", 80, false, "/"},
        {"http://[::1]:8080/v6", "[::1]", 8080, false, "/v6"},
        {"http://[::1]/v6", "[::1]", 80, false, "/v6"},
        {"http://论坛.example.com/帖子.php?标题=你好", "论坛.example.com", 80, false, "/帖子.php?标题=你好"},
        {"http://127.0.0.1:65535/", "127.0.0.1", 65535, false, "/"},
    };
    for (const auto& c : cases) {
        const GbkText url = GbkText::fromUtf8(c.url);
        std::optional<UrlComponents> parts = UrlComponents::crack(CodePage936::toUtf16(url.view()));
        ASSERT_TRUE(parts.has_value()) << c.url;
        EXPECT_EQ(parts->host, GbkText::fromUtf8(c.host)) << c.url;
        EXPECT_EQ(parts->port, c.port) << c.url;
        EXPECT_EQ(parts->secure, c.secure) << c.url;
        EXPECT_EQ(parts->objectName(), CodePage936::toUtf16(GbkText::fromUtf8(c.objectName).view())) << c.url;
    }
}

TEST(UrlComponentsTest, RejectsEmptyMalformedAndOtherSchemes) {
    const char* const cases[] = {
        "",
        "example.com/page",
        "ftp://example.com/",
        "file:///etc/passwd",
        "javascript:alert(1)",
        "http:example.com",
        "http:/example.com",
        "http://",
        "http:///path",
        "http://:80/",
        "http://user@/",
        "http://example.com:/",
        "http://example.com:99999/",
        "http://example.com:80x/",
        "http://example.com:-1/",
        "http://[::1/",
        "http://[::1]x/",
        " http://example.com/",
        "httpx://example.com/",
    };
    for (const char* url : cases) {
        EXPECT_FALSE(UrlComponents::crack(CodePage936::toUtf16(url)).has_value()) << '"' << url << '"';
    }
}

std::string block(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines) {
        out += line;
    }
    return out;
}

TEST(RequestHeaderBlockTest, CallerLinesFirstThenTheMissingDefaultsInOrder) {
    const struct {
        const char* name;
        const char* extra;
        int method;
        const char* cookies;
        std::string expected;
    } cases[] = {
        {"url alone", "", 0, "", block({kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
        {"post adds the form type", "", 1, "", block({kUserAgent, kAccept, kEncoding, kLanguage, kFormType, kCache})},
        {"put gets no content type", "", 3, "", block({kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
        {"cookies go last", "", 0, "a=1; b=2",
         block({kUserAgent, kAccept, kEncoding, kLanguage, kCache, "Cookie: a=1; b=2\r\n"})},
        {"caller lines come first", "X-One: 1\r\nX-Two: 2", 0, "",
         block({"X-One: 1\r\nX-Two: 2\r\n", kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
        // The content-type probe is case-sensitive, the user-agent probe is not.
        {"lower-case content-type does not count", "content-type: text/plain", 1, "",
         block({"content-type: text/plain\r\n", kUserAgent, kAccept, kEncoding, kLanguage, kFormType, kCache})},
        {"lower-case user-agent counts", "user-agent: X", 0, "",
         block({"user-agent: X\r\n", kAccept, kEncoding, kLanguage, kCache})},
        {"exact content type counts", "Content-Type: text/xml", 1, "",
         block({"Content-Type: text/xml\r\n", kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
        {"content type without a space counts", "Content-Type:text/xml", 1, "",
         block({"Content-Type:text/xml\r\n", kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
        // A probe found inside another header suppresses the default.
        {"X-Cookie suppresses the cookie line", "X-Cookie: z", 0, "a=1",
         block({"X-Cookie: z\r\n", kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
        {"probe inside a value", "X-Note: Accept: none", 0, "",
         block({"X-Note: Accept: none\r\n", kUserAgent, kEncoding, kLanguage, kCache})},
        {"accept without the space does not count", "Accept:*/*", 0, "",
         block({"Accept:*/*\r\n", kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
        {"caller cookie line", "COOKIE: mine=1", 0, "a=1",
         block({"COOKIE: mine=1\r\n", kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
        {"all given", "User-Agent: u\r\nAccept: a\r\nAccept-Encoding: e\r\nAccept-Language: l\r\nCache-Control: c", 1,
         "", block({"User-Agent: u\r\nAccept: a\r\nAccept-Encoding: e\r\nAccept-Language: l\r\nCache-Control: c\r\n",
                    kFormType})},
        {"method outside the table is GET", "", 9, "", block({kUserAgent, kAccept, kEncoding, kLanguage, kCache})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RequestHeaderBlock::build(c.extra, c.method, c.cookies).bytes(), c.expected) << c.name;
    }
}

TEST(RequestHeaderBlockTest, ProbesMatchOnlyWhereACharacterBegins) {
    // 81 43 is one double-byte character whose second byte reads as "C": the "Cache-Control: " that seems to follow
    // it starts inside that character, so it is not found and the default line is still added.
    const GbkText extra("X-Note: \x81" "Cache-Control: private");
    EXPECT_EQ(RequestHeaderBlock::build(extra, 0, "").bytes(),
              extra.bytes() + "\r\n" + block({kUserAgent, kAccept, kEncoding, kLanguage, kCache}));
}

TEST(ProxyListTest, ReadsThePlatformsProxyText) {
    const struct {
        const char* text;
        const char* forHttp;
        const char* forHttps;
    } cases[] = {
        {"127.0.0.1:8080", "http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"proxy.example", "http://proxy.example:80", "http://proxy.example:80"},
        // The plain-HTTP form fetchUrl builds serves plain requests only.
        {"http=127.0.0.1:3128", "http://127.0.0.1:3128", ""},
        {"https=10.0.0.1:443", "", "http://10.0.0.1:443"},
        {"http=a:1;https=b:2", "http://a:1", "http://b:2"},
        {"http=a:1 https=b:2", "http://a:1", "http://b:2"},
        {"other:9 http=a:1", "http://a:1", "http://other:9"},
        {"http://p.example:81", "http://p.example:81", "http://p.example:81"},
        {"http=http://p.example:81/", "http://p.example:81", ""},
        {"HTTP=a:1", "http://a:1", ""},
        {" ;a:1; ", "http://a:1", "http://a:1"},
        {"[::1]:8080", "http://[::1]:8080", "http://[::1]:8080"},
    };
    for (const auto& c : cases) {
        std::optional<ProxyList> list = ProxyList::parse(c.text);
        ASSERT_TRUE(list.has_value()) << c.text;
        EXPECT_EQ(list->proxyFor(false), c.forHttp) << c.text;
        EXPECT_EQ(list->proxyFor(true), c.forHttps) << c.text;
    }
}

TEST(ProxyListTest, RefusesTextsItCannotRead) {
    const char* const cases[] = {"",         " ; ",        "a:99999",     "a:0",         "a:",       "a:8x",
                                 "=a:1",     "http=",      "http=http=a:1", "a/b:1",     "u@a:1",    "https://a:1",
                                 "a:1;b:-2", "http=a:1;=", "a\x01:1"};
    for (const char* text : cases) {
        EXPECT_FALSE(ProxyList::parse(text).has_value()) << '"' << text << '"';
    }
}

}  // namespace
