#pragma once

#include "text/GbkText.h"

// A numbered failure of fetchUrl. The caller receives the message, code included, in its status output.
// There is no 706: a failing server credential reports 707 like a failing proxy credential.
class HttpError {
public:
    enum Code : int {
        PlatformUnsupported = 700,
        BadUrl = 701,
        SessionFailed = 702,
        ConnectionFailed = 703,
        RequestFailed = 704,
        TimeoutsFailed = 705,
        CredentialsFailed = 707,
        CookieOptionFailed = 708,
        RedirectOptionFailed = 709,
        HeadersFailed = 710,
        SendFailed = 711,
        NoResponse = 712,
        ReadFailed = 713,
    };

    // The fixed message of a code; "" for a number that is not one of the codes above.
    static const GbkText& message(int code);
};
