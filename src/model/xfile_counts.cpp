#include "model/xfile_counts.h"

#include <cstring>

#include "model/xfile_kind.h"
#include "model/xfile_patterns.h"
#include "model/xfile_scan.h"

namespace korvel::model::xfile {
namespace {

// A target line: the name from the second character after the first '{' up
// to the next '}', without its last character.
std::string targetName(const char* line) {
    const char* open = std::strchr(line, '{');
    if (open == nullptr) return {};
    return nameBefore(line, static_cast<size_t>(open - line) + 2, '}');
}

}  // namespace

std::vector<MeshCounts> countMeshes(XLines& lines, bool skin) {
    std::vector<MeshCounts> meshes;
    while (lines.next()) {
        if (!matchesPattern(lines.line(), pattern::kMesh)) continue;
        MeshCounts mesh;
        mesh.otherBlock = !opensMeshBlock(lines.line());
        mesh.vertices = lines.count();
        lines.skip(mesh.vertices);
        mesh.faces = lines.count();
        lines.until(pattern::kMaterialList);
        mesh.materials = lines.count();
        if (skin) {
            lines.until(pattern::kSkinHeader);
            lines.skip(2);
            mesh.bones = lines.count();
            for (int32_t b = 0; b < mesh.bones; ++b) {
                if (!lines.until(pattern::kSkinWeights)) break;
                lines.skip(1);
                const int32_t weights = lines.count();
                mesh.weights += weights;
                if (weights < 0) mesh.negativeWeights = true;
            }
        }
        meshes.push_back(mesh);
    }
    return meshes;
}

int64_t countJoints(XLines& lines) {
    if (!lines.until(pattern::kJointRoot)) return 0;
    int64_t joints = 0;
    while (lines.next() && lines.line()[0] != 'A')
        if (std::strstr(lines.line(), pattern::kJointMark) != nullptr) ++joints;
    return joints;
}

MotionCounts countMotions(XLines& lines, int64_t numJoint) {
    MotionCounts counts;
    std::vector<std::string> targets;
    while (lines.next()) {
        if (!matchesPattern(lines.line(), pattern::kAnimationSet)) continue;
        lines.skip(5);
        const int32_t n = lines.count();
        counts.frames.push_back(n);
        targets.clear();
        const int64_t keyLines = 3 * int64_t{n};
        for (int64_t a = 0; a < numJoint; ++a) {
            lines.skip(keyLines + (a == 0 ? 14 : 22));
            if (!lines.next()) break;
            targets.push_back(targetName(lines.line()));
        }
        counts.targets = targets;
    }
    counts.targets.resize(static_cast<size_t>(numJoint));
    return counts;
}

}  // namespace korvel::model::xfile
