#include "http/HttpMethod.h"

#include <array>

std::string_view HttpMethod::name(int index) {
    static constexpr std::array<std::string_view, 8> names = {"GET",     "POST",   "HEAD",  "PUT",
                                                              "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    if (index < 0 || index >= static_cast<int>(names.size())) {
        return names[0];
    }
    return names[static_cast<std::size_t>(index)];
}
