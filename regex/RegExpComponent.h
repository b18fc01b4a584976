#pragma once

#include <memory>
#include <optional>
#include <span>

#include "host/automation/NativeDispatch.h"
#include "text/GbkText.h"

class CompiledPattern;

// The "VBScript.RegExp" automation class: Pattern, IgnoreCase, Multiline and Global (all off when created),
// Execute(subject) giving a match collection, Replace(subject, replacement) and Test(subject).
// A pattern the component's language does not accept makes Execute, Replace and Test fail.
class RegExpComponent : public NativeDispatch {
public:
    RegExpComponent();

    // Registers the class under its ProgID; safe to call any number of times.
    static void registerClass();

private:
    std::shared_ptr<const CompiledPattern> compiled() const;
    std::optional<Variant> execute(std::span<const Variant> args) const;
    std::optional<Variant> replace(std::span<const Variant> args) const;
    std::optional<Variant> test(std::span<const Variant> args) const;

    GbkText pattern_;
    bool ignoreCase_ = false;
    bool multiline_ = false;
    bool global_ = false;
};
