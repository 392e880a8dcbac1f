#pragma once

// Models for tests and benchmarks, put straight into the model store (no
// files, no GPU).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "instance/image3d.h"
#include "model/store.h"

namespace korvel::testing {

// Each vector becomes one table; an empty vector leaves its table absent
// (except vertex, face and material, which every model has).
struct ModelBlueprint {
    int numpart = 1;
    std::vector<model::Obj3dVertex> vertices;
    std::vector<model::Obj3dWeight> weights;
    std::vector<model::Obj3dFace> faces;
    int nummaterial = 1;
    std::vector<model::Obj3dJoint> joints;
    std::vector<model::Obj3dMotion> motions;
    std::vector<int32_t> frameno;
    std::vector<model::Obj3dKeyframe> keyframes;
    std::vector<model::Shapekeyinfo> shapekeyinfo;
    std::vector<int32_t> shapekeyvertex;
    std::vector<model::Shapekeytrans> shapekeytrans;
    int numhairface = 0;
};

inline model::Obj3dVertex vertexAt(int part, float x, float y, float z, int original = -1) {
    return {part, 0, original, x, y, z, 0.0f, 0.0f};
}

inline model::Obj3dFace faceOf(int part, int a, int b, int c) { return {part, {a, b, c}, 0}; }

template <class T>
void fill(model::Table<T>& table, const std::vector<T>& records) {
    if (!table.allocate(records.size())) std::abort();
    for (size_t i = 0; i < records.size(); ++i) table[i] = records[i];
}

// Occupies the lowest free model slot with the blueprint's tables and marks it
// complete; returns the slot.
inline int installModel(const ModelBlueprint& blueprint) {
    const int slot = model::firstFreeModelSlot();
    model::Obj3dModel& m = *model::modelSlot(slot);
    m.header.allocate(1);
    model::Obj3dHeader& h = *m.head();
    h.NumPart = blueprint.numpart;
    h.NumVertex = static_cast<int32_t>(blueprint.vertices.size());
    h.NumFace = static_cast<int32_t>(blueprint.faces.size());
    h.NumMaterial = blueprint.nummaterial;
    h.skinmode = blueprint.joints.empty() ? 0 : (blueprint.motions.empty() ? 1 : 2);
    h.NumJoint = static_cast<int32_t>(blueprint.joints.size());
    h.NumMotion = static_cast<int32_t>(blueprint.motions.size());
    h.NumTotalFrame = static_cast<int32_t>(blueprint.frameno.size());
    h.NumShapekey = static_cast<int32_t>(blueprint.shapekeyinfo.size());
    h.NumShapekeyVertex = static_cast<int32_t>(blueprint.shapekeyvertex.size());
    h.NumShapekeydata = static_cast<int32_t>(blueprint.shapekeytrans.size());
    h.NumParticlehairFace = blueprint.numhairface;
    fill(m.vertex, blueprint.vertices);
    fill(m.face, blueprint.faces);
    m.material.allocate(static_cast<size_t>(blueprint.nummaterial));
    if (!blueprint.weights.empty()) fill(m.weight, blueprint.weights);
    if (!blueprint.joints.empty()) fill(m.joint, blueprint.joints);
    if (!blueprint.motions.empty()) {
        fill(m.motion, blueprint.motions);
        fill(m.frameno, blueprint.frameno);
        fill(m.keyframe, blueprint.keyframes);
    }
    if (!blueprint.shapekeyinfo.empty()) {
        fill(m.shapekeyinfo, blueprint.shapekeyinfo);
        fill(m.shapekeyvertex, blueprint.shapekeyvertex);
        fill(m.shapekeytrans, blueprint.shapekeytrans);
    }
    if (blueprint.numhairface > 0) m.particlehairface.allocate(static_cast<size_t>(blueprint.numhairface));
    m.complete = true;
    return slot;
}

// Empties the model store and the instance table.
inline void clearStore() {
    struct NoTextures : model::TextureLoader {
        int load(const std::string&) override { return -1; }
        void release(int) override {}
    } textures;
    instance::clearAllImage3d();
    for (int m = 0; m < model::kModelSlots; ++m) model::clearModel(m, 0, textures);
}

}  // namespace korvel::testing
