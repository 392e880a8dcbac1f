#include "platform/text/font_matcher.h"

#include <fontconfig/fontconfig.h>

namespace korvel::platform::text {
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
