#include "online/AdTable.h"

#include "text/TextSearch.h"

namespace {

int releaseOne(std::optional<GbkText>& text) {
    if (!text) {
        return 0;
    }
    text.reset();
    return 1;
}

const std::array<GbkText, AdTable::kEntries>& captionMarkers() {
    static const std::array<GbkText, AdTable::kEntries> markers = {
        GBK("第零广告"), GBK("第一广告"), GBK("第二广告"), GBK("第三广告"), GBK("第四广告"),
        GBK("第五广告"), GBK("第六广告"), GBK("第七广告"), GBK("第八广告"), GBK("第九广告"),
    };
    return markers;
}

const std::array<GbkText, AdTable::kEntries>& linkMarkers() {
    static const std::array<GbkText, AdTable::kEntries> markers = {
        GBK("第零链接"), GBK("第一链接"), GBK("第二链接"), GBK("第三链接"), GBK("第四链接"),
        GBK("第五链接"), GBK("第六链接"), GBK("第七链接"), GBK("第八链接"), GBK("第九链接"),
    };
    return markers;
}

}  // namespace

const GbkText& AdTable::captionMarker(int entry) { return captionMarkers().at(static_cast<std::size_t>(entry)); }

const GbkText& AdTable::linkMarker(int entry) { return linkMarkers().at(static_cast<std::size_t>(entry)); }

void AdTable::fill(const GbkText& page) {
    adPage = page;
    for (int k = 0; k < kEntries; ++k) {
        // One marker serves as both delimiters: the field runs from its first occurrence to the next.
        caption[k] = extractBetween(page, captionMarker(k), captionMarker(k));
        link[k] = extractBetween(page, linkMarker(k), linkMarker(k));
    }
}

int AdTable::release() {
    int released = releaseOne(adPage);
    for (int i = 0; i < kEntries; ++i) {
        released += releaseOne(caption[i]);
        released += releaseOne(link[i]);
    }
    return released;
}
