#include "model/xfile_mesh_pass.h"

#include <cstring>

#include "model/xfile_patterns.h"
#include "model/xfile_scan.h"

namespace korvel::model::xfile {
namespace {

class MeshReader {
public:
    MeshReader(XLines& lines, const MeshCounts& counts, bool skin, RawModel& raw)
        : lines_(lines),
          counts_(counts),
          skin_(skin),
          raw_(raw),
          part_(static_cast<int32_t>(raw.partNames.size())),
          vertexBase_(raw.vertices.size()),
          faceBase_(raw.faces.size()),
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
    raw_.partNames.push_back(mesh == nullptr ? std::string() : nameBefore(line, static_cast<size_t>(mesh - line) + 5, '{'));
}

bool MeshReader::readPositions() {
    if (lines_.count() != counts_.vertices) return false;
    raw_.vertices.resize(vertexBase_ + static_cast<size_t>(counts_.vertices));
    for (size_t i = 0; i < static_cast<size_t>(counts_.vertices); ++i) {
        lines_.next();
        RawVertex& v = raw_.vertices[vertexBase_ + i];
        v.part = part_;
        scanLine(lines_.line(), pattern::kPosition, {&v.pos[0], &v.pos[1], &v.pos[2]});
    }
    return true;
}

bool MeshReader::readTriangles() {
    if (lines_.count() != counts_.faces) return false;
    raw_.faces.resize(faceBase_ + static_cast<size_t>(counts_.faces));
    for (size_t i = 0; i < static_cast<size_t>(counts_.faces); ++i) {
        lines_.next();
        Obj3dFace& f = raw_.faces[faceBase_ + i];
        f.partno = part_;
        int32_t corner[3] = {0, 0, 0};
        scanLine(lines_.line(), pattern::kTriangle, {&corner[0], &corner[1], &corner[2]});
        for (int k = 0; k < 3; ++k) {
            if (corner[k] < 0 || corner[k] >= counts_.vertices) return false;
            f.vertexno[k] = static_cast<int32_t>(vertexBase_) + corner[k];
        }
    }
    return true;
}

void MeshReader::readTextureCoords() {
    lines_.until(pattern::kTextureCoords);
    lines_.skip(1);
    for (size_t i = 0; i < static_cast<size_t>(counts_.vertices); ++i) {
        lines_.next();
        RawVertex& v = raw_.vertices[vertexBase_ + i];
        scanLine(lines_.line(), pattern::kTexCoord, {&v.tex[0], &v.tex[1]});
    }
}

bool MeshReader::readFaceMaterials() {
    lines_.until(pattern::kMaterialList);
    if (lines_.count() != counts_.materials) return false;
    lines_.skip(1);
    for (size_t i = 0; i < static_cast<size_t>(counts_.faces); ++i) {
        lines_.next();
        int32_t material = 0;
        scanLine(lines_.line(), pattern::kFaceMaterial, {&material});
        if (material < 0 || material >= counts_.materials) return false;
        raw_.faces[faceBase_ + i].matno = materialBase_ + material;
    }
    return true;
}

void MeshReader::readMaterials() {
    for (int32_t m = 0; m < counts_.materials; ++m) {
        lines_.until(pattern::kMaterial);
        RawMaterial& material = raw_.materials.emplace_back();
        float* c = material.colour;
        lines_.next();
        scanLine(lines_.line(), pattern::kDiffuse, {&c[0], &c[1], &c[2], &c[3]});
        lines_.next();
        scanLine(lines_.line(), pattern::kPower, {&c[4]});
        lines_.next();
        scanLine(lines_.line(), pattern::kColour, {&c[5], &c[6], &c[7]});
        lines_.next();
        scanLine(lines_.line(), pattern::kColour, {&c[8], &c[9], &c[10]});
        lines_.next();
        if (matchesPattern(lines_.line(), pattern::kTextureFilename)) {
            lines_.next();
            material.texture = quoted(lines_.line(), kTextureNameMax);
        }
    }
}

bool MeshReader::readSkin() {
    lines_.until(pattern::kSkinHeader);
    lines_.skip(2);
    if (lines_.count() != counts_.bones) return false;
    int64_t entries = 0;
    for (int32_t b = 0; b < counts_.bones; ++b) {
        lines_.until(pattern::kSkinWeights);
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
            scanLine(lines_.line(), pattern::kIndex, {&vertex});
            if (vertex < 0 || vertex >= counts_.vertices) return false;
            raw_.skin.push_back(SkinEntry{bone, static_cast<int32_t>(vertexBase_) + vertex, 0.0f});
        }
        for (int32_t k = 0; k < n; ++k) {
            lines_.next();
            scanLine(lines_.line(), pattern::kWeight, {&raw_.skin[first + static_cast<size_t>(k)].weight});
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
    size_t vertices = 0, faces = 0, materials = 0, weights = 0;
    for (const MeshCounts& c : counts) {
        vertices += static_cast<size_t>(c.vertices);
        faces += static_cast<size_t>(c.faces);
        materials += static_cast<size_t>(c.materials);
        weights += static_cast<size_t>(c.weights);
    }
    raw.vertices.reserve(vertices);
    raw.faces.reserve(faces);
    raw.materials.reserve(materials);
    if (skin) raw.skin.reserve(weights);
    size_t mesh = 0;
    while (lines.next()) {
        if (!matchesPattern(lines.line(), pattern::kMesh)) continue;
        if (mesh == counts.size() || !MeshReader(lines, counts[mesh], skin, raw).read()) return false;
        ++mesh;
    }
    return mesh == counts.size();
}

}  // namespace korvel::model::xfile
