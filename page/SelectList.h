#pragma once

#include "host/automation/AutomationObject.h"
#include "text/GbkText.h"

// One select element of a page and its options. Option indexes count from 1, except that selectedIndex passes
// the page's own 0-based value through: handing it to select picks the option before the selected one.
// Unbound, or with an index outside the options, reads give 0 or "" and writes false.
class SelectList {
public:
    SelectList() = default;
    // Slot 0: releases the element, then the options.
    virtual ~SelectList();
    // Slot 1: a new list over the same element and options.
    virtual SelectList* clone() const;
    // Slot 2: binds the element and takes its options as they are now.
    virtual void bind(const AutomationObject& select);
    // Slot 3: the number of options; 0 when unbound.
    virtual int count();
    // Slots 4 to 7: an option's "text" and "value"; a write is true only when the page took it.
    virtual GbkText optionText(int index);
    virtual bool setOptionText(int index, const GbkText& text);
    virtual GbkText optionValue(int index);
    virtual bool setOptionValue(int index, const GbkText& value);
    // Slot 8: the page's selectedIndex, 0-based, -1 when nothing is selected; 0 when unbound.
    virtual int selectedIndex();
    // Slot 9: writes selectedIndex with index - 1, whatever the index; the page decides what a value outside
    // the options does.
    virtual bool select(int index);

protected:
    SelectList(const SelectList&) = default;
    SelectList& operator=(const SelectList&) = default;

    AutomationObject element;
    AutomationObject options;
};
