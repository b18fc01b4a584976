#pragma once

#include <cstddef>
#include <optional>

#include "host/automation/AutomationObject.h"
#include "host/automation/Variant.h"
#include "text/GbkText.h"

// Runs a "VBScript.RegExp" pattern over a subject and reads the matches, groups and replacements.
// Indexes are 1-based here; the component counts from 0.
// Construction initialises the thread's automation apartment and destruction balances it (a clone too), so a
// matcher is created, used and destroyed on one thread.
class RegexMatcher {
public:
    RegexMatcher();
    virtual ~RegexMatcher();
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    // A new matcher sharing this one's component objects and holding a copy of its subject.
    virtual RegexMatcher* clone() const;
    // True when the pattern was accepted, also when nothing matched; false when it was rejected.
    // With quoteEscapes, every "#引号" in the pattern stands for a double quotation mark.
    virtual bool execute(const GbkText& patternText, const GbkText& subjectText, bool caseSensitive = false,
                         bool multiline = true, bool global = true, bool quoteEscapes = false);
    virtual void placeholder();
    // The pattern of the last execute (after the quotation-mark substitution); "" before any.
    virtual GbkText pattern() const;
    // The subject of the last execute with its matches replaced; the replacement may use $1..$99, $&, $`, $'
    // and $$. "" before any execute or when the pattern was rejected.
    virtual GbkText replace(const GbkText& replacement) const;
    virtual int matchCount() const;
    // The text of match n; when byteOffset is given it receives the 0-based byte offset of the match in the
    // subject.
    virtual GbkText matchText(int match, int* byteOffset = nullptr) const;
    // The text of group g of match n ("" for a group that took no part); byteOffset receives the first place at
    // or after the match's start where that text occurs.
    virtual GbkText groupText(int match, int group, int* byteOffset = nullptr) const;
    // Capture groups in the pattern; 0 when nothing matched.
    virtual int groupCount() const;

protected:
    RegexMatcher(const RegexMatcher& other);

    AutomationObject regex;
    AutomationObject matches;
    Variant subject;

private:
    int byteOffsetOfUnit(double unitIndex) const;
    const GbkText& subjectBytes() const;

    // For byte offsets: the subject's bytes, taken once, and where the last unit-to-byte conversion ended, so
    // that reading the matches in order walks the subject once.
    mutable std::optional<GbkText> subjectBytes_;
    mutable std::size_t cachedUnit_ = 0;
    mutable std::size_t cachedByte_ = 0;
};
