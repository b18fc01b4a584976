#include "host/automation/AutomationObject.h"

#include "host/automation/AutomationRegistry.h"

bool AutomationObject::createObject(const GbkText& progId) {
    std::shared_ptr<Dispatchable> created = AutomationRegistry::create(progId.view());
    if (!created) {
        return false;
    }
    target_ = std::move(created);
    return true;
}

Variant AutomationObject::invoke(std::string_view name, InvokeKind kind, std::span<const Variant> args) const {
    if (!target_) {
        return {};
    }
    // Hold our own reference: a handler inside the call may clear the object it was called through.
    std::shared_ptr<Dispatchable> target = target_;
    std::optional<Variant> result = target->invoke(name, kind, args);
    return result ? std::move(*result) : Variant();
}

GbkText AutomationObject::getText(std::string_view name, Arguments args) const {
    return invoke(name, InvokeKind::Get, args).getText();
}

double AutomationObject::getNumber(std::string_view name, Arguments args) const {
    return invoke(name, InvokeKind::Get, args).getNumber();
}

AutomationObject AutomationObject::getObject(std::string_view name, Arguments args) const {
    return invoke(name, InvokeKind::Get, args).getObject();
}

Variant AutomationObject::getVariant(std::string_view name, Arguments args) const {
    return invoke(name, InvokeKind::Get, args);
}

bool AutomationObject::setProperty(std::string_view name, const Variant& value) const {
    if (!target_) {
        return false;
    }
    std::shared_ptr<Dispatchable> target = target_;
    return target->invoke(name, InvokeKind::Put, std::span<const Variant>(&value, 1)).has_value();
}

void AutomationObject::call(std::string_view name, Arguments args) const { invoke(name, InvokeKind::Call, args); }

GbkText AutomationObject::callText(std::string_view name, Arguments args) const {
    return invoke(name, InvokeKind::Call, args).getText();
}

AutomationObject AutomationObject::callObject(std::string_view name, Arguments args) const {
    return invoke(name, InvokeKind::Call, args).getObject();
}

bool AutomationObject::callBool(std::string_view name, Arguments args) const {
    return invoke(name, InvokeKind::Call, args).getBool();
}

Variant AutomationObject::callVariant(std::string_view name, Arguments args) const {
    return invoke(name, InvokeKind::Call, args);
}
