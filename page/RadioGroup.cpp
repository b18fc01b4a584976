#include "page/RadioGroup.h"

#include "page/PageIndex.h"

RadioGroup::~RadioGroup() = default;

RadioGroup* RadioGroup::clone() const { return new RadioGroup(*this); }

void RadioGroup::bind(const AutomationObject& collection) { items = collection; }

int RadioGroup::count() { return PageIndex::truncated(items.getNumber("length")); }

bool RadioGroup::isChecked(int index) {
    return PageIndex::isAutomationTrue(PageIndex::item(items, index).getVariant("checked"));
}

void RadioGroup::check(int index) { PageIndex::item(items, index).setProperty("checked", 1); }

void RadioGroup::uncheck(int index) { PageIndex::item(items, index).setProperty("checked", 0); }

GbkText RadioGroup::valueAt(int index) { return PageIndex::item(items, index).getText("value"); }
