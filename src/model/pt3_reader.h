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
#pragma once

#include <string>
#include <string_view>

#include "model/store.h"

namespace korvel::model {

inline constexpr int kPt3Unsafe = -13;

int readPt3File(const std::string& utf8Path, int normalmode, double scale, TextureLoader& textures);
// The same from the file's bytes; modelPath only locates textures.
int readPt3Bytes(std::string_view bytes, std::string_view modelPath, int normalmode, double scale,
                 TextureLoader& textures);

}  // namespace korvel::model
