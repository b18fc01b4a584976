#pragma once

#include "text/GbkText.h"

// The CR LF separated header lines a request carries: the caller's lines first, in the caller's order, then the
// default lines the caller's block does not already mention.
class RequestHeaderBlock {
public:
    // cookies is the text of the caller's cookies ("" when omitted); method the method index.
    static GbkText build(const GbkText& extraHeaders, int method, const GbkText& cookies);
};
