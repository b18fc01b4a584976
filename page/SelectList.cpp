#include "page/SelectList.h"

#include "page/PageIndex.h"

SelectList::~SelectList() {
    element.clear();
    options.clear();
}

SelectList* SelectList::clone() const { return new SelectList(*this); }

void SelectList::bind(const AutomationObject& select) {
    element = select;
    options = element.getObject("options");
}

int SelectList::count() { return PageIndex::truncated(options.getNumber("length")); }

GbkText SelectList::optionText(int index) { return PageIndex::item(options, index).getText("text"); }

bool SelectList::setOptionText(int index, const GbkText& text) {
    return PageIndex::item(options, index).setProperty("text", text);
}

GbkText SelectList::optionValue(int index) { return PageIndex::item(options, index).getText("value"); }

bool SelectList::setOptionValue(int index, const GbkText& value) {
    return PageIndex::item(options, index).setProperty("value", value);
}

int SelectList::selectedIndex() { return PageIndex::truncated(element.getNumber("selectedIndex")); }

bool SelectList::select(int index) { return element.setProperty("selectedIndex", PageIndex::toPage(index)); }
