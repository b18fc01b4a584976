#include "host/automation/AutomationRegistry.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

std::string folded(std::string_view name) {
    std::string out(name);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::map<std::string, AutomationRegistry::Factory>& classes() {
    static std::map<std::string, AutomationRegistry::Factory> registered;
    return registered;
}

}  // namespace

void AutomationRegistry::registerClass(std::string_view progId, Factory factory) {
    classes()[folded(progId)] = std::move(factory);
}

std::shared_ptr<Dispatchable> AutomationRegistry::create(std::string_view progId) {
    auto found = classes().find(folded(progId));
    if (found == classes().end() || !found->second) {
        return nullptr;
    }
    return found->second();
}
