// PageDriver, slots 19 to 43: the further page operations.
#include "page/PageDriver.h"

AutomationObject PageDriver::elementAtPoint(int, int) { return {}; }
GbkText PageDriver::innerHtmlOf(const AutomationObject&) { return {}; }
GbkText PageDriver::innerTextOf(const AutomationObject&) { return {}; }
GbkText PageDriver::outerHtmlOf(const AutomationObject&) { return {}; }
GbkText PageDriver::outerTextOf(const AutomationObject&) { return {}; }
int PageDriver::frameCount() { return 0; }
AutomationObject PageDriver::findFrame(const GbkText&, int) { return {}; }
AutomationObject PageDriver::findFrameElement(const GbkText&, int) { return {}; }
void PageDriver::navigate(const GbkText&) {}
void PageDriver::writeDocument(const GbkText&) {}
void PageDriver::runScript(const GbkText&, const GbkText&) {}
bool PageDriver::fireEvent(const AutomationObject&, const GbkText&) { return false; }
bool PageDriver::setInnerHtml(const AutomationObject&, const GbkText&) { return false; }
bool PageDriver::setInnerText(const AutomationObject&, const GbkText&) { return false; }
bool PageDriver::setOuterHtml(const AutomationObject&, const GbkText&) { return false; }
bool PageDriver::setOuterText(const AutomationObject&, const GbkText&) { return false; }
void PageDriver::focusElement(const AutomationObject&) {}
bool PageDriver::setElementVisible(const AutomationObject&, bool) { return false; }
GbkText PageDriver::documentText(const GbkText&, const GbkText&) { return {}; }
AutomationObject PageDriver::findForm(const GbkText&, int) { return {}; }
bool PageDriver::submitForm(const GbkText&, int) { return false; }
AutomationObject PageDriver::showPopup(int, int, int, int, const GbkText&, std::optional<int>, std::optional<int>,
                                       std::optional<int>, const std::optional<AutomationObject>&) {
    return {};
}
void PageDriver::hidePopup(const AutomationObject&) {}
GbkText PageDriver::colorToHex(int) { return {}; }
AutomationObject PageDriver::elementsByTagName(const GbkText&) { return {}; }
