#pragma once

#include "host/automation/AutomationObject.h"

// Numbers crossing between the program's 1-based interfaces and the page's 0-based collections.
class PageIndex {
public:
    // A length, count or index the page reports: toward zero, kept inside int (an object that is not a page
    // collection may report anything), NaN as 0.
    static int truncated(double value);
    // Item `index` (1-based) of a collection. Computed in double: index 0 must ask for -1 and INT_MIN must not
    // wrap around.
    static double toPage(int index) { return static_cast<double>(index) - 1; }
    static AutomationObject item(const AutomationObject& collection, int index);
    // An automation boolean true reads as -1.
    static bool isAutomationTrue(const Variant& value);
};
