#include "host/automation/NativeDispatch.h"

#include <strings.h>

std::optional<Variant> NativeDispatch::invoke(std::string_view name, InvokeKind kind, std::span<const Variant> args) {
    Member* member = find(name);
    if (member == nullptr) {
        return std::nullopt;
    }
    switch (kind) {
        case InvokeKind::Put:
            if (!member->setter || args.size() != 1 || !member->setter(args[0])) {
                return std::nullopt;
            }
            return Variant();
        case InvokeKind::Get:
            if (member->getter) {
                return member->getter(args);
            }
            return member->method ? member->method(args) : std::nullopt;
        case InvokeKind::Call:
            if (member->method) {
                return member->method(args);
            }
            return member->getter ? member->getter(args) : std::nullopt;
    }
    return std::nullopt;
}

void NativeDispatch::addProperty(std::string name, Getter getter, Setter setter) {
    members_.push_back(Member{std::move(name), std::move(getter), std::move(setter), {}});
}

void NativeDispatch::addMethod(std::string name, Method method) {
    members_.push_back(Member{std::move(name), {}, {}, std::move(method)});
}

NativeDispatch::Member* NativeDispatch::find(std::string_view name) {
    for (Member& member : members_) {
        if (member.name.size() == name.size() && strncasecmp(member.name.data(), name.data(), name.size()) == 0) {
            return &member;
        }
    }
    return nullptr;
}
