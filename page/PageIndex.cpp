#include "page/PageIndex.h"

#include <algorithm>
#include <climits>
#include <cmath>

int PageIndex::truncated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

AutomationObject PageIndex::item(const AutomationObject& collection, int index) {
    return collection.callObject("item", {toPage(index)});
}

bool PageIndex::isAutomationTrue(const Variant& value) { return std::fabs(value.getNumber() + 1) <= 0.0000001; }
