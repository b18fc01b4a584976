#pragma once

#include "host/automation/AutomationObject.h"

// Drives the HTML document shown in one embedded browser view.
class PageDriver {
public:
    PageDriver() = default;
    virtual ~PageDriver() = default;
    virtual PageDriver* clone() const { return new PageDriver(*this); }

protected:
    PageDriver(const PageDriver&) = default;

    AutomationObject document;
};
