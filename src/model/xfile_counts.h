// The X importer's counting passes, run before any table is allocated: the
// meshes with their vertex, face, material, bone and weight counts; the
// joints (lines naming a "_Joint" frame under the joint root frame, up to the
// first line that starts with 'A'); the animation sets with their key counts
// and the animation targets of the last set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/xfile_lines.h"

namespace korvel::model::xfile {

struct MeshCounts {
    int32_t vertices = 0;
    int32_t faces = 0;
    int32_t materials = 0;
    int32_t bones = 0;     // with skin only
    int64_t weights = 0;   // weight entries over the mesh's bones
    bool negativeWeights = false;  // a bone with a negative weight count
    // The line taken for the mesh's opening opens another block (MeshNormals
    // and the like), which the paired layout never has there.
    bool otherBlock = false;
};

// Every mesh from the current position on; with skin, also bones and weights.
std::vector<MeshCounts> countMeshes(XLines& lines, bool skin);

// Joint lines from the current position on.
int64_t countJoints(XLines& lines);

struct MotionCounts {
    std::vector<int32_t> frames;       // key count of each set, from its first animation
    std::vector<std::string> targets;  // the last set's targets, one per joint
};

// Animation sets from the current position on; targets are read for up to
// numJoint animations per set.
MotionCounts countMotions(XLines& lines, int64_t numJoint);

}  // namespace korvel::model::xfile
