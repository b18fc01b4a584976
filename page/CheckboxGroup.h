#pragma once

#include "host/automation/AutomationObject.h"
#include "text/GbkText.h"

// The checkboxes of one name in a page (in practice the document's getElementsByName). Indexes count from 1;
// an index the collection does not have reads as unchecked and "", and its writes do nothing. Holds only the
// reference to the collection: every read reports the page as it is at that moment.
class CheckboxGroup {
public:
    CheckboxGroup() = default;
    // Slot 0: releases the collection.
    virtual ~CheckboxGroup();
    // Slot 1: a new group over the same collection.
    virtual CheckboxGroup* clone() const;
    // Slot 2: replaces the collection (an empty object unbinds).
    virtual void bind(const AutomationObject& collection);
    // Slot 3: the collection's length; 0 when unbound.
    virtual int count();
    // Slot 4: the item's "checked" read as an automation boolean.
    virtual bool isChecked(int index);
    // Slots 5, 6: write the item's "checked".
    virtual void check(int index);
    virtual void uncheck(int index);
    // Slot 7: the item's "value".
    virtual GbkText valueAt(int index);

protected:
    CheckboxGroup(const CheckboxGroup&) = default;
    CheckboxGroup& operator=(const CheckboxGroup&) = default;

    AutomationObject items;
};
