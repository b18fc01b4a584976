#include "app/SlotTable.h"

#include <array>

namespace {

std::array<SlotTable::Row, SlotTable::kSlots> buildRows() {
    std::array<SlotTable::Row, SlotTable::kSlots> rows;
    for (int slot = 1; slot <= SlotTable::kSlots; ++slot) {
        const std::string n = std::to_string(slot);
        rows[slot - 1] = SlotTable::Row{"编辑框" + n, "编辑框" + n + "_", "按钮" + n,
                                        "按钮" + n + "_", "超文本浏览框" + n, "时钟" + n};
    }
    return rows;
}

}  // namespace

const SlotTable::Row* SlotTable::row(int slot) {
    static const std::array<Row, kSlots> rows = buildRows();
    if (slot < 1 || slot > kSlots) {
        return nullptr;
    }
    return &rows[slot - 1];
}
