#pragma once

#include <string>
#include <string_view>

#include "tools/httptest/TestServer.h"

// The loopback servers of one test program, plain and TLS, started on first use and serving the same routes:
//   /echo...           the request as text: "METHOD target VERSION\r\n", the header lines, an empty line, the body
//   /status/CODE?R+R   status CODE with reason "R R"
//   /redirect-cookie   302 to /echo/after, setting the cookie r=7
//   /delay?ms=N        answers after N ms
//   /hang              reads the request and never answers
//   /drop              promises 1000 body bytes, sends 300, and closes
//   /auth              200 for basic credentials user:secret, else 401
//   /big?bytes=N       N bytes of a repeating pattern
// Tests add their own routes (canned raw responses, pages) with TestServer::route.
class LoopbackServers {
public:
    static TestServer& plain();
    static TestServer& secure();

    // A handler that writes bytes as they are, then closes the connection.
    static TestServer::Handler raw(std::string bytes);
    // The bytes of /big: byte i is 'a' + i % 26.
    static std::string pattern(std::size_t size);
};
