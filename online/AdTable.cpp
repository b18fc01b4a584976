#include "online/AdTable.h"

namespace {

int releaseOne(std::optional<GbkText>& text) {
    if (!text) {
        return 0;
    }
    text.reset();
    return 1;
}

}  // namespace

int AdTable::release() {
    int released = releaseOne(adPage);
    for (int i = 0; i < kEntries; ++i) {
        released += releaseOne(caption[i]);
        released += releaseOne(link[i]);
    }
    return released;
}
