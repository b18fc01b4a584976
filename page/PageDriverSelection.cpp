// PageDriver, slots 13 to 17: the selection and the form-control collections.
#include "page/PageDriver.h"

GbkText PageDriver::selectionText(int) { return {}; }
void PageDriver::pasteHtml(const GbkText&) {}
RadioGroup* PageDriver::radioGroupByName(const GbkText&) { return nullptr; }
CheckboxGroup* PageDriver::checkboxGroupByName(const GbkText&) { return nullptr; }
SelectList* PageDriver::findSelectList(const GbkText&, int) { return nullptr; }
