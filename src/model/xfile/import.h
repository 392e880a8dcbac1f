// Importing a text X file of the paired exporter's layout into the lowest
// free model slot, optionally writing the model as a PT3 file next to it.
//
// normalmode 1 computes normals; scale multiplies positions, joint positions
// and key translations; skinmode 1 also reads skin weights and joints, 2 (or
// more) also animation sets; writept3 1 writes the PT3 file and keeps the
// model, 2 or more writes it and then releases the model (with its textures)
// and returns -1.
//
// The file is read only when it is a regular file of at most
// kMaxXfileBytes (a directory, FIFO or device fails at once), once per pass
// through a small window, never whole.
//
// Result: the model number, or
//   -1  no free slot (or the PT3 file written with writept3 2)
//   -2  path longer than 511 bytes or holding a NUL
//   -3  the file cannot be opened or read, or is not a regular file, or it
//       changed size between passes (the slot is left free)
//   -4 header, -5 face, -6 vertex, -7 material, -8 normal, -10 weight,
//   -11 joint table cannot be allocated
//   -9  the PT3 name is longer than 511 bytes
//   -13 the file cannot make a consistent model: larger than kMaxXfileBytes,
//       a negative count or one larger than the file, a keyframe table above
//       kMaxKeyRecords, counts that change between passes, an index outside
//       its mesh, fewer joints than joint lines, animation sets without
//       joints or with key counts that differ between animations
//   -14 a binary X file, -15 a compressed one (refused from the header)
//   -16 another exporter's layout: no mesh where the paired exporter's
//       layout puts them though the file holds Mesh blocks, or a MeshNormals
//       (or other) block where a mesh should open
//   -17 no mesh with vertices
// Failures found before the tables (-13 of the counting passes, -14 to -17)
// leave the slot free and write nothing; later ones leave the slot taken,
// not complete, with what was built so far. A PT3 file that cannot be
// created leaves the model loaded: its number is returned, also with
// writept3 2.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/store.h"

namespace korvel::model {

inline constexpr int kXfileUnsafe = -13;
inline constexpr int kXfileBinary = -14;
inline constexpr int kXfileCompressed = -15;
inline constexpr int kXfileOtherLayout = -16;
inline constexpr int kXfileNoMesh = -17;
// The largest X file read, 1 GiB.
inline constexpr uint64_t kMaxXfileBytes = uint64_t{1} << 30;
// The keyframe table's ceiling, 8,388,608 records (320 MiB): past it an
// import fails with -13 before any table exists.
inline constexpr int64_t kMaxKeyRecords = int64_t{1} << 23;

struct XfileOptions {
    int normalmode = 0;
    double scale = 1.0;
    int skinmode = 0;
    int writept3 = 0;
};

int readXfile(const std::string& utf8Path, const XfileOptions& options, TextureLoader& textures);
// The same from the file's bytes; xPath locates textures and names the PT3.
int readXfileBytes(std::string_view bytes, std::string_view xPath, const XfileOptions& options,
                   TextureLoader& textures);

}  // namespace korvel::model

namespace korvel::model::xfile {

// The name of the PT3 file an X import writes, always in the X file's own
// folder: within the file's own name (after the last '/' or '\'), its last
// ".x" is cut after the dot and "pt3" appended (model.x becomes model.pt3);
// a name without ".x" (model.X, model) gets ".pt3" appended.
std::string pt3PathFor(std::string_view xPath);

}  // namespace korvel::model::xfile
