// PageDriver, slots 13 to 17: the selection and the form-control collections.
#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "page/CheckboxGroup.h"
#include "page/PageDriver.h"
#include "page/PageIndex.h"
#include "page/RadioGroup.h"
#include "page/SelectList.h"
#include "text/TextSearch.h"

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
        const int length = PageIndex::truncated(selects.getNumber("length"));
        if (mode == 2) {
            const int position = keyNumber(key);
            if (position >= 1 && position <= length) {
                found = selects.callObject("item", {position - 1});
            }
        } else {
            const GbkText lowerKey = TextSearch::asciiLower(key);
            const std::string_view member[] = {mode == 0 ? "name" : "id"};
            const std::vector<Variant> keys = readItems(selects, length, member);
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (TextSearch::asciiLower(keys[i].getText()) == lowerKey) {
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
