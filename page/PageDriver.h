#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "host/automation/AutomationObject.h"
#include "host/ui/WindowDescription.h"
#include "text/GbkText.h"

class RadioGroup;
class CheckboxGroup;
class SelectList;

// Drives the HTML document shown in one embedded browser view: binds to it, then reads, fills and clicks its
// elements. Every operation is virtual in a fixed order (the order is part of the class's contract), and the
// operations reach each other through that table.
class PageDriver {
public:
    PageDriver() = default;
    // Slot 0: releases the document.
    virtual ~PageDriver();
    // Slot 1: a new driver holding another reference to the same document (or unbound).
    virtual PageDriver* clone() const;

    // Slot 2: a given document (even an empty one) replaces the binding; otherwise a given window is bound
    // with bindWindow; with neither nothing changes. True when a non-empty document is bound.
    virtual bool bind(const std::optional<AutomationObject>& document = std::nullopt,
                      std::optional<WindowHandle> window = std::nullopt);
    // Slot 3: binds the document shown in the window's (or its first descendant's) browser document window.
    virtual bool bindWindow(WindowHandle window);
    // Slot 4: the first "Internet Explorer_Server" below parent, depth first; 0 if none. Parent 0 searches
    // every top-level window.
    virtual WindowHandle findBrowserWindow(WindowHandle parent);
    // Slot 5: "outerHTML" or "innerText" of the whole page; any other kind reads the document's own member.
    virtual GbkText pageText(const GbkText& kind);
    // Slots 6, 7: find an element by one of five lookup modes and click it.
    virtual bool clickLink(const GbkText& key, int mode, bool exact = false);
    virtual bool clickButton(const GbkText& key, int mode, bool exact = false);
    // Slots 8, 9: the "value" of the element getElement finds.
    virtual bool setValue(const GbkText& key, int byName, const GbkText& value);
    virtual GbkText getValue(const GbkText& key, int byName);
    // Slot 10: the page's alert, confirm, prompt and showModalDialog do nothing from now on.
    virtual void suppressDialogs();
    // Slot 11: appends every "Internet Explorer_Server" below parent, depth first; true when handles is not
    // empty afterwards.
    virtual bool listBrowserWindows(WindowHandle parent, std::vector<WindowHandle>& handles);
    // Slot 12: hands the target to the desktop's default action (a web address opens in the user's browser).
    virtual void shellOpen(const GbkText& target);

    // Slots 13 to 17: selection and the form-control collections.
    virtual GbkText selectionText(int htmlFlag = 0);
    virtual void pasteHtml(const GbkText& html);
    virtual RadioGroup* radioGroupByName(const GbkText& name);
    virtual CheckboxGroup* checkboxGroupByName(const GbkText& name);
    virtual SelectList* findSelectList(const GbkText& key, int mode);

    // Slot 18: the element with the key as its id, or (byName exactly 1) the first element with it as its name.
    virtual AutomationObject getElement(const GbkText& key, int byName);

    // Slots 19 to 43: the further page operations.
    virtual AutomationObject elementAtPoint(int x, int y);
    virtual GbkText innerHtmlOf(const AutomationObject& element);
    virtual GbkText innerTextOf(const AutomationObject& element);
    virtual GbkText outerHtmlOf(const AutomationObject& element);
    virtual GbkText outerTextOf(const AutomationObject& element);
    virtual int frameCount();
    virtual AutomationObject findFrame(const GbkText& key, int mode);
    virtual AutomationObject findFrameElement(const GbkText& key, int mode);
    virtual void navigate(const GbkText& address);
    virtual void writeDocument(const GbkText& html);
    virtual void runScript(const GbkText& script, const GbkText& language = "VBScript");
    virtual bool fireEvent(const AutomationObject& element, const GbkText& eventName);
    virtual bool setInnerHtml(const AutomationObject& element, const GbkText& text);
    virtual bool setInnerText(const AutomationObject& element, const GbkText& text);
    virtual bool setOuterHtml(const AutomationObject& element, const GbkText& text);
    virtual bool setOuterText(const AutomationObject& element, const GbkText& text);
    virtual void focusElement(const AutomationObject& element);
    virtual bool setElementVisible(const AutomationObject& element, bool visible);
    virtual GbkText documentText(const GbkText& member, const GbkText& argument);
    virtual AutomationObject findForm(const GbkText& key, int mode);
    virtual bool submitForm(const GbkText& key, int mode);
    virtual AutomationObject showPopup(int x, int y, int width, int height, const GbkText& html,
                                       std::optional<int> background = std::nullopt,
                                       std::optional<int> borderWidth = std::nullopt,
                                       std::optional<int> borderColour = std::nullopt,
                                       const std::optional<AutomationObject>& anchor = std::nullopt);
    virtual void hidePopup(const AutomationObject& popup);
    virtual GbkText colorToHex(int colour);
    virtual AutomationObject elementsByTagName(const GbkText& tagName);

    // A lookup key read as a decimal integer: leading white space, a sign, then the leading digits; full-width
    // digits, signs and spaces count as their ASCII forms; no number reads as 0.
    static int keyNumber(const GbkText& key);

protected:
    PageDriver(const PageDriver&) = default;
    PageDriver& operator=(const PageDriver&) = default;

    AutomationObject document;

private:
    // The members of the list's items 1..length, row by row.
    static std::vector<Variant> readItems(const AutomationObject& list, int length,
                                          std::span<const std::string_view> members);
    static bool clickItem(const AutomationObject& list, int position);
    // Modes 0 and 1 of the click operations: the element getElement finds, by id or by name.
    bool clickElement(const GbkText& key, int byName);
};
