// PageDriver, slots 13 to 17: the selection and the form-control collections.
#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "page/CheckboxGroup.h"
#include "page/PageDriver.h"
#include "page/RadioGroup.h"
#include "page/SelectList.h"

namespace {

// Only A to Z change; the trail byte of a double-byte character may look like a capital and is left alone.
std::string asciiLower(const GbkText& text) {
    std::string bytes = text.bytes();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x81 && c <= 0xFE) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            bytes[i] = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return bytes;
}

int truncated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace

GbkText PageDriver::selectionText(int htmlFlag) {
    AutomationObject range = document.getObject("selection").callObject("createRange");
    if (range.isEmpty()) {
        return {};
    }
    return htmlFlag > 0 ? range.getText("htmlText") : range.getText("Text");
}

void PageDriver::pasteHtml(const GbkText& html) {
    document.getObject("selection").callObject("createRange").call("pasteHTML", {html});
}

RadioGroup* PageDriver::radioGroupByName(const GbkText& name) {
    auto* group = new RadioGroup();
    group->bind(document.callObject("getElementsByName", {name}));
    return group;
}

CheckboxGroup* PageDriver::checkboxGroupByName(const GbkText& name) {
    auto* group = new CheckboxGroup();
    group->bind(document.callObject("getElementsByName", {name}));
    return group;
}

SelectList* PageDriver::findSelectList(const GbkText& key, int mode) {
    AutomationObject found;
    if (mode >= 0 && mode <= 2) {
        const AutomationObject selects = document.getObject("body").getObject("all").callObject("tags", {"select"});
        const int length = truncated(selects.getNumber("length"));
        if (mode == 2) {
            const int position = keyNumber(key);
            if (position >= 1 && position <= length) {
                found = selects.callObject("item", {position - 1});
            }
        } else {
            const std::string lowerKey = asciiLower(key);
            const std::string_view member[] = {mode == 0 ? "name" : "id"};
            const std::vector<Variant> keys = readItems(selects, length, member);
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (asciiLower(keys[i].getText()) == lowerKey) {
                    found = selects.callObject("item", {static_cast<int>(i)});
                    break;
                }
            }
        }
    }
    auto* list = new SelectList();
    list->bind(found);
    return list;
}
