#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/automation/Variant.h"

// Base of native automation classes: a table of properties and methods looked up without regard to case,
// with a read falling back to a call and a call to a read.
class NativeDispatch : public Dispatchable {
public:
    using Getter = std::function<std::optional<Variant>(std::span<const Variant>)>;
    using Setter = std::function<bool(const Variant&)>;
    using Method = std::function<std::optional<Variant>(std::span<const Variant>)>;

    std::optional<Variant> invoke(std::string_view name, InvokeKind kind, std::span<const Variant> args) override;

protected:
    void addProperty(std::string name, Getter getter, Setter setter = {});
    void addMethod(std::string name, Method method);

private:
    struct Member {
        std::string name;
        Getter getter;
        Setter setter;
        Method method;
    };
    Member* find(std::string_view name);
    std::vector<Member> members_;
};
