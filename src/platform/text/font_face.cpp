#include "platform/text/font_face.h"

#include <fontconfig/fontconfig.h>
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
    : library_(std::move(library)),
      face_(face),
      shaper_(hb_ft_font_create_referenced(face)),
      bold_(bold),
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

namespace {

constexpr int kRegularWeight = 400;
constexpr int kBoldThreshold = 600;  // semibold and heavier count as bold

int openTypeWeight(const FontRequest& request) { return request.weight <= 0 ? kRegularWeight : request.weight; }

FontFile match(const FontRequest& request, bool useFamily) {
    FontFile file;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return file;
    if (useFamily && !request.face.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.face.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(openTypeWeight(request)));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (useFamily && request.fixedPitch) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    if (request.preferJapanese || !useFamily) {
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    }
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (found == nullptr) return file;

    FcChar8* path = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
        file.path = reinterpret_cast<const char*>(path);
    }
    FcPatternGetInteger(found, FC_INDEX, 0, &file.index);
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(found, FC_SLANT, 0, &slant);
    // fontconfig's own rules may already mark a face for synthesis
    // (embolden, or an oblique slant with a shear matrix).
    FcBool embolden = FcFalse;
    FcPatternGetBool(found, FC_EMBOLDEN, 0, &embolden);
    FcMatrix* shear = nullptr;
    const bool sheared = FcPatternGetMatrix(found, FC_MATRIX, 0, &shear) == FcResultMatch && shear && shear->xy != 0;
    file.needsBold = embolden || (openTypeWeight(request) >= kBoldThreshold && weight < FC_WEIGHT_DEMIBOLD);
    file.needsOblique = request.italic && (slant == FC_SLANT_ROMAN || sheared);
    FcPatternDestroy(found);
    return file;
}

}  // namespace

FontFile matchFont(const FontRequest& request) { return match(request, true); }

FontFile matchFallbackFont(const FontRequest& request) { return match(request, false); }

}  // namespace korvel::platform::text
