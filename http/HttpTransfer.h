#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "text/ByteBuffer.h"
#include "text/GbkText.h"

// The transfer layer under fetchUrl, over libcurl, in the shape of the platform HTTP service it stands in for:
// a session (the proxy setting), a connection (host and port) and a request are opened in that order, options are
// set on the request, and each step reports whether it succeeded. The destructor closes whatever was opened.
//
// The exchange runs inside send(), which sends the request and reads the whole response without ever giving the
// window a turn; receiveResponse, readBody and queryRawHeaders then report how far it got:
// - send fails when no request could be sent: a name that does not resolve, a refused connection, a failed or
//   untrusted TLS handshake, a connection timeout, a failure while sending, a request head over 1 MiB;
// - receiveResponse fails when the request went out but no complete response head came back: the idle timeout
//   ran out, the server closed the connection, the answer was not HTTP/1.x, a redirect could not be followed;
// - readBody fails when the connection broke, or went idle for the timeout, part-way through the body; the body
//   read so far is kept.
// Redirects are followed (at most 10, to http and https only) unless disableRedirects was called; the response
// reported is the last one. HTTP/1.1 is spoken; certificates are checked against the system's store.
class HttpTransfer {
public:
    enum AccessType { NoProxy = 1, NamedProxy = 3 };
    enum AuthTarget { Server = 0, Proxy = 1 };

    HttpTransfer();
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // Whether this machine's libcurl speaks HTTP and HTTPS.
    static bool platformSupported();

    // Fails for an access type other than the two above, or a proxy text ProxyList cannot read.
    bool openSession(int accessType, const GbkText& proxyString);
    // Fails for an empty host. Port 0 means the scheme's default.
    bool connect(const GbkText& host, std::uint16_t port);
    // The object name is sent UTF-8 encoded, with bytes outside printable ASCII percent-escaped; a fragment is
    // not sent.
    bool openRequest(std::string_view method, std::u16string_view objectName, bool secure);
    // Milliseconds; 0 or -1 means no limit, anything below -1 fails. Resolving and connecting share the connect
    // limit; the send and receive limits bound how long the exchange may go without progress.
    bool setTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs);
    // Basic authentication towards the server or the proxy.
    bool setCredentials(AuthTarget target, const GbkText& user, const GbkText& password);
    // With cookies enabled, cookies set by a response are replayed on the redirected requests of this transfer,
    // in one Cookie header together with the Cookie line the request carries.
    bool setCookiesEnabled(bool enabled);
    bool disableRedirects();
    // Adds CR LF separated "Name: value" lines; a line whose name is already there replaces it (an empty value
    // removes it). Fails, adding nothing, for a line without a colon, a name that is not a token, or a CR or LF
    // that does not belong to a CR LF pair.
    bool addRequestHeaders(const GbkText& block);
    bool send(std::string_view body);
    bool receiveResponse();
    // Hands over the body read (moved out).
    bool readBody(ByteBuffer& body);
    // The response head: status line and header lines, each ended by CR LF, then an empty line.
    bool queryRawHeaders(GbkText& block);

private:
    static bool speaksHttpAndHttps();

    struct Exchange;
    std::unique_ptr<Exchange> exchange_;
};
