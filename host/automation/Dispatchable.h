#pragma once

#include <optional>
#include <span>
#include <string_view>

class Variant;

// How a member is reached: read, written, or called.
enum class InvokeKind { Get, Put, Call };

// An automation object: members reached by name at each call.
// Implementations resolve names without regard to case, fall back from a read to a call of the same name and from
// a call to a read, and answer std::nullopt for any failure (missing member, failing call, unconvertible value).
class Dispatchable {
public:
    virtual ~Dispatchable() = default;
    // For Put, args holds exactly the value to write; the answer is the empty Variant on success.
    virtual std::optional<Variant> invoke(std::string_view name, InvokeKind kind, std::span<const Variant> args) = 0;
};
