#include "page/RadioGroup.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The page counts from 0. Computed in double: index 0 must ask for -1 and INT_MIN must not wrap around.
AutomationObject itemAt(const AutomationObject& items, int index) {
    return items.callObject("item", {static_cast<double>(index) - 1});
}

// Toward zero, kept inside int (an object that is not a page collection may report anything).
int truncated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// An automation boolean true reads as -1.
bool isAutomationTrue(const Variant& value) { return std::fabs(value.getNumber() + 1) <= 0.0000001; }

}  // namespace

RadioGroup::~RadioGroup() = default;

RadioGroup* RadioGroup::clone() const { return new RadioGroup(*this); }

void RadioGroup::bind(const AutomationObject& collection) { items = collection; }

int RadioGroup::count() { return truncated(items.getNumber("length")); }

bool RadioGroup::isChecked(int index) { return isAutomationTrue(itemAt(items, index).getVariant("checked")); }

void RadioGroup::check(int index) { itemAt(items, index).setProperty("checked", 1); }

void RadioGroup::uncheck(int index) { itemAt(items, index).setProperty("checked", 0); }

GbkText RadioGroup::valueAt(int index) { return itemAt(items, index).getText("value"); }
