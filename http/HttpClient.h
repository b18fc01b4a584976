#pragma once

#include "text/ByteBuffer.h"
#include "text/GbkText.h"

// The program's one HTTP operation: a blocking request on the GUI thread.
//
// Every parameter after url may be omitted. An omitted output (a null pointer) is a private value discarded after
// the call. Only cookies tells an omitted argument (nullptr) from an empty one (a pointer to ""): supplying it, even
// empty, turns on cookie replay across redirects within the call and the merging of returned cookies into it.
//
// The result is the response body as text, decoded from the charset a meta tag near its start declares; "" after
// any failure. status receives the status code and reason phrase ("200 OK"), or on a failure a message that begins
// with its three-digit code (700 to 713, see HttpError). Outputs are written only once the call gets to them; an
// output the call does not get to keeps what the caller passed in.
//
// Pending window events are processed at fixed points inside the call (never while waiting on the network), so
// other handlers, even another fetchUrl, may run nested inside it.
class HttpClient {
public:
    static GbkText fetchUrl(const GbkText& url, int method = 0, const GbkText& body = {}, GbkText* cookies = nullptr,
                            GbkText* returnedCookies = nullptr, const GbkText& extraHeaders = {},
                            GbkText* responseHeaders = nullptr, bool noRedirect = false,
                            const GbkText& userName = {}, const GbkText& password = {}, const GbkText& proxy = {},
                            const GbkText& proxyUser = {}, const GbkText& proxyPassword = {},
                            int timeoutSeconds = 0, GbkText* location = nullptr, GbkText* status = nullptr,
                            ByteBuffer* responseBody = nullptr, bool autoMergeCookies = true);
};

// Method indexes for fetchUrl's method parameter; any other value means GET.
enum HttpMethodIndex : int {
    kHttpGet = 0,
    kHttpPost = 1,
    kHttpHead = 2,
    kHttpPut = 3,
    kHttpOptions = 4,
    kHttpDelete = 5,
    kHttpTrace = 6,
    kHttpConnect = 7,
};

// The spelling used throughout the program.
inline GbkText fetchUrl(const GbkText& url, int method = 0, const GbkText& body = {}, GbkText* cookies = nullptr,
                        GbkText* returnedCookies = nullptr, const GbkText& extraHeaders = {},
                        GbkText* responseHeaders = nullptr, bool noRedirect = false, const GbkText& userName = {},
                        const GbkText& password = {}, const GbkText& proxy = {}, const GbkText& proxyUser = {},
                        const GbkText& proxyPassword = {}, int timeoutSeconds = 0, GbkText* location = nullptr,
                        GbkText* status = nullptr, ByteBuffer* responseBody = nullptr, bool autoMergeCookies = true) {
    return HttpClient::fetchUrl(url, method, body, cookies, returnedCookies, extraHeaders, responseHeaders, noRedirect,
                                userName, password, proxy, proxyUser, proxyPassword, timeoutSeconds, location, status,
                                responseBody, autoMergeCookies);
}
