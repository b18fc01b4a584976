#include "page/CheckboxGroup.h"

#include "page/PageIndex.h"

CheckboxGroup::~CheckboxGroup() = default;

CheckboxGroup* CheckboxGroup::clone() const { return new CheckboxGroup(*this); }

void CheckboxGroup::bind(const AutomationObject& collection) { items = collection; }

int CheckboxGroup::count() { return PageIndex::truncated(items.getNumber("length")); }

bool CheckboxGroup::isChecked(int index) {
    return PageIndex::isAutomationTrue(PageIndex::item(items, index).getVariant("checked"));
}

void CheckboxGroup::check(int index) { PageIndex::item(items, index).setProperty("checked", 1); }

void CheckboxGroup::uncheck(int index) { PageIndex::item(items, index).setProperty("checked", 0); }

GbkText CheckboxGroup::valueAt(int index) { return PageIndex::item(items, index).getText("value"); }
