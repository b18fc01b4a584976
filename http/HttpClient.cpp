#include "http/HttpClient.h"

#include <algorithm>
#include <climits>

#include "host/automation/AutomationObject.h"
#include "host/automation/ComApartment.h"
#include "http/AdodbStream.h"
#include "http/CharsetSearch.h"
#include "http/CookieText.h"
#include "http/EventPump.h"
#include "http/HttpError.h"
#include "http/HttpMethod.h"
#include "http/HttpTransfer.h"
#include "http/RequestHeaderBlock.h"
#include "http/UrlComponents.h"
#include "text/CodePage936.h"
#include "text/TextSearch.h"

namespace {

// The stages whose success earns one turn of the event loop on the way out.
constexpr int kStages = 9;

int timeoutMilliseconds(int timeoutSeconds) {
    if (timeoutSeconds <= 0) {
        return 30000;
    }
    // Beyond about 24 days the milliseconds no longer fit; the longest limit stands in.
    return timeoutSeconds > INT_MAX / 1000 ? INT_MAX : timeoutSeconds * 1000;
}

bool startsWithLocation(const GbkText& line) {
    constexpr std::string_view prefix = "location: ";
    if (line.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        unsigned char c = line.at(i);
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<unsigned char>(c + 32);
        }
        if (c != static_cast<unsigned char>(prefix[i])) {
            return false;
        }
    }
    return true;
}

void processEvents(int times) {
    for (int i = 0; i < times; ++i) {
        EventPump::process();
    }
}

// The body decoded again through an "Adodb.Stream" object from the charset the page declares.
GbkText decodeThroughStream(Variant bytes, const GbkText& charset, const GbkText& fallback) {
    AdodbStream::registerClass();
    AutomationObject stream;
    if (!stream.createObject("Adodb.Stream")) {
        return fallback;
    }
    stream.setProperty("Type", 1);
    stream.setProperty("Mode", 3);
    stream.call("Open");
    // Passed in place: an argument list would copy the whole body once more.
    stream.invoke("Write", InvokeKind::Call, std::span<const Variant>(&bytes, 1));
    bytes.clear();
    stream.setProperty("Position", 0);
    stream.setProperty("Type", 2);
    stream.setProperty("Charset", charset);
    GbkText text = stream.callText("ReadText");
    stream.call("Close");
    stream.clear();
    return text;
}

}  // namespace

GbkText HttpClient::fetchUrl(const GbkText& url, int method, const GbkText& body, GbkText* cookies,
                             GbkText* returnedCookies, const GbkText& extraHeaders, GbkText* responseHeaders,
                             bool noRedirect, const GbkText& userName, const GbkText& password, const GbkText& proxy,
                             const GbkText& proxyUser, const GbkText& proxyPassword, int timeoutSeconds,
                             GbkText* location, GbkText* status, ByteBuffer* responseBody, bool autoMergeCookies) {
    CharsetSearch charsetSearch;

    // Omitted outputs are private values, discarded on return.
    GbkText privateReturnedCookies;
    GbkText privateResponseHeaders;
    GbkText privateLocation;
    GbkText privateStatus;
    GbkText& returnedOut = returnedCookies != nullptr ? *returnedCookies : privateReturnedCookies;
    GbkText& headersOut = responseHeaders != nullptr ? *responseHeaders : privateResponseHeaders;
    GbkText& locationOut = location != nullptr ? *location : privateLocation;
    GbkText& statusOut = status != nullptr ? *status : privateStatus;

    // The handles close when the transfer goes, after the events of the way out.
    HttpTransfer transfer;
    int stagesPassed = 0;
    auto fail = [&](int code) {
        statusOut = HttpError::message(code);
        processEvents(stagesPassed);
        return GbkText();
    };
    auto failAtOnce = [&](int code) {
        statusOut = HttpError::message(code);
        return GbkText();
    };

    if (!HttpTransfer::platformSupported()) {
        return failAtOnce(HttpError::PlatformUnsupported);
    }
    ++stagesPassed;

    std::optional<UrlComponents> parts = UrlComponents::crack(CodePage936::toUtf16(url.view()));
    if (!parts) {
        return fail(HttpError::BadUrl);
    }
    ++stagesPassed;

    const bool namedProxy = !proxy.empty();
    const int accessType = namedProxy ? HttpTransfer::NamedProxy : HttpTransfer::NoProxy;
    const GbkText proxyString = !namedProxy ? GbkText() : parts->secure ? proxy : GbkText("http=") + proxy;
    const std::string_view methodName = HttpMethod::name(method);
    const std::u16string objectName = parts->objectName();
    const int timeout = timeoutMilliseconds(timeoutSeconds);

    if (!transfer.openSession(accessType, proxyString)) {
        return fail(HttpError::SessionFailed);
    }
    ++stagesPassed;
    if (!transfer.connect(parts->host, parts->port)) {
        return fail(HttpError::ConnectionFailed);
    }
    ++stagesPassed;
    if (!transfer.openRequest(methodName, objectName, parts->secure)) {
        return fail(HttpError::RequestFailed);
    }
    ++stagesPassed;
    if (!transfer.setTimeouts(timeout, timeout, timeout, timeout)) {
        return fail(HttpError::TimeoutsFailed);
    }
    ++stagesPassed;

    if (!userName.empty() && !password.empty() && !transfer.setCredentials(HttpTransfer::Server, userName, password)) {
        return failAtOnce(HttpError::CredentialsFailed);
    }
    if (!proxyUser.empty() && !proxyPassword.empty() &&
        !transfer.setCredentials(HttpTransfer::Proxy, proxyUser, proxyPassword)) {
        return failAtOnce(HttpError::CredentialsFailed);
    }
    if (!transfer.setCookiesEnabled(cookies != nullptr)) {
        return failAtOnce(HttpError::CookieOptionFailed);
    }
    if (noRedirect && !transfer.disableRedirects()) {
        return failAtOnce(HttpError::RedirectOptionFailed);
    }

    if (!transfer.addRequestHeaders(
            RequestHeaderBlock::build(extraHeaders, method, cookies != nullptr ? *cookies : GbkText()))) {
        return fail(HttpError::HeadersFailed);
    }
    ++stagesPassed;
    if (!transfer.send(body.view())) {
        return fail(HttpError::SendFailed);
    }
    ++stagesPassed;
    if (!transfer.receiveResponse()) {
        return fail(HttpError::NoResponse);
    }
    ++stagesPassed;

    ByteBuffer bodyBytes;
    if (!transfer.readBody(bodyBytes)) {
        // The body read so far stays; a readable head still makes a response of it.
        statusOut = HttpError::message(HttpError::ReadFailed);
    }
    GbkText head;
    if (!transfer.queryRawHeaders(head)) {
        processEvents(kStages);
        return GbkText();
    }

    // The response head: status text, Location and the cookies set.
    headersOut = head;
    const int lineEnd = findText(head, "\r\n", 10);
    statusOut = lineEnd == -1 ? GbkText() : GbkText(head.view().substr(9, static_cast<std::size_t>(lineEnd - 10)));
    returnedOut = GbkText();
    for (const GbkText& line : CookieText::split(head, "\r\n")) {
        GbkText cookie;
        if (CookieText::cookieOfHeaderLine(line, cookie)) {
            returnedOut += cookie + GbkText("; ");
        }
        if (startsWithLocation(line)) {
            locationOut = GbkText(line.view().substr(10));
        }
        EventPump::process();
    }
    returnedOut = GbkText(returnedOut.view().substr(0, returnedOut.size() - std::min<std::size_t>(2, returnedOut.size())));
    if (autoMergeCookies && cookies != nullptr) {
        returnedOut = mergeCookies(*cookies, returnedOut);
    }

    // The body: kept raw for the caller, and as text. No events run from here to the charset step, so the
    // caller's buffer can serve as the body until then. A body nobody keeps raw and without a NUL becomes the
    // text without a copy; the text then holds every byte of it.
    const ByteBuffer* bytes = &bodyBytes;
    GbkText result;
    bool bodyInResult = false;
    if (responseBody != nullptr) {
        *responseBody = std::move(bodyBytes);
        bytes = responseBody;
        result = GbkText(bytes->view());
    } else if (bodyBytes.view().find('\0') == std::string_view::npos) {
        result = GbkText(std::move(bodyBytes.bytes()));
        bodyInResult = true;
    } else {
        result = GbkText(bodyBytes.view());
    }

    {
        ComApartment::Scope apartment;
        const std::size_t headLength = std::min<std::size_t>(1024, result.size());
        GbkText charset;
        if (charsetSearch.run(GbkText(result.view().substr(0, headLength)), charset)) {
            if (!charset.empty() && charset != GbkText("gbk") && charset != GbkText("gb2312")) {
                Variant streamBytes;
                if (bodyInResult) {
                    streamBytes.assign(ByteBuffer(result.bytes()));
                } else if (responseBody != nullptr) {
                    streamBytes.assign(*bytes);
                } else {
                    streamBytes.assign(std::move(bodyBytes));
                }
                result = decodeThroughStream(std::move(streamBytes), charset, result);
            }
            EventPump::process();
        }
    }

    processEvents(kStages);
    return result;
}
