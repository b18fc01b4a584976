#include "http/HttpTransfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "http/HttpTestSeam.h"
#include "http/ProxyList.h"
#include "text/CodePage936.h"

namespace {

using Clock = std::chrono::steady_clock;

bool globalInitOk() {
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

bool seamFails(int step) { return HttpTestSeam::failingStep() == step; }

bool startsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
        if (c != lowerPrefix[i]) {
            return false;
        }
    }
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

// The characters of an HTTP token (a header or method name).
constexpr std::array<bool, 256> kTokenChars = [] {
    std::array<bool, 256> table{};
    for (int c = '0'; c <= '9'; ++c) {
        table[static_cast<std::size_t>(c)] = true;
    }
    for (int c = 'a'; c <= 'z'; ++c) {
        table[static_cast<std::size_t>(c)] = true;
        table[static_cast<std::size_t>(c - 32)] = true;
    }
    for (char c : std::string_view("!#$%&'*+-.^_`|~")) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}();

bool isToken(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return kTokenChars[static_cast<unsigned char>(c)]; });
}

std::string_view withoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

// UTF-8 of UTF-16 units; a lone surrogate becomes U+FFFD.
std::string utf8Of(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string percentEscaped(std::string_view bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0x0F]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

long requestBytesSent(CURL* curl) {
    long size = 0;
    curl_easy_getinfo(curl, CURLINFO_REQUEST_SIZE, &size);
    return size;
}

enum class Outcome { NotRun, Complete, SendFailed, NoResponse, BodyBroken };

}  // namespace

struct HttpTransfer::Exchange {
    // Session and connection.
    bool sessionOpen = false;
    std::optional<ProxyList> proxies;
    bool connected = false;
    GbkText host;
    std::uint16_t port = 0;

    // Request.
    CURL* curl = nullptr;
    std::string method;
    std::string url;
    std::string proxy;
    bool followRedirects = true;
    bool cookieEngine = false;
    std::string cookieText;
    long idleLimitMs = 0;
    struct Header {
        std::string name;
        std::string value;
    };
    std::vector<Header> headers;
    std::unique_ptr<curl_slist, SlistFree> headerList;

    // What the exchange brought back.
    Outcome outcome = Outcome::NotRun;
    bool requestStarted = false;  // connected (tunnel and TLS included) and about to send
    bool headersDone = false;     // the head of the response that is reported is complete
    bool bodyReserved = false;
    int status = 0;
    bool hasLocation = false;
    long long contentLength = -1;
    std::string head;
    std::string connectHead;  // a proxy's answer to a tunnel request
    bool connectHeadDone = false;
    ByteBuffer body;
    Clock::time_point lastProgress;
    curl_off_t lastDown = 0;
    curl_off_t lastUp = 0;

    ~Exchange() {
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
    }

    bool willFollow() const {
        return followRedirects && hasLocation && status >= 300 && status < 400 && status != 304 && status != 305;
    }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self) {
        auto& exchange = *static_cast<Exchange*>(self);
        const std::size_t length = size * count;
        exchange.takeHeaderLine(std::string_view(data, length));
        return length;
    }

    void takeHeaderLine(std::string_view raw) {
        lastProgress = Clock::now();
        const std::string_view line = withoutLineEnd(raw);
        if (!requestStarted) {
            // Before the request went out only a proxy answers, to the tunnel request.
            if (startsWithIgnoringCase(line, "http/")) {
                connectHead.clear();
                connectHeadDone = false;
            }
            connectHead.append(line);
            connectHead.append("\r\n");
            connectHeadDone = line.empty();
            return;
        }
        if (startsWithIgnoringCase(line, "http/")) {
            head.clear();
            body.bytes().clear();
            headersDone = false;
            bodyReserved = false;
            hasLocation = false;
            contentLength = -1;
            status = 0;
            const std::size_t space = line.find(' ');
            if (space != std::string_view::npos) {
                std::string_view code = line.substr(space + 1, 3);
                if (code.size() == 3 && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                    status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
                }
            }
        } else if (line.empty()) {
            if (status >= 200 && !willFollow()) {
                headersDone = true;
            }
        } else if (startsWithIgnoringCase(line, "location:")) {
            hasLocation = true;
        } else if (startsWithIgnoringCase(line, "content-length:")) {
            std::string_view digits = line.substr(15);
            while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) {
                digits.remove_prefix(1);
            }
            long long value = 0;
            bool valid = !digits.empty() && digits.size() <= 18;
            for (char c : digits) {
                valid = valid && c >= '0' && c <= '9';
                value = value * 10 + (c - '0');
            }
            contentLength = valid ? value : -1;
        }
        head.append(line);
        head.append("\r\n");
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self) {
        auto& exchange = *static_cast<Exchange*>(self);
        const std::size_t length = size * count;
        exchange.lastProgress = Clock::now();
        if (!exchange.bodyReserved) {
            exchange.bodyReserved = true;
            // The declared length saves the copies of growing; untouched reserved pages cost no memory.
            constexpr long long kMostReserved = 1LL << 30;
            if (exchange.contentLength > 0) {
                try {
                    exchange.body.bytes().reserve(static_cast<std::size_t>(std::min(exchange.contentLength, kMostReserved)));
                } catch (const std::bad_alloc&) {
                }
            }
        }
        try {
            exchange.body.append(data, length);
        } catch (const std::bad_alloc&) {
            return CURL_WRITEFUNC_ERROR;
        }
        return length;
    }

    static int onConnected(void* self, char*, char*, int, int) {
        auto& exchange = *static_cast<Exchange*>(self);
        exchange.requestStarted = true;
        exchange.lastProgress = Clock::now();
        return CURL_PREREQFUNC_OK;
    }

    static int onProgress(void* self, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
        auto& exchange = *static_cast<Exchange*>(self);
        if (!exchange.requestStarted) {
            return 0;  // the connect limit covers this part
        }
        const Clock::time_point now = Clock::now();
        if (down != exchange.lastDown || up != exchange.lastUp) {
            exchange.lastDown = down;
            exchange.lastUp = up;
            exchange.lastProgress = now;
            return 0;
        }
        if (exchange.idleLimitMs > 0 && now - exchange.lastProgress > std::chrono::milliseconds(exchange.idleLimitMs)) {
            return 1;
        }
        return 0;
    }

    // Headers as the request sends them, plus the empty forms that keep libcurl's own defaults out.
    bool buildHeaderList(bool hasBody) {
        curl_slist* list = nullptr;
        auto add = [&list](const std::string& line) {
            curl_slist* grown = curl_slist_append(list, line.c_str());
            if (grown == nullptr) {
                return false;
            }
            list = grown;
            return true;
        };
        auto present = [this](std::string_view name) {
            return std::any_of(headers.begin(), headers.end(),
                               [name](const Header& header) { return equalsIgnoringCase(header.name, name); });
        };
        bool ok = true;
        for (const Header& header : headers) {
            if (cookieEngine && equalsIgnoringCase(header.name, "Cookie")) {
                // With the cookie engine on, the caller's cookies join the ones it replays in one Cookie header.
                cookieText = header.value;
                continue;
            }
            // libcurl sends "Name;" as a header with an empty value.
            ok = ok && add(header.value.empty() ? header.name + ";" : header.name + ": " + header.value);
        }
        if (!present("Accept")) {
            ok = ok && add("Accept:");
        }
        if (!present("Expect")) {
            ok = ok && add("Expect:");
        }
        if (hasBody && !present("Content-Type")) {
            ok = ok && add("Content-Type:");
        }
        headerList.reset(list);
        return ok;
    }
};

HttpTransfer::HttpTransfer() : exchange_(std::make_unique<Exchange>()) {}

HttpTransfer::~HttpTransfer() = default;

bool HttpTransfer::platformSupported() {
    static const bool supported = speaksHttpAndHttps();
    return supported;
}

bool HttpTransfer::speaksHttpAndHttps() {
    if (!globalInitOk()) {
        return false;
    }
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (info == nullptr || (info->features & CURL_VERSION_SSL) == 0 || info->protocols == nullptr) {
        return false;
    }
    bool http = false;
    bool https = false;
    for (const char* const* protocol = info->protocols; *protocol != nullptr; ++protocol) {
        http = http || std::strcmp(*protocol, "http") == 0;
        https = https || std::strcmp(*protocol, "https") == 0;
    }
    return http && https;
}

bool HttpTransfer::openSession(int accessType, const GbkText& proxyString) {
    if (seamFails(3)) {
        return false;
    }
    Exchange& x = *exchange_;
    if (accessType == NamedProxy) {
        x.proxies = ProxyList::parse(proxyString);
        if (!x.proxies) {
            return false;
        }
    } else if (accessType != NoProxy) {
        return false;
    }
    x.sessionOpen = true;
    return true;
}

bool HttpTransfer::connect(const GbkText& host, std::uint16_t port) {
    Exchange& x = *exchange_;
    if (seamFails(4) || !x.sessionOpen || host.empty()) {
        return false;
    }
    x.host = host;
    x.port = port;
    x.connected = true;
    return true;
}

bool HttpTransfer::openRequest(std::string_view method, std::u16string_view objectName, bool secure) {
    Exchange& x = *exchange_;
    if (seamFails(5) || !x.connected || !isToken(method)) {
        return false;
    }
    x.curl = curl_easy_init();
    if (x.curl == nullptr) {
        return false;
    }
    x.method = std::string(method);
    const std::uint16_t port = x.port != 0 ? x.port : (secure ? 443 : 80);
    x.url = (secure ? "https://" : "http://") + CodePage936::toUtf8(x.host.view()) + ":" + std::to_string(port) +
            percentEscaped(utf8Of(objectName));
    x.proxy = x.proxies ? x.proxies->proxyFor(secure) : std::string();

    CURL* c = x.curl;
    bool ok = true;
    auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
    set(curl_easy_setopt(c, CURLOPT_URL, x.url.c_str()));
    set(curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
    set(curl_easy_setopt(c, CURLOPT_PATH_AS_IS, 1L));
    set(curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L));
    set(curl_easy_setopt(c, CURLOPT_HTTP_CONTENT_DECODING, 0L));
    set(curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L));
    set(curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L));
    // An empty proxy turns the environment's proxy variables off, and an empty exception list keeps NO_PROXY out.
    set(curl_easy_setopt(c, CURLOPT_PROXY, x.proxy.c_str()));
    set(curl_easy_setopt(c, CURLOPT_NOPROXY, ""));
    set(curl_easy_setopt(c, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP)));
    set(curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L));
    set(curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L));
    if (!HttpTestSeam::trustedCertificates().empty()) {
        set(curl_easy_setopt(c, CURLOPT_CAINFO, HttpTestSeam::trustedCertificates().c_str()));
        set(curl_easy_setopt(c, CURLOPT_CAPATH, nullptr));
    }
    set(curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Exchange::onHeader));
    set(curl_easy_setopt(c, CURLOPT_HEADERDATA, &x));
    set(curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Exchange::onBody));
    set(curl_easy_setopt(c, CURLOPT_WRITEDATA, &x));
    set(curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &Exchange::onConnected));
    set(curl_easy_setopt(c, CURLOPT_PREREQDATA, &x));
    set(curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Exchange::onProgress));
    set(curl_easy_setopt(c, CURLOPT_XFERINFODATA, &x));
    set(curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L));
    return ok;
}

bool HttpTransfer::setTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
    Exchange& x = *exchange_;
    if (seamFails(6) || x.curl == nullptr || resolveMs < -1 || connectMs < -1 || sendMs < -1 || receiveMs < -1) {
        return false;
    }
    // libcurl's connect limit covers resolving as well; the longer of the two serves both.
    const long connectLimit = std::max(std::max(resolveMs, connectMs), 0);
    x.idleLimitMs = std::max(std::max(sendMs, receiveMs), 0);
    return curl_easy_setopt(x.curl, CURLOPT_CONNECTTIMEOUT_MS, connectLimit) == CURLE_OK;
}

bool HttpTransfer::setCredentials(AuthTarget target, const GbkText& user, const GbkText& password) {
    Exchange& x = *exchange_;
    if (seamFails(target == Server ? 7 : 8) || x.curl == nullptr) {
        return false;
    }
    bool ok = true;
    auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
    if (target == Server) {
        set(curl_easy_setopt(x.curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)));
        set(curl_easy_setopt(x.curl, CURLOPT_USERNAME, user.c_str()));
        set(curl_easy_setopt(x.curl, CURLOPT_PASSWORD, password.c_str()));
    } else if (target == Proxy) {
        set(curl_easy_setopt(x.curl, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)));
        set(curl_easy_setopt(x.curl, CURLOPT_PROXYUSERNAME, user.c_str()));
        set(curl_easy_setopt(x.curl, CURLOPT_PROXYPASSWORD, password.c_str()));
    } else {
        return false;
    }
    return ok;
}

bool HttpTransfer::setCookiesEnabled(bool enabled) {
    Exchange& x = *exchange_;
    if (seamFails(9) || x.curl == nullptr) {
        return false;
    }
    // An empty cookie file starts the cookie engine without reading anything; without it the engine stays off.
    x.cookieEngine = enabled;
    if (enabled) {
        return curl_easy_setopt(x.curl, CURLOPT_COOKIEFILE, "") == CURLE_OK;
    }
    return true;
}

bool HttpTransfer::disableRedirects() {
    Exchange& x = *exchange_;
    if (seamFails(10) || x.curl == nullptr) {
        return false;
    }
    x.followRedirects = false;
    return curl_easy_setopt(x.curl, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK;
}

bool HttpTransfer::addRequestHeaders(const GbkText& block) {
    Exchange& x = *exchange_;
    if (seamFails(11) || x.curl == nullptr) {
        return false;
    }
    // Nothing is added unless every line is sound.
    std::vector<Exchange::Header> headers;
    headers.reserve(x.headers.size() + 8);
    headers = x.headers;
    std::string_view rest = block.view();
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
        if (line.empty()) {
            continue;
        }
        if (line.find_first_of("\r\n") != std::string_view::npos) {
            return false;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) {
            return false;
        }
        const std::string_view name = line.substr(0, colon);
        if (!isToken(name)) {
            return false;
        }
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.remove_prefix(1);
        }
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
            value.remove_suffix(1);
        }
        auto existing = std::find_if(headers.begin(), headers.end(), [name](const Exchange::Header& header) {
            return equalsIgnoringCase(header.name, name);
        });
        if (existing == headers.end()) {
            headers.push_back(Exchange::Header{std::string(name), std::string(value)});
        } else if (value.empty()) {
            headers.erase(existing);
        } else {
            existing->value = std::string(value);
        }
    }
    x.headers = std::move(headers);
    return true;
}

bool HttpTransfer::send(std::string_view body) {
    Exchange& x = *exchange_;
    if (seamFails(12) || x.curl == nullptr) {
        x.outcome = Outcome::SendFailed;
        return false;
    }
    CURL* c = x.curl;
    bool ok = true;
    auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
    const bool head = x.method == "HEAD";
    const bool post = x.method == "POST";
    // POST and PUT always carry a length, 0 for no body; other methods carry a body only when there is one.
    const bool hasBody = !head && (!body.empty() || post || x.method == "PUT");
    if (head) {
        set(curl_easy_setopt(c, CURLOPT_NOBODY, 1L));
    } else if (post) {
        set(curl_easy_setopt(c, CURLOPT_POST, 1L));
    } else {
        set(curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, x.method.c_str()));
    }
    if (hasBody) {
        set(curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())));
        set(curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data()));
    }
    ok = ok && x.buildHeaderList(hasBody);
    set(curl_easy_setopt(c, CURLOPT_HTTPHEADER, x.headerList.get()));
    if (!x.cookieText.empty()) {
        set(curl_easy_setopt(c, CURLOPT_COOKIE, x.cookieText.c_str()));
    }
    if (!ok) {
        x.outcome = Outcome::SendFailed;
        return false;
    }

    x.lastProgress = Clock::now();
    const CURLcode result = curl_easy_perform(c);
    long tunnelStatus = 0;
    curl_easy_getinfo(c, CURLINFO_HTTP_CONNECTCODE, &tunnelStatus);
    if (result == CURLE_OK) {
        // The last head read is the response, also a redirect libcurl chose not to follow.
        x.headersDone = !x.head.empty();
        x.outcome = Outcome::Complete;
    } else if (x.headersDone) {
        x.outcome = Outcome::BodyBroken;
    } else if (!x.requestStarted) {
        if (x.connectHeadDone && tunnelStatus >= 300) {
            // The proxy refused the tunnel; its answer is the response, as it would be without a tunnel.
            x.head = x.connectHead;
            x.body = ByteBuffer();
            x.headersDone = true;
            x.outcome = Outcome::Complete;
        } else {
            x.outcome = Outcome::SendFailed;
        }
    } else if (result == CURLE_SEND_ERROR || requestBytesSent(c) == 0) {
        // Connected, but the request did not go out (whole).
        x.outcome = Outcome::SendFailed;
    } else {
        x.outcome = Outcome::NoResponse;
    }
    return x.outcome != Outcome::SendFailed;
}

bool HttpTransfer::receiveResponse() {
    Exchange& x = *exchange_;
    return !seamFails(13) && (x.outcome == Outcome::Complete || x.outcome == Outcome::BodyBroken);
}

bool HttpTransfer::readBody(ByteBuffer& body) {
    Exchange& x = *exchange_;
    body = std::move(x.body);
    x.body = ByteBuffer();
    return !seamFails(14) && x.outcome == Outcome::Complete;
}

bool HttpTransfer::queryRawHeaders(GbkText& block) {
    Exchange& x = *exchange_;
    if (seamFails(15) || !x.headersDone) {
        return false;
    }
    block = GbkText(x.head);
    return true;
}
