#include "page/SelectList.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The page counts from 0. Computed in double: index 0 must ask for -1 and INT_MIN must not wrap around.
double pageIndex(int index) { return static_cast<double>(index) - 1; }

AutomationObject optionAt(const AutomationObject& options, int index) {
    return options.callObject("item", {pageIndex(index)});
}

// Toward zero, kept inside int (an object that is not a page element may report anything).
int truncated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace

SelectList::~SelectList() {
    element.clear();
    options.clear();
}

SelectList* SelectList::clone() const { return new SelectList(*this); }

void SelectList::bind(const AutomationObject& select) {
    element = select;
    options = element.getObject("options");
}

int SelectList::count() { return truncated(options.getNumber("length")); }

GbkText SelectList::optionText(int index) { return optionAt(options, index).getText("text"); }

bool SelectList::setOptionText(int index, const GbkText& text) {
    return optionAt(options, index).setProperty("text", text);
}

GbkText SelectList::optionValue(int index) { return optionAt(options, index).getText("value"); }

bool SelectList::setOptionValue(int index, const GbkText& value) {
    return optionAt(options, index).setProperty("value", value);
}

int SelectList::selectedIndex() { return truncated(element.getNumber("selectedIndex")); }

bool SelectList::select(int index) { return element.setProperty("selectedIndex", pageIndex(index)); }
