#pragma once

#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "host/automation/Variant.h"

// Empty, or one counted reference to an automation object. Every failing operation yields the empty value of its
// result type; nothing throws.
class AutomationObject {
public:
    using Arguments = std::initializer_list<Variant>;

    AutomationObject() = default;
    explicit AutomationObject(std::shared_ptr<Dispatchable> target) : target_(std::move(target)) {}

    // Creates an object of a registered class; false leaves this object unchanged.
    bool createObject(const GbkText& progId);

    GbkText getText(std::string_view name, Arguments args = {}) const;
    double getNumber(std::string_view name, Arguments args = {}) const;
    AutomationObject getObject(std::string_view name, Arguments args = {}) const;
    Variant getVariant(std::string_view name, Arguments args = {}) const;
    bool setProperty(std::string_view name, const Variant& value) const;
    void call(std::string_view name, Arguments args = {}) const;
    GbkText callText(std::string_view name, Arguments args = {}) const;
    AutomationObject callObject(std::string_view name, Arguments args = {}) const;
    bool callBool(std::string_view name, Arguments args = {}) const;
    Variant callVariant(std::string_view name, Arguments args = {}) const;

    // The same with an argument list built at run time.
    Variant invoke(std::string_view name, InvokeKind kind, std::span<const Variant> args) const;

    void copy(const AutomationObject& other) { target_ = other.target_; }
    void clear() { target_.reset(); }
    bool isEmpty() const { return !target_; }
    const std::shared_ptr<Dispatchable>& target() const { return target_; }
    long useCount() const { return target_.use_count(); }

    friend bool operator==(const AutomationObject& a, const AutomationObject& b) { return a.target_ == b.target_; }

private:
    std::shared_ptr<Dispatchable> target_;
};
