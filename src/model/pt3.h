// PT3 model files: loading one into the lowest free model slot, and writing
// a model as one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/store.h"

namespace korvel::model {

// Loading a PT3 model file into the lowest free model slot.
//
// Result: the model number 0..49, or -1 all slots occupied, -2 path too long
// (512 bytes or more) or holding a NUL, -3 the file cannot be opened or read,
// -4 header, -5 line 2 lacks normals for normalmode 1 or skin columns for a
// model with joints, -6 vertex, -7 face, -8 normal or material, -11 weight,
// -12 joint table cannot be allocated, -13 the file is unsafe (negative or
// oversized counts, an index outside its table, one part and material's
// faces on lines that are not consecutive; see docs/models.md). After a
// failure past the header the slot stays occupied with what was built so far
// and is not complete; ClearObj3d releases it.

inline constexpr int kPt3Unsafe = -13;

int readPt3File(const std::string& utf8Path, int normalmode, double scale, TextureLoader& textures);
// The same from the file's bytes; modelPath only locates textures.
int readPt3Bytes(std::string_view bytes, std::string_view modelPath, int normalmode, double scale,
                 TextureLoader& textures);

// Writing a model as a PT3 file, laid out line for line as the X importer
// writes it, so reading the file back with scale 1 and the same normalmode
// gives the same tables. Numbers are formatted as C printf "%d" and "%f" in
// the "C" locale, whatever the process locale is.
//
// Layout: count line; column-flag line (normals when normalmode is 1, skin
// columns when skinmode is 1 or 2 or the model has joints); vertex, face and
// material sections; part lines; joints when skinmode is 1 or 2 or the model
// has joints; motions and keys when skinmode is 2 or the model has motions;
// then shape keys and particle hair when the model has them. A section with
// a header but no lines is left out where the reader would not skip it.

// Names the tables do not keep. A material's texture is written as
// "None" when its texsrvno is -1 or it has no non-empty name here; parts,
// joints, materials and motions without a name here are written as
// "part<n>", "joint<n>", "matname<n>" and "motion<n>". Names go into the
// file as they are: they must hold no ';' and no line end.
struct Pt3Names {
    std::vector<std::string> texture;
    std::vector<std::string> part;
    std::vector<std::string> joint;
    std::vector<std::string> material{};  // initialised, so that a caller may leave these two out
    std::vector<std::string> motion{};
};

// The file's text; the model must be occupied.
std::string pt3Text(const Obj3dModel& model, const Pt3Names& names);
// Writes the text to a file; false when it cannot be created or written.
bool writePt3File(const std::string& utf8Path, const Obj3dModel& model, const Pt3Names& names);

}  // namespace korvel::model
