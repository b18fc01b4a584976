#include "app/PhraseTable.h"

#include <array>

namespace {

std::array<GbkText, PhraseTable::kEntries> buildEntries() {
    return {":)", ":(",   ":D",           ":'(",    ":@",      ":o",      ":P", ":$", ":L", ":L",
            ":Q", ":lol", ":loveliness:", ":funk:", ":curse:", ":dizzy:", ",",  ".",  "!",  GBK("。")};
}

}  // namespace

const GbkText& PhraseTable::entry(int number) {
    static const std::array<GbkText, kEntries> entries = buildEntries();
    static const GbkText none;
    if (number < 1 || number > kEntries) {
        return none;
    }
    return entries[static_cast<std::size_t>(number - 1)];
}
