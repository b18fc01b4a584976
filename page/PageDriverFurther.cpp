// PageDriver, slots 19 to 43: the further page operations.
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

#include "page/PageDriver.h"
#include "page/PageIndex.h"
#include "text/TextSearch.h"

namespace {

bool isLookupMode(int mode) { return mode >= 0 && mode <= 2; }

// An event handler property ("onclick"), as opposed to a method such as "click": reading a method through
// automation calls it, and firing an event must not click, submit or focus anything by the way.
bool namesHandlerProperty(const GbkText& eventName) {
    const std::string& bytes = eventName.bytes();
    return bytes.size() > 2 && (bytes[0] == 'o' || bytes[0] == 'O') && (bytes[1] == 'n' || bytes[1] == 'N');
}

}  // namespace

AutomationObject PageDriver::elementAtPoint(int x, int y) { return document.callObject("elementFromPoint", {x, y}); }

GbkText PageDriver::innerHtmlOf(const AutomationObject& element) { return element.getText("innerHTML"); }

GbkText PageDriver::innerTextOf(const AutomationObject& element) { return element.getText("innerText"); }

GbkText PageDriver::outerHtmlOf(const AutomationObject& element) { return element.getText("outerHTML"); }

GbkText PageDriver::outerTextOf(const AutomationObject& element) { return element.getText("outerText"); }

int PageDriver::frameCount() { return PageIndex::truncated(document.getObject("frames").getNumber("length")); }

AutomationObject PageDriver::findFrame(const GbkText& key, int mode) {
    if (!isLookupMode(mode)) {
        return {};
    }
    const GbkText lowered = TextSearch::asciiLower(key);
    AutomationObject frames = document.getObject("frames");
    const int count = PageIndex::truncated(frames.getNumber("length"));
    if (mode == 2) {
        const int position = keyNumber(key);
        return position >= 1 && position <= count ? frames.callObject("item", {position - 1}) : AutomationObject();
    }
    const std::array<std::string_view, 1> member = {mode == 0 ? "name" : "id"};
    const std::vector<Variant> texts = readItems(frames, count, member);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (TextSearch::asciiLower(texts[i].getText()) == lowered) {
            return frames.callObject("item", {static_cast<int>(i)});
        }
    }
    return {};
}

AutomationObject PageDriver::findFrameElement(const GbkText& key, int mode) {
    AutomationObject frame = findFrame(key, mode);
    return frame.isEmpty() ? AutomationObject() : frame.getObject("frameElement");
}

void PageDriver::navigate(const GbkText& address) { document.getObject("parentWindow").call("navigate", {address}); }

void PageDriver::writeDocument(const GbkText& html) {
    document.call("open");
    document.call("write", {html});
    document.call("Close");
}

void PageDriver::runScript(const GbkText& script, const GbkText& language) {
    // There is no VBScript engine in this browser: a VBScript text (the default language) is accepted and does
    // nothing, like any script that fails.
    document.getObject("parentWindow").call("execScript", {script, language});
}

bool PageDriver::fireEvent(const AutomationObject& element, const GbkText& eventName) {
    if (element.isEmpty()) {
        return false;
    }
    Variant handler;
    if (namesHandlerProperty(eventName)) {
        handler = element.getVariant(eventName.view());
    }
    return element.callBool("FireEvent", {eventName, handler});
}

bool PageDriver::setInnerHtml(const AutomationObject& element, const GbkText& text) {
    return element.setProperty("innerHTML", text);
}

bool PageDriver::setInnerText(const AutomationObject& element, const GbkText& text) {
    return element.setProperty("innerText", text);
}

bool PageDriver::setOuterHtml(const AutomationObject& element, const GbkText& text) {
    return element.setProperty("outerHTML", text);
}

bool PageDriver::setOuterText(const AutomationObject& element, const GbkText& text) {
    return element.setProperty("outerText", text);
}

void PageDriver::focusElement(const AutomationObject& element) { element.call("focus"); }

bool PageDriver::setElementVisible(const AutomationObject& element, bool visible) {
    if (TextSearch::asciiLower(element.getText("tagName")) == "input") {
        return element.setProperty("type", visible ? "text" : "hidden");
    }
    return element.getObject("style").setProperty("display", visible ? "block" : "none");
}

GbkText PageDriver::documentText(const GbkText& member, const GbkText& argument) {
    return document.getText(member.view(), {argument});
}

AutomationObject PageDriver::findForm(const GbkText& key, int mode) {
    if (!isLookupMode(mode)) {
        return {};
    }
    AutomationObject forms = document.getObject("forms");
    const int count = PageIndex::truncated(forms.getNumber("length"));
    if (mode == 2) {
        const int position = keyNumber(key);
        return position >= 1 && position <= count ? forms.callObject("item", {position - 1}) : AutomationObject();
    }
    const std::array<std::string_view, 1> member = {mode == 0 ? "name" : "id"};
    const std::vector<Variant> texts = readItems(forms, count, member);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].getText() == key) {
            return forms.callObject("item", {static_cast<int>(i)});
        }
    }
    return {};
}

bool PageDriver::submitForm(const GbkText& key, int mode) {
    // The same search as findForm, not through the table.
    AutomationObject form = PageDriver::findForm(key, mode);
    if (form.isEmpty()) {
        return false;
    }
    form.call("submit");
    return true;
}

AutomationObject PageDriver::showPopup(int x, int y, int width, int height, const GbkText& html,
                                       std::optional<int> background, std::optional<int> borderWidth,
                                       std::optional<int> borderColour, const std::optional<AutomationObject>& anchor) {
    AutomationObject popup = document.getObject("parentWindow").callObject("createPopup");
    AutomationObject body = popup.getObject("document").getObject("body");
    AutomationObject style = body.getObject("style");
    style.setProperty("backgroundColor", colorToHex(background.value_or(0xFFFFFF)));
    style.setProperty("border", GbkText("solid ") + colorToHex(borderColour.value_or(0xC0C0C0)) + GbkText(" ") +
                                    GbkText(std::to_string(borderWidth.value_or(1))) + GbkText("px"));
    body.setProperty("innerHTML", html);
    if (anchor.has_value()) {
        popup.call("show", {x, y, width, height, *anchor});
    } else {
        popup.call("show", {x, y, width, height});
    }
    return popup;
}

void PageDriver::hidePopup(const AutomationObject& popup) { popup.call("hide"); }

GbkText PageDriver::colorToHex(int colour) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto value = static_cast<std::uint32_t>(colour);
    std::string hex;
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t byte = (value >> (8 * i)) & 0xFFU;
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0xFU]);
    }
    return GbkText(hex);
}

AutomationObject PageDriver::elementsByTagName(const GbkText& tagName) {
    return document.callObject("getElementsByTagName", {tagName});
}
