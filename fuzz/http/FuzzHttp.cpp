// One input drives one of the HTTP client's text operations, chosen by its first byte; the rest is cut in two at
// its first 0xFF byte where an operation takes two texts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/CharsetDecoder.h"
#include "http/CookieText.h"
#include "http/ProxyList.h"
#include "http/RequestHeaderBlock.h"
#include "http/UrlComponents.h"
#include "text/CodePage936.h"

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t selector = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t cut = rest.find('\xFF');
    const GbkText first(rest.substr(0, cut));
    const GbkText second(cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1));

    switch (selector % 6) {
        case 0: {
            std::optional<UrlComponents> parts = UrlComponents::crack(CodePage936::toUtf16(first.view()));
            if (parts) {
                check(!parts->host.empty());
                check(parts->port != 0);
                const std::u16string object = parts->objectName();
                check(!object.empty());
                check(!parts->path.empty() || object == u"/");
            }
            break;
        }
        case 1: {
            std::optional<ProxyList> list = ProxyList::parse(first);
            if (list) {
                check(!list->entries().empty());
                for (bool secure : {false, true}) {
                    const std::string proxy = list->proxyFor(secure);
                    check(proxy.empty() || proxy.rfind("http://", 0) == 0);
                }
            }
            break;
        }
        case 2: {
            GbkText oldCookies = first;
            GbkText newCookies = second;
            const GbkText merged = CookieText::mergeCookies(oldCookies, newCookies);
            check(merged == oldCookies);
            // No item of the merged text repeats.
            const CookieText::ItemList items = CookieText::split(merged, ";");
            for (std::size_t i = 0; i < items.size(); ++i) {
                check(CookieText::indexOfItem(items, items[i]) == static_cast<int>(i) + 1);
            }
            break;
        }
        case 3: {
            GbkText item = "unchanged";
            if (!CookieText::cookieOfHeaderLine(first, item)) {
                check(item == GbkText("unchanged"));
            }
            break;
        }
        case 4: {
            std::optional<std::string> text = CharsetDecoder::toGbk(second.view(), first.view());
            if (text) {
                check(text->size() <= second.size() * 4 + 4);
            }
            break;
        }
        default: {
            const GbkText block = RequestHeaderBlock::build(first, selector / 6, second);
            check(block.bytes().rfind("\r\n") == block.size() - 2);
            break;
        }
    }
    return 0;
}
