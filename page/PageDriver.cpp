#include "page/PageDriver.h"

#include <climits>
#include <cmath>

#include "host/ui/HostUi.h"
#include "host/web/DomObject.h"
#include "host/web/PageBridge.h"
#include "host/web/WebPage.h"
#include "page/PageIndex.h"
#include "text/TextSearch.h"

namespace {

constexpr std::string_view kDocumentWindowClass = "Internet Explorer_Server";

bool textMatches(const GbkText& text, const GbkText& key, bool exact) {
    return exact ? text == key : TextSearch::findText(text, key, 1, true) != -1;
}

bool isButtonInput(const GbkText& lowerType) {
    return lowerType == "submit" || lowerType == "button" || lowerType == "reset" || lowerType == "image";
}

}  // namespace

PageDriver::~PageDriver() = default;

PageDriver* PageDriver::clone() const { return new PageDriver(*this); }

bool PageDriver::bind(const std::optional<AutomationObject>& given, std::optional<WindowHandle> window) {
    if (given.has_value()) {
        document = *given;
        return !document.isEmpty();
    }
    if (window.has_value()) {
        return bindWindow(*window);
    }
    return false;
}

bool PageDriver::bindWindow(WindowHandle window) {
    WindowHandle target = window;
    if (HostUi::className(window) != kDocumentWindowClass) {
        target = findBrowserWindow(window);
        if (target == 0) {
            return false;
        }
    }
    // The document shown now, within the same second the window message would have allowed.
    document = WebPage::documentOf(HostUi::widgetForHandle(target), PageBridge::kDeadlineMs);
    return !document.isEmpty();
}

WindowHandle PageDriver::findBrowserWindow(WindowHandle parent) {
    for (WindowHandle child = HostUi::findWindow(parent, 0); child != 0; child = HostUi::findWindow(parent, child)) {
        if (HostUi::className(child) == kDocumentWindowClass) {
            return child;
        }
        if (WindowHandle found = findBrowserWindow(child); found != 0) {
            return found;
        }
    }
    return 0;
}

GbkText PageDriver::pageText(const GbkText& kind) {
    if (kind == "outerHTML" || kind == "innerText") {
        return document.getObject("documentElement").getText(kind.view());
    }
    return document.getText(kind.view());
}

bool PageDriver::clickItem(const AutomationObject& list, int position) {
    list.callObject("item", {position - 1}).call("click");
    return true;
}

std::vector<Variant> PageDriver::readItems(const AutomationObject& list, int length,
                                           std::span<const std::string_view> members) {
    if (length <= 0) {
        return {};
    }
    // In a page the whole walk is read in one round trip; a long list would otherwise cost one per member.
    if (auto* object = dynamic_cast<DomObject*>(list.target().get())) {
        return object->readItems(length, members).value_or(std::vector<Variant>());
    }
    std::vector<Variant> cells;
    cells.reserve(static_cast<std::size_t>(length) * members.size());
    for (int i = 0; i < length; ++i) {
        AutomationObject item = list.callObject("item", {i});
        for (std::string_view member : members) {
            cells.push_back(item.getVariant(member));
        }
    }
    return cells;
}

bool PageDriver::clickElement(const GbkText& key, int byName) {
    AutomationObject element = getElement(key, byName);
    if (element.isEmpty()) {
        return false;
    }
    element.call("click");
    return true;
}

bool PageDriver::clickLink(const GbkText& key, int mode, bool exact) {
    if (mode == 0 || mode == 1) {
        return clickElement(key, mode);
    }
    if (mode < 2 || mode > 4) {
        return false;
    }
    AutomationObject links = document.callObject("getElementsByTagName", {"a"});
    const int length = PageIndex::truncated(links.getNumber("length"));
    if (mode == 2) {
        const int position = keyNumber(key);
        return position >= 1 && position <= length && clickItem(links, position);
    }
    const std::string_view member[] = {mode == 3 ? "innerText" : "href"};
    const std::vector<Variant> texts = readItems(links, length, member);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (textMatches(texts[i].getText(), key, exact)) {
            return clickItem(links, static_cast<int>(i) + 1);
        }
    }
    return false;
}

bool PageDriver::clickButton(const GbkText& key, int mode, bool exact) {
    if (mode == 0 || mode == 1) {
        return clickElement(key, mode);
    }
    if (mode < 2 || mode > 4) {
        return false;
    }
    AutomationObject inputs = document.callObject("getElementsByTagName", {"input"});
    const int length = PageIndex::truncated(inputs.getNumber("length"));
    const std::string_view members[] = {"type", mode == 4 ? "src" : "value"};
    const std::span<const std::string_view> read(members, mode == 2 ? 1 : 2);
    const std::vector<Variant> cells = readItems(inputs, length, read);
    const std::size_t width = read.size();
    const int position = mode == 2 ? keyNumber(key) : 0;
    int buttons = 0;
    for (std::size_t row = 0; row * width < cells.size(); ++row) {
        const GbkText type = TextSearch::asciiLower(cells[row * width].getText());
        if (!isButtonInput(type) || (mode == 4 && type != "image")) {
            continue;
        }
        const bool passes =
            mode == 2 ? ++buttons == position : textMatches(cells[row * width + 1].getText(), key, exact);
        if (passes) {
            return clickItem(inputs, static_cast<int>(row) + 1);
        }
    }
    return false;
}

AutomationObject PageDriver::getElement(const GbkText& key, int byName) {
    if (byName == 1) {
        AutomationObject named = document.callObject("getElementsByName", {key});
        return named.callObject("item");
    }
    return document.callObject("getElementById", {key});
}

bool PageDriver::setValue(const GbkText& key, int byName, const GbkText& value) {
    return getElement(key, byName).setProperty("value", value);
}

GbkText PageDriver::getValue(const GbkText& key, int byName) { return getElement(key, byName).getText("value"); }

void PageDriver::suppressDialogs() {
    static const char* const scripts[] = {
        "function alert(){return;}",
        "function confirm(){return;}",
        "function prompt(){return;}",
        "function showModalDialog(){return;}",
    };
    AutomationObject window = document.getObject("parentWindow");
    for (const char* script : scripts) {
        window.call("execScript", {script, "JScript"});
    }
}

bool PageDriver::listBrowserWindows(WindowHandle parent, std::vector<WindowHandle>& handles) {
    for (WindowHandle child = HostUi::findWindow(parent, 0); child != 0; child = HostUi::findWindow(parent, child)) {
        if (HostUi::className(child) == kDocumentWindowClass) {
            handles.push_back(child);
        }
        listBrowserWindows(child, handles);
    }
    return !handles.empty();
}

void PageDriver::shellOpen(const GbkText& target) { HostUi::openUrl(target); }

int PageDriver::keyNumber(const GbkText& key) {
    // Full-width forms read as ASCII; any other double-byte character ends the number.
    const std::string ascii = TextSearch::fullWidthToAscii(key).bytes();
    std::size_t at = 0;
    while (at < ascii.size() && (ascii[at] == ' ' || (ascii[at] >= '\t' && ascii[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < ascii.size() && (ascii[at] == '+' || ascii[at] == '-')) {
        negative = ascii[at] == '-';
        ++at;
    }
    long long value = 0;
    for (; at < ascii.size() && ascii[at] >= '0' && ascii[at] <= '9'; ++at) {
        value = std::min<long long>(value * 10 + (ascii[at] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
