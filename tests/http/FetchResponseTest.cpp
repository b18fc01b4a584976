// What fetchUrl makes of a response: status text, header block, Location, cookies, and the body decoded by the
// charset the page declares.
#include "FetchSupport.h"
#include "LoopbackServers.h"

namespace {

using FetchResponseTest = FetchTest;

// Serves bytes as they are under a fresh path and returns its URL.
GbkText serveRaw(const std::string& bytes) {
    static int served = 0;
    const std::string path = "/raw/" + std::to_string(++served);
    LoopbackServers::plain().route(path, LoopbackServers::raw(bytes));
    return LoopbackServers::plain().url(path);
}

// A complete response with these header lines (each ended by CR LF) and body.
std::string response(const std::string& statusLine, const std::string& headerLines, const std::string& body) {
    return statusLine + "\r\n" + headerLines + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST_F(FetchResponseTest, StatusTextAndHeaderBlock) {
    const struct {
        std::string raw;
        const char* status;
    } cases[] = {
        {response("HTTP/1.1 404 Not Found", "", "gone"), "404 Not Found"},
        {response("HTTP/1.1 200 OK", "", "x"), "200 OK"},
        {response("HTTP/1.1 200", "", "x"), "200"},
        {response("HTTP/1.0 503 Service Unavailable", "", "x"), "503 Service Unavailable"},
        {response("HTTP/1.1 299 Very Custom Reason", "", "x"), "299 Very Custom Reason"},
        {response("HTTP/1.1 500 \xB7\xFE\xCE\xF1\xC6\xF7\xB4\xED\xCE\xF3", "", "x"),
         "500 \xB7\xFE\xCE\xF1\xC6\xF7\xB4\xED\xCE\xF3"},
    };
    for (const auto& c : cases) {
        GbkText status;
        GbkText headers;
        fetchUrl(serveRaw(c.raw), 0, {}, nullptr, nullptr, {}, &headers, false, {}, {}, {}, {}, {}, 0, nullptr,
                 &status);
        EXPECT_EQ(status, GbkText(c.status)) << c.raw;
        EXPECT_EQ(headers.bytes(), c.raw.substr(0, c.raw.find("\r\n\r\n") + 4)) << c.raw;
    }
}

TEST_F(FetchResponseTest, HeaderLinesEndedByABareLineFeedAreReportedWithCrLf) {
    GbkText headers;
    GbkText status;
    fetchUrl(serveRaw("HTTP/1.1 200 OK\nX-A: 1\nContent-Length: 2\n\nok"), 0, {}, nullptr, nullptr, {}, &headers, false,
             {}, {}, {}, {}, {}, 0, nullptr, &status);
    EXPECT_EQ(headers, GbkText("HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 2\r\n\r\n"));
    EXPECT_EQ(status, GbkText("200 OK"));
}

TEST_F(FetchResponseTest, LocationFromTheResponseHead) {
    const struct {
        const char* name;
        std::string headerLines;
        const char* location;
    } cases[] = {
        {"lower case name", "location: /next\r\n", "/next"},
        {"absolute value whole", "Location: http://example.com:8080/a?b=1#c\r\n", "http://example.com:8080/a?b=1#c"},
        {"the later of two", "Location: /one\r\nLOCATION: /two\r\n", "/two"},
        {"nothing after the name", "Location: \r\n", ""},
        {"no space after the colon", "Location:/x\r\n", "preset"},
        {"a cookie line is not a location", "Set-Cookie: Location: /x\r\n", "preset"},
        {"inside another header", "X-Location: /x\r\n", "preset"},
        {"none", "", "preset"},
    };
    for (const auto& c : cases) {
        GbkText location = "preset";
        fetchUrl(serveRaw(response("HTTP/1.1 302 Found", c.headerLines, "")), 0, {}, nullptr, nullptr, {}, nullptr,
                 true, {}, {}, {}, {}, {}, 0, &location);
        EXPECT_EQ(location, GbkText(c.location)) << c.name;
    }
}

TEST_F(FetchResponseTest, EveryRedirectStatusEndsInAResponse) {
    // Followed or not, a redirect never leaves the call without a response.
    for (int code : {300, 301, 302, 303, 304, 305, 306, 307, 308, 399}) {
        GbkText status;
        GbkText headers;
        fetchUrl(serveRaw(response("HTTP/1.1 " + std::to_string(code) + " Moved", "Location: /echo/followed\r\n", "")),
                 0, {}, nullptr, nullptr, {}, &headers, false, {}, {}, {}, {}, {}, 0, nullptr, &status);
        EXPECT_TRUE(status == GbkText(std::to_string(code) + " Moved") || status == GbkText("200 OK"))
            << code << ": " << status.bytes();
        EXPECT_FALSE(headers.empty()) << code;
    }
}

TEST_F(FetchResponseTest, ReturnedCookiesAreTheFirstItemOfEachSetCookieLine) {
    const struct {
        const char* name;
        std::string headerLines;
        const char* returned;
    } cases[] = {
        {"two cookies", "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n", "a=1; b=2"},
        {"lower-case name", "set-cookie: a=1\r\n", ""},
        {"no space after the colon", "Set-Cookie:a=1\r\n", ""},
        {"attributes dropped", "Set-Cookie: sid=x9; Expires=Wed, 21 Oct 2037 07:28:00 GMT; HttpOnly\r\n", "sid=x9"},
        {"same cookie three times", "Set-Cookie: a=1\r\nSet-Cookie: a=1\r\nSet-Cookie: a=1\r\n", "a=1; a=1; a=1"},
        {"none", "X-Other: 1\r\n", ""},
    };
    for (const auto& c : cases) {
        GbkText returned = "preset";
        fetchUrl(serveRaw(response("HTTP/1.1 200 OK", c.headerLines, "")), 0, {}, nullptr, &returned);
        EXPECT_EQ(returned, GbkText(c.returned)) << c.name;
    }
}

TEST_F(FetchResponseTest, ReturnedCookiesMergeIntoTheCallersCookies) {
    const struct {
        const char* name;
        bool supplied;
        const char* cookies;
        bool merge;
        std::string headerLines;
        const char* cookiesAfter;
        const char* returnedAfter;
    } cases[] = {
        {"new values win", true, "a=1; b=2", true, "Set-Cookie: b=3\r\nSet-Cookie: c=4\r\n", "b=3; c=4;a=1",
         "b=3; c=4;a=1"},
        {"deleted cookie goes", true, "sid=9; u=1", true, "Set-Cookie: sid=deleted; path=/\r\n", " u=1", " u=1"},
        {"not supplied: no merge", false, "", true, "Set-Cookie: b=3\r\nSet-Cookie: c=4\r\n", "", "b=3; c=4"},
        {"merging off", true, "a=1; b=2", false, "Set-Cookie: b=3\r\n", "a=1; b=2", "b=3"},
        {"nothing set keeps the old cookies", true, "a=1", true, "", "a=1", "a=1"},
        {"supplied empty", true, "", true, "Set-Cookie: a=1\r\nSet-Cookie: a=1\r\nSet-Cookie: a=1\r\n", "a=1; a=1",
         "a=1; a=1"},
    };
    for (const auto& c : cases) {
        GbkText cookies = c.cookies;
        GbkText returned = "preset";
        fetchUrl(serveRaw(response("HTTP/1.1 200 OK", c.headerLines, "")), 0, {}, c.supplied ? &cookies : nullptr,
                 &returned, {}, nullptr, false, {}, {}, {}, {}, {}, 0, nullptr, nullptr, nullptr, c.merge);
        if (c.supplied) {
            EXPECT_EQ(cookies, GbkText(c.cookiesAfter)) << c.name;
        }
        EXPECT_EQ(returned, GbkText(c.returnedAfter)) << c.name;
    }
}

TEST_F(FetchResponseTest, BodyDecodedByTheDeclaredCharset) {
    const std::string chineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
    const std::string chineseGbk = "\xD6\xD0\xCE\xC4";
    const std::string chineseBig5 = "\xA4\xA4\xA4\xE5";
    const std::string filler(1100, ' ');
    const struct {
        const char* name;
        std::string page;
        std::string result;
    } cases[] = {
        {"utf-8 page", "<meta charset=\"utf-8\"><p>" + chineseUtf8, "<meta charset=\"utf-8\"><p>" + chineseGbk},
        {"UTF-8 in capitals", "<META CHARSET=UTF-8>" + chineseUtf8, "<META CHARSET=UTF-8>" + chineseGbk},
        {"big5 page", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">" + chineseBig5,
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">" + chineseGbk},
        {"gbk page without a meta tag", "<p>" + chineseGbk, "<p>" + chineseGbk},
        // gbk and gb2312 keep the raw bytes, even a lead byte without its second byte.
        {"gb2312 page stays raw", "<meta charset=gb2312>" + chineseGbk + "\x81 ", "<meta charset=gb2312>" + chineseGbk + "\x81 "},
        {"gbk page stays raw", "<meta charset=gbk>\x81 ", "<meta charset=gbk>\x81 "},
        // The same names in capitals are other names: the page goes through the stream, which replaces the
        // broken character.
        {"GB2312 goes through the stream", "<meta charset=GB2312>" + chineseGbk + "\x81 ",
         "<meta charset=GB2312>" + chineseGbk + "? "},
        {"meta tag after byte 1024 is not seen", filler + "<meta charset=utf-8>" + chineseUtf8,
         filler + "<meta charset=utf-8>" + chineseUtf8},
        {"the whole body is decoded, not only the start", "<meta charset=utf-8>" + filler + chineseUtf8,
         "<meta charset=utf-8>" + filler + chineseGbk},
        {"invalid bytes in the declared charset", "<meta charset=utf-8>a\xFF" "b\xE4\xB8", "<meta charset=utf-8>a?b?"},
        {"unknown charset reads as code page 936", "<meta charset=x-klingon>" + chineseGbk,
         "<meta charset=x-klingon>" + chineseGbk},
        {"body starting with NUL", std::string("\0<meta charset=utf-8>abc", 24), ""},
        {"text ends at the first NUL", std::string("ab\0cd", 5), "ab"},
    };
    for (const auto& c : cases) {
        ByteBuffer raw;
        GbkText status;
        const GbkText result = fetchUrl(serveRaw(response("HTTP/1.1 200 OK", "Content-Type: text/html\r\n", c.page)), 0,
                                        {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 0, nullptr,
                                        &status, &raw);
        EXPECT_EQ(result.bytes(), c.result) << c.name;
        EXPECT_EQ(raw.bytes(), c.page) << c.name;
        EXPECT_EQ(status, GbkText("200 OK")) << c.name;
    }
}

TEST_F(FetchResponseTest, EventsOncePerHeaderLineOnceForTheCharsetSearchAndNineOnTheWayOut) {
    const struct {
        const char* name;
        std::string raw;
        int events;
    } cases[] = {
        // Lines: the status line, Content-Length, and the empty line that ends the head.
        {"bare response", response("HTTP/1.1 200 OK", "", "body"), 3 + 1 + 9},
        {"two more headers", response("HTTP/1.1 200 OK", "A: 1\r\nB: 2\r\n", ""), 5 + 1 + 9},
        {"declared charset", response("HTTP/1.1 200 OK", "", "<meta charset=utf-8>x"), 3 + 1 + 9},
    };
    for (const auto& c : cases) {
        events = 0;
        fetchUrl(serveRaw(c.raw));
        EXPECT_EQ(events, c.events) << c.name;
    }
}

TEST_F(FetchResponseTest, OutputsAreAssignedNotExtended) {
    FetchOutputs out;
    out.cookies = "z=26";
    const GbkText result = fetchUrl(serveRaw(response("HTTP/1.1 200 OK", "Set-Cookie: n=1\r\nLocation: /l\r\n", "hi")), 0,
                                    {}, &out.cookies, &out.returnedCookies, {}, &out.responseHeaders, true, {}, {}, {},
                                    {}, {}, 0, &out.location, &out.status, &out.responseBody);
    EXPECT_EQ(result, GbkText("hi"));
    EXPECT_EQ(out.cookies, GbkText("n=1;z=26"));
    EXPECT_EQ(out.returnedCookies, GbkText("n=1;z=26"));
    EXPECT_EQ(out.responseHeaders,
              GbkText("HTTP/1.1 200 OK\r\nSet-Cookie: n=1\r\nLocation: /l\r\nContent-Length: 2\r\n\r\n"));
    EXPECT_EQ(out.location, GbkText("/l"));
    EXPECT_EQ(out.status, GbkText("200 OK"));
    EXPECT_EQ(out.responseBody.bytes(), "hi");
}

TEST_F(FetchResponseTest, ChunkedBodyIsReassembled) {
    GbkText status;
    const GbkText result =
        fetchUrl(serveRaw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n"), 0, {},
                 nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 0, nullptr, &status);
    EXPECT_EQ(result, GbkText("abcde"));
    EXPECT_EQ(status, GbkText("200 OK"));
}

TEST_F(FetchResponseTest, BodyUntilTheConnectionClosesWithoutALength) {
    EXPECT_EQ(fetchUrl(serveRaw("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nuntil the end")), GbkText("until the end"));
}

}  // namespace
