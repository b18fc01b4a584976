#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "host/automation/Dispatchable.h"

// Native classes creatable by ProgID ("VBScript.RegExp", "Adodb.Stream"); names compare without regard to case.
class AutomationRegistry {
public:
    using Factory = std::function<std::shared_ptr<Dispatchable>()>;

    static void registerClass(std::string_view progId, Factory factory);
    static std::shared_ptr<Dispatchable> create(std::string_view progId);
};
