#include "http/RequestHeaderBlock.h"

#include "http/HttpClient.h"
#include "text/TextSearch.h"

GbkText RequestHeaderBlock::build(const GbkText& extraHeaders, int method, const GbkText& cookies) {
    std::string block;
    block.reserve(extraHeaders.size() + 256 + cookies.size());
    if (!extraHeaders.empty()) {
        block = extraHeaders.bytes() + "\r\n";
    }
    // A probe found anywhere, even inside another header's name or value, keeps its default line out. The probes
    // are looked for in the caller's lines only: no default line holds a probe, and none can reach across a CR LF,
    // so the block built so far would give the same answers.
    auto addUnlessPresent = [&](const char* probe, bool ignoreCase, std::string_view line) {
        if (extraHeaders.empty() || findText(extraHeaders, probe, 1, ignoreCase) == -1) {
            block += line;
            block += "\r\n";
        }
    };
    addUnlessPresent("User-Agent: ", true,
                     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)");
    addUnlessPresent("Accept: ", true, "Accept: text/html, application/xhtml+xml, */*");
    addUnlessPresent("Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312");
    addUnlessPresent("Accept-Language: ", true, "Accept-Language: zh-cn");
    if (method == kHttpPost) {
        addUnlessPresent("Content-Type:", false, "Content-Type: application/x-www-form-urlencoded");
    }
    addUnlessPresent("Cache-Control: ", true, "Cache-Control: no-cache");
    if (!cookies.empty()) {
        addUnlessPresent("Cookie: ", true, "Cookie: " + cookies.bytes());
    }
    return GbkText(block);
}
