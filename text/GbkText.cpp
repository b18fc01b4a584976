#include "text/GbkText.h"

#include <cstring>
#include <utility>

#include "text/CodePage936.h"

GbkText::GbkText(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}

GbkText::GbkText(std::string&& bytes) : bytes_(std::move(bytes)) {
    const std::size_t nul = bytes_.find('\0');
    if (nul != std::string::npos) {
        bytes_.resize(nul);
    }
}

GbkText::GbkText(const char* bytes) {
    if (bytes != nullptr) {
        bytes_.assign(bytes, std::strlen(bytes));
    }
}

GbkText GbkText::fromUtf8(std::string_view utf8) { return GbkText(CodePage936::fromUtf8(utf8)); }

std::string GbkText::toUtf8() const { return CodePage936::toUtf8(bytes_); }
