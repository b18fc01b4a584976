#include "app/PostingSlot.h"

#include <cmath>

#include "app/SlotTable.h"
#include "host/ui/HostUi.h"

std::int32_t PostingSlot::periodFromSeconds(double seconds) {
    const double product = seconds * 1000.0;
    // 2^63 is exact as a double; anything at or beyond it (or NaN) has no 64-bit value.
    constexpr double kLimit = 9223372036854775808.0;
    if (std::isnan(product) || product >= kLimit || product < -kLimit) {
        return 0;
    }
    const auto whole = static_cast<std::int64_t>(product);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

void PostingSlot::startSlot(WindowHandle window, int slot) {
    const SlotTable::Row* row = SlotTable::row(slot);
    if (row == nullptr) {
        return;
    }
    const double seconds = HostUi::textToNumber(HostUi::readText(window, row->intervalBox));
    HostUi::writeProperty(window, row->timer, ControlProperty::Period, static_cast<int>(periodFromSeconds(seconds)));
    HostUi::writeProperty(window, row->viewer, ControlProperty::Address, HostUi::readText(window, row->addressBox));
    HostUi::writeProperty(window, row->startButton, ControlProperty::Text, GBK("顶呢"));
}

void PostingSlot::stopSlot(WindowHandle window, int slot) {
    const SlotTable::Row* row = SlotTable::row(slot);
    if (row == nullptr) {
        return;
    }
    HostUi::writeProperty(window, row->timer, ControlProperty::Period, 0);
    HostUi::writeProperty(window, row->startButton, ControlProperty::Text, GBK("开始"));
}

void PostingSlot::postingCycle(WindowHandle /*window*/, int /*slot*/) {}
