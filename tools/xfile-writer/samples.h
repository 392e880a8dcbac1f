// Scenes written as sample X files by the generator and used by the tests
// and benchmarks.
#pragma once

#include "xfile-writer/writer.h"

namespace korvel::model::xfile {

// Skinned and animated: two meshes, a position shared by two texture
// coordinates, a repeated vertex, identical materials in both meshes, a
// material without texture, a vertex with three bones, three joints (two
// siblings), two animation sets with rotation, scale and translation keys.
XScene sampleScene();

// A grid of quads split into parts, about `vertices` vertices in all, with
// two materials per part (one textured); with skin, every vertex has one to
// three bones of a chain of joints and one animation set of four keys.
XScene gridScene(int vertices, int parts, bool skin);

}  // namespace korvel::model::xfile
