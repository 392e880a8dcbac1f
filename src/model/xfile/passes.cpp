#include "model/xfile/passes.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

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
    while (lines.until<pattern::kMesh>()) {
        MeshCounts mesh;
        mesh.otherBlock = !opensMeshBlock(lines.line());
        mesh.vertices = lines.count();
        lines.skip(mesh.vertices);
        mesh.faces = lines.count();
        lines.until<pattern::kMaterialList>();
        mesh.materials = lines.count();
        if (skin) {
            lines.until<pattern::kSkinHeader>();
            lines.skip(2);
            mesh.bones = lines.count();
            for (int32_t b = 0; b < mesh.bones; ++b) {
                if (!lines.until<pattern::kSkinWeights>()) break;
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

int64_t countJoints(XLines& lines, std::optional<uint64_t>& rootLine) {
    if (!lines.until<pattern::kJointRoot>()) return 0;
    rootLine = lines.lineOffset();
    int64_t joints = 0;
    while (lines.next() && lines.line()[0] != 'A')
        if (std::strstr(lines.line(), pattern::kJointMark) != nullptr) ++joints;
    return joints;
}

MotionCounts countMotions(XLines& lines, int64_t numJoint) {
    MotionCounts counts;
    std::vector<std::string> targets;
    while (lines.until<pattern::kAnimationSet>()) {
        if (!counts.firstSetLine) counts.firstSetLine = lines.lineOffset();
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

namespace {

class MeshReader {
public:
    MeshReader(XLines& lines, const MeshCounts& counts, bool skin, RawModel& raw, size_t vertexBase, size_t faceBase)
        : lines_(lines),
          counts_(counts),
          skin_(skin),
          raw_(raw),
          part_(static_cast<int32_t>(raw.partNames.size())),
          vertexBase_(vertexBase),
          faceBase_(faceBase),
          materialBase_(static_cast<int32_t>(raw.materials.size())) {}

    bool read();

private:
    void readName();
    bool readPositions();
    bool readTriangles();
    void readTextureCoords();
    bool readFaceMaterials();
    void readMaterials();
    bool readSkin();

    XLines& lines_;
    const MeshCounts& counts_;
    bool skin_;
    RawModel& raw_;
    int32_t part_;
    size_t vertexBase_;
    size_t faceBase_;
    int32_t materialBase_;
};

void MeshReader::readName() {
    const char* line = lines_.line();
    const char* mesh = std::strstr(line, "Mesh ");
    raw_.partNames.push_back(mesh == nullptr ? std::string()
                                             : nameBefore(line, static_cast<size_t>(mesh - line) + 5, '{'));
}

bool MeshReader::readPositions() {
    if (lines_.count() != counts_.vertices) return false;
    for (size_t i = 0; i < static_cast<size_t>(counts_.vertices); ++i) {
        lines_.next();
        Obj3dVertex& v = raw_.vertices[vertexBase_ + i];
        v = Obj3dVertex{part_, -1, -1, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
        scanLine<pattern::kPosition>(lines_.line(), &v.posx, &v.posy, &v.posz);
    }
    return true;
}

bool MeshReader::readTriangles() {
    if (lines_.count() != counts_.faces) return false;
    for (size_t i = 0; i < static_cast<size_t>(counts_.faces); ++i) {
        lines_.next();
        Obj3dFace& f = raw_.faces[faceBase_ + i];
        f = Obj3dFace{part_, {0, 0, 0}, 0};
        int32_t corner[3] = {0, 0, 0};
        scanLine<pattern::kTriangle>(lines_.line(), &corner[0], &corner[1], &corner[2]);
        for (int k = 0; k < 3; ++k) {
            if (corner[k] < 0 || corner[k] >= counts_.vertices) return false;
            f.vertexno[k] = static_cast<int32_t>(vertexBase_) + corner[k];
        }
    }
    return true;
}

void MeshReader::readTextureCoords() {
    lines_.until<pattern::kTextureCoords>();
    lines_.skip(1);
    for (size_t i = 0; i < static_cast<size_t>(counts_.vertices); ++i) {
        lines_.next();
        Obj3dVertex& v = raw_.vertices[vertexBase_ + i];
        scanLine<pattern::kTexCoord>(lines_.line(), &v.texu, &v.texv);
    }
}

bool MeshReader::readFaceMaterials() {
    lines_.until<pattern::kMaterialList>();
    if (lines_.count() != counts_.materials) return false;
    lines_.skip(1);
    for (size_t i = 0; i < static_cast<size_t>(counts_.faces); ++i) {
        lines_.next();
        int32_t material = 0;
        scanLine<pattern::kFaceMaterial>(lines_.line(), &material);
        if (material < 0 || material >= counts_.materials) return false;
        raw_.faces[faceBase_ + i].matno = materialBase_ + material;
    }
    return true;
}

void MeshReader::readMaterials() {
    for (int32_t m = 0; m < counts_.materials; ++m) {
        lines_.until<pattern::kMaterial>();
        RawMaterial& material = raw_.materials.emplace_back();
        float* c = material.colour;
        lines_.next();
        scanLine<pattern::kDiffuse>(lines_.line(), &c[0], &c[1], &c[2], &c[3]);
        lines_.next();
        scanLine<pattern::kPower>(lines_.line(), &c[4]);
        lines_.next();
        scanLine<pattern::kColour>(lines_.line(), &c[5], &c[6], &c[7]);
        lines_.next();
        scanLine<pattern::kColour>(lines_.line(), &c[8], &c[9], &c[10]);
        lines_.next();
        if (matchesPattern<pattern::kTextureFilename>(lines_.line())) {
            lines_.next();
            material.texture = quoted(lines_.line(), kTextureNameMax);
        }
    }
}

bool MeshReader::readSkin() {
    lines_.until<pattern::kSkinHeader>();
    lines_.skip(2);
    if (lines_.count() != counts_.bones) return false;
    int64_t entries = 0;
    for (int32_t b = 0; b < counts_.bones; ++b) {
        lines_.until<pattern::kSkinWeights>();
        lines_.next();
        const auto bone = static_cast<int32_t>(raw_.boneNames.size());
        raw_.boneNames.push_back(quoted(lines_.line(), kNameMax));
        const int32_t n = lines_.count();
        if (n < 0 || entries + n > counts_.weights) return false;
        entries += n;
        if (n == 0) {
            lines_.skip(3);
            continue;
        }
        const size_t first = raw_.skin.size();
        for (int32_t k = 0; k < n; ++k) {
            lines_.next();
            int32_t vertex = 0;
            scanLine<pattern::kIndex>(lines_.line(), &vertex);
            if (vertex < 0 || vertex >= counts_.vertices) return false;
            raw_.skin.push_back(SkinEntry{bone, static_cast<int32_t>(vertexBase_) + vertex, 0.0f});
        }
        for (int32_t k = 0; k < n; ++k) {
            lines_.next();
            scanLine<pattern::kWeight>(lines_.line(), &raw_.skin[first + static_cast<size_t>(k)].weight);
        }
        lines_.skip(1);
    }
    return entries == counts_.weights;
}

bool MeshReader::read() {
    readName();
    if (!readPositions() || !readTriangles()) return false;
    readTextureCoords();
    if (!readFaceMaterials()) return false;
    readMaterials();
    return !skin_ || readSkin();
}

}  // namespace

bool readMeshes(XLines& lines, std::span<const MeshCounts> counts, bool skin, RawModel& raw) {
    size_t materials = 0, weights = 0;
    for (const MeshCounts& c : counts) {
        materials += static_cast<size_t>(c.materials);
        weights += static_cast<size_t>(c.weights);
    }
    raw.materials.reserve(materials);
    if (skin) raw.skin.reserve(weights);
    size_t mesh = 0, vertexBase = 0, faceBase = 0;
    while (lines.until<pattern::kMesh>()) {
        if (mesh == counts.size() || !MeshReader(lines, counts[mesh], skin, raw, vertexBase, faceBase).read())
            return false;
        vertexBase += static_cast<size_t>(counts[mesh].vertices);
        faceBase += static_cast<size_t>(counts[mesh].faces);
        ++mesh;
    }
    return mesh == counts.size();
}

namespace {

// Where "Frame " may start on a joint line.
constexpr ptrdiff_t kFrameWordLimit = 50;

std::string jointName(const char* line) {
    const char* frame = std::strstr(line, "Frame ");
    if (frame == nullptr || frame - line >= kFrameWordLimit) return {};
    return nameBefore(line, static_cast<size_t>(frame - line) + 6, '{');
}

// The last joint of each target's name, or -1.
std::vector<int32_t> targetJoints(std::span<const std::string> targets, std::span<const RawJoint> joints) {
    std::unordered_map<std::string_view, int32_t> byName;
    for (size_t j = 0; j < joints.size(); ++j) byName[joints[j].name] = static_cast<int32_t>(j);
    std::vector<int32_t> map(targets.size(), -1);
    for (size_t a = 0; a < targets.size(); ++a)
        if (const auto found = byName.find(targets[a]); found != byName.end()) map[a] = found->second;
    return map;
}

// Reads one animation's keys for joint (or past them when joint is -1).
bool readAnimation(XLines& lines, int32_t n, int32_t joint, float scale, const Obj3dMotion& motion, Obj3dModel& model) {
    lines.skip(5);
    if (lines.count() != n) return false;
    Obj3dKeyframe* keys = joint < 0 ? nullptr : &model.keyframe[static_cast<size_t>(motion.firstkey + joint * n)];
    for (int32_t f = 0; f < n; ++f) {
        lines.next();
        int32_t time = 0, values = 0;
        float w = 0.0f, x = 0.0f, y = 0.0f, z = 0.0f;
        scanLine<pattern::kRotationKey>(lines.line(), &time, &values, &w, &x, &y, &z);
        if (keys == nullptr) continue;
        keys[f].rot4w = w;
        keys[f].rot4x = -x;
        keys[f].rot4y = -y;
        keys[f].rot4z = -z;
        model.frameno[static_cast<size_t>(motion.firstframe + f)] = time;
    }
    for (const bool translation : {false, true}) {
        lines.skip(6);
        for (int32_t f = 0; f < n; ++f) {
            lines.next();
            int32_t time = 0, values = 0;
            float v[3] = {0.0f, 0.0f, 0.0f};
            scanLine<pattern::kVectorKey>(lines.line(), &time, &values, &v[0], &v[1], &v[2]);
            if (keys == nullptr) continue;
            if (translation) {
                keys[f].transx = v[0] * scale;
                keys[f].transy = v[1] * scale;
                keys[f].transz = v[2] * scale;
            } else {
                keys[f].scalex = v[0];
                keys[f].scaley = v[1];
                keys[f].scalez = v[2];
            }
        }
    }
    lines.skip(5);
    return true;
}

void addParentOffsets(std::span<const RawJoint> joints, Obj3dModel& model) {
    const auto motions = static_cast<size_t>(model.head()->NumMotion);
    for (size_t i = 0; i < motions; ++i) {
        const Obj3dMotion& m = model.motion[i];
        for (size_t j = 0; j < joints.size(); ++j) {
            if (joints[j].parent < 0) continue;
            const float* offset = joints[static_cast<size_t>(joints[j].parent)].pos;
            Obj3dKeyframe* keys =
                &model.keyframe[static_cast<size_t>(m.firstkey) + j * static_cast<size_t>(m.numframe)];
            for (int32_t f = 0; f < m.numframe; ++f) {
                keys[f].transx += offset[0];
                keys[f].transy += offset[1];
                keys[f].transz += offset[2];
            }
        }
    }
}

}  // namespace

bool readJoints(XLines& lines, int32_t numJoint, float scale, std::vector<RawJoint>& joints) {
    joints.assign(static_cast<size_t>(numJoint), RawJoint{});
    lines.until<pattern::kJointRoot>();
    lines.skip(6);
    bool more = lines.next();
    int32_t parent = -1;
    int32_t k = 0;
    while (k < numJoint && more && lines.line()[0] != 'A') {
        const char* line = lines.line();
        if (std::strstr(line, pattern::kJointMark) != nullptr) {
            RawJoint& joint = joints[static_cast<size_t>(k)];
            joint.name = jointName(line);
            joint.parent = parent;
            lines.skip(3);
            lines.next();
            float m[16] = {};
            scanLine<pattern::kMatrix>(lines.line(), &m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7], &m[8],
                                       &m[9], &m[10], &m[11], &m[12], &m[13], &m[14], &m[15]);
            for (int c = 0; c < 3; ++c) joint.pos[c] = m[12 + c] * scale;
            parent = k++;
            lines.skip(2);
        } else if (std::strchr(line, '}') != nullptr && parent >= 0) {
            parent = joints[static_cast<size_t>(parent)].parent;
        }
        more = lines.next();
    }
    if (k != numJoint) return false;
    for (RawJoint& joint : joints) {
        if (joint.parent < 0) continue;
        const RawJoint& up = joints[static_cast<size_t>(joint.parent)];
        for (int c = 0; c < 3; ++c) joint.pos[c] += up.pos[c];
    }
    return true;
}

bool readAnimations(XLines& lines, const MotionCounts& counts, std::span<const RawJoint> joints, float scale,
                    Obj3dModel& model) {
    const std::vector<int32_t> map = targetJoints(counts.targets, joints);
    const auto numJoint = static_cast<int32_t>(joints.size());
    size_t i = 0;
    while (lines.until<pattern::kAnimationSet>()) {
        if (i == counts.frames.size()) return false;
        Obj3dMotion& m = model.motion[i];
        if (i > 0) {
            const Obj3dMotion& previous = model.motion[i - 1];
            m.firstframe = previous.firstframe + previous.numframe;
            m.firstkey = previous.firstkey + numJoint * previous.numframe;
        }
        m.numframe = counts.frames[i];
        for (size_t a = 0; a < map.size(); ++a)
            if (!readAnimation(lines, m.numframe, map[a], scale, m, model)) return false;
        ++i;
    }
    if (i != counts.frames.size()) return false;
    addParentOffsets(joints, model);
    return true;
}

}  // namespace korvel::model::xfile
