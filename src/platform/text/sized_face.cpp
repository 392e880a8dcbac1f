#include "platform/text/sized_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <hb-ft.h>

#include <algorithm>
#include <cmath>

namespace korvel::platform::text {
namespace {

// One FreeType library for the process, kept alive by every open face.
std::shared_ptr<FT_LibraryRec_> sharedLibrary() {
    static std::weak_ptr<FT_LibraryRec_> current;
    std::shared_ptr<FT_LibraryRec_> library = current.lock();
    if (library) return library;
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) != 0) return nullptr;
    library.reset(raw, [](FT_Library l) { FT_Done_FreeType(l); });
    current = library;
    return library;
}

}  // namespace

std::unique_ptr<SizedFace> SizedFace::open(const FontFile& file) {
    if (file.path.empty()) return nullptr;
    std::shared_ptr<FT_LibraryRec_> library = sharedLibrary();
    if (!library) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(library.get(), file.path.c_str(), file.index, &face) != 0) return nullptr;
    if (FT_Set_Char_Size(face, 16 * 64, 16 * 64, 72, 72) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return std::unique_ptr<SizedFace>(new SizedFace(std::move(library), face, file.needsBold, file.needsOblique));
}

SizedFace::SizedFace(std::shared_ptr<FT_LibraryRec_> library, FT_Face face, bool bold, bool oblique)
    : library_(std::move(library)), face_(face), shaper_(hb_ft_font_create_referenced(face)), bold_(bold),
      oblique_(oblique) {}

SizedFace::~SizedFace() {
    hb_font_destroy(shaper_);
    FT_Done_Face(face_);
}

void SizedFace::resize(double emX, double emY) {
    const auto toFixed = [](double pixels) {
        return static_cast<FT_F26Dot6>(std::lround(std::clamp(pixels, 1.0, 4096.0) * 64));
    };
    FT_Set_Char_Size(face_, toFixed(emX), toFixed(emY), 72, 72);
    hb_ft_font_changed(shaper_);
}

bool SizedFace::hasCharacter(char32_t character) const { return FT_Get_Char_Index(face_, character) != 0; }

bool SizedFace::render(unsigned glyph, GlyphImage& out) const {
    if (FT_Load_Glyph(face_, glyph, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return false;
    FT_GlyphSlot slot = face_->glyph;
    if (oblique_) FT_GlyphSlot_Oblique(slot);
    if (bold_) FT_GlyphSlot_Embolden(slot);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    out.coverage = bitmap.buffer;
    out.pitch = bitmap.pitch;
    out.width = static_cast<int>(bitmap.width);
    out.rows = static_cast<int>(bitmap.rows);
    out.left = slot->bitmap_left;
    out.top = slot->bitmap_top;
    return bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
}

}  // namespace korvel::platform::text
