// FontTable: five numbered font slots for the text surface.
#pragma once

#include <array>
#include <memory>

#include "platform/text/font.h"

namespace korvel::draw2d {

class FontTable {
public:
    static constexpr int kSlotCount = 5;

    // Takes the lowest free slot and returns its number, or -1 when all
    // five are taken. When no font can be made the number is still
    // returned and the slot stays free.
    int create(const platform::text::FontRequest& request);

    // The slot's font; null when free or out of range.
    platform::text::Font* font(int slot) const;

    // Frees a slot; numbers outside 0 to 4 are ignored.
    void release(int slot);
    void releaseAll();

private:
    std::array<std::unique_ptr<platform::text::Font>, kSlotCount> slots_;
};

// The library-wide table.
FontTable& fontTable();

}  // namespace korvel::draw2d
