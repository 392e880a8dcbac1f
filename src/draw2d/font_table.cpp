#include "draw2d/font_table.h"

namespace korvel::draw2d {

int FontTable::create(const platform::text::FontRequest& request) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slots_[static_cast<size_t>(slot)]) continue;
        slots_[static_cast<size_t>(slot)] = platform::text::Font::create(request);
        return slot;
    }
    return -1;
}

platform::text::Font* FontTable::font(int slot) const {
    if (slot < 0 || slot >= kSlotCount) return nullptr;
    return slots_[static_cast<size_t>(slot)].get();
}

void FontTable::release(int slot) {
    if (slot >= 0 && slot < kSlotCount) slots_[static_cast<size_t>(slot)].reset();
}

void FontTable::releaseAll() {
    for (auto& slot : slots_) slot.reset();
}

FontTable& fontTable() {
    static FontTable table;
    return table;
}

}  // namespace korvel::draw2d
