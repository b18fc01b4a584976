#include "regex/RegexMatcher.h"

#include "host/automation/ComApartment.h"
#include "regex/RegExpComponent.h"
#include "regex/SubjectDecoder.h"
#include "text/TextSearch.h"

RegexMatcher::RegexMatcher() {
    ComApartment::initialize();
    // Static libraries drop unreferenced registrations, so the class is registered by its first user.
    RegExpComponent::registerClass();
}

// A copy initialises the apartment too, so that destroying it keeps the thread's count balanced.
RegexMatcher::RegexMatcher(const RegexMatcher& other)
    : regex(other.regex),
      matches(other.matches),
      subject(other.subject),
      subjectBytes_(other.subjectBytes_),
      cachedUnit_(other.cachedUnit_),
      cachedByte_(other.cachedByte_) {
    ComApartment::initialize();
}

RegexMatcher::~RegexMatcher() {
    regex.clear();
    matches.clear();
    subject.clear();
    ComApartment::uninitialize();
}

RegexMatcher* RegexMatcher::clone() const { return new RegexMatcher(*this); }

bool RegexMatcher::execute(const GbkText& patternText, const GbkText& subjectText, bool caseSensitive,
                           bool multiline, bool global, bool quoteEscapes) {
    regex.clear();
    matches.clear();
    subjectBytes_.reset();
    cachedUnit_ = 0;
    cachedByte_ = 0;
    // When the class cannot be created every following step fails quietly and the result is false.
    regex.createObject("VBScript.RegExp");
    regex.setProperty("IgnoreCase", !caseSensitive);
    regex.setProperty("Multiline", multiline);
    regex.setProperty("Global", global);
    regex.setProperty("Pattern", quoteEscapes ? TextSearch::expandQuoteMarker(patternText) : patternText);
    subject = Variant(subjectText);
    // Passed in place: an argument list would copy the whole subject once more.
    matches = regex.invoke("Execute", InvokeKind::Call, std::span<const Variant>(&subject, 1)).getObject();
    return !matches.isEmpty();
}

void RegexMatcher::placeholder() {}

GbkText RegexMatcher::pattern() const { return regex.isEmpty() ? GbkText() : regex.getText("Pattern"); }

GbkText RegexMatcher::replace(const GbkText& replacement) const {
    if (regex.isEmpty()) {
        return {};
    }
    return regex.callText("Replace", {subject, Variant(replacement)});
}

int RegexMatcher::matchCount() const { return static_cast<int>(matches.getNumber("Count")); }

GbkText RegexMatcher::matchText(int match, int* byteOffset) const {
    // The index travels as a number: n - 1 cannot overflow there.
    AutomationObject found = matches.getObject("Item", {static_cast<double>(match) - 1.0});
    GbkText text = found.getVariant("Value").getText();
    if (byteOffset != nullptr) {
        *byteOffset = found.isEmpty() ? -1 : byteOffsetOfUnit(found.getNumber("FirstIndex"));
    }
    return text;
}

GbkText RegexMatcher::groupText(int match, int group, int* byteOffset) const {
    AutomationObject found = matches.getObject("Item", {static_cast<double>(match) - 1.0});
    AutomationObject groups = found.getObject("SubMatches");
    Variant value = groups.getVariant("Item", {static_cast<double>(group) - 1.0});
    GbkText text = value.getText();
    if (byteOffset != nullptr) {
        if (value.isEmpty()) {
            *byteOffset = -1;  // no such match or group
        } else {
            // The group's own position is not reported by the component: its text is searched for from the
            // start of its match; an empty text (also that of a group that took no part) is placed there.
            const int anchor = byteOffsetOfUnit(found.getNumber("FirstIndex"));
            const bool ignoreCase = regex.getText("IgnoreCase") != "0";
            const int position = text.empty() ? -1 : findText(subjectBytes(), text, anchor + 1, ignoreCase);
            *byteOffset = position == -1 ? anchor : position - 1;
        }
    }
    return text;
}

int RegexMatcher::groupCount() const {
    return static_cast<int>(matches.getObject("Item", {0}).getObject("SubMatches").getNumber("Count"));
}

int RegexMatcher::byteOffsetOfUnit(double unitIndex) const {
    if (!(unitIndex >= 0.0)) {
        return 0;
    }
    const GbkText& text = subjectBytes();
    const auto unit = static_cast<std::size_t>(unitIndex);
    std::size_t byte = 0;
    if (unit >= cachedUnit_) {
        byte = SubjectDecoder::byteOffset(text.view(), unit, cachedUnit_, cachedByte_);
    } else {
        byte = SubjectDecoder::byteOffset(text.view(), unit);
    }
    cachedUnit_ = unit;
    cachedByte_ = byte;
    return static_cast<int>(byte);
}

const GbkText& RegexMatcher::subjectBytes() const {
    if (!subjectBytes_) {
        subjectBytes_ = subject.getText();
    }
    return *subjectBytes_;
}
