// Model records: the exact memory layouts every model table holds. The buffer
// builders copy them, instances, drawing and queries read them, so each size
// and field position is fixed and checked below. All fields are 32-bit:
// int32_t or IEEE float.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::model {

// One per occupied model slot.
struct Obj3dHeader {
    int32_t NumPart;
    int32_t NumVertex;
    int32_t NumFace;
    int32_t NumMaterial;
    int32_t normalmode;  // 0 no normals (groups 0, 0ba), 1 normals (groups 1, 1ba)
    int32_t skinmode;    // 0 no joints, 1 joints without motions, 2 joints and motions
    int32_t basevertex;  // first vertex in the layout group's vertex buffer
    int32_t startindex;  // first index in the layout group's index buffer
    int32_t NumJoint;
    int32_t NumMotion;
    int32_t NumTotalFrame;  // frame numbers over all motions
    int32_t NumShapekey;
    int32_t NumShapekeyVertex;
    int32_t NumShapekeydata;
    int32_t NumParticlehairFace;
    int32_t hairstartindex;  // first index in the particle-hair index buffer
};

struct Obj3dVertex {
    int32_t partno;
    int32_t matno;
    int32_t originalvertexno;  // -1: unsplit vertex; >= 0: split copy of that vertex
    float posx, posy, posz;    // model space, already scaled
    float texu, texv;
};

struct Obj3dNormal {
    float normx, normy, normz;
};

// Both joint numbers first, then both weights (the GPU layout interleaves them).
struct Obj3dWeight {
    int32_t jointno0;
    int32_t jointno1;
    float weight0;
    float weight1;
};

struct Obj3dFace {
    int32_t partno;
    int32_t vertexno[3];  // model-local corners in drawing order
    int32_t matno;
};

struct Obj3dMaterial {
    float faceColorR, faceColorG, faceColorB;  // 0..1
    float alpha;
    float power;
    float specularColorR, specularColorG, specularColorB;
    float emissiveColorR, emissiveColorG, emissiveColorB;
    int32_t texsrvno;   // texture slot 0..99, 100 text texture, 101 off-screen target, -1 none
    int32_t blendmode;  // 0..5
};

// Entry for part p, material m at m * NumPart + p; start is relative to startindex.
struct Obj3dDrawRange {
    int32_t start;
    int32_t count;
};

struct Obj3dJoint {
    int32_t parentjointno;                     // -1 for a root
    float parentposx, parentposy, parentposz;  // the joint's own model-space position
};

struct Obj3dMotion {
    int32_t numframe;
    int32_t firstframe;  // first entry in the frameno table
    int32_t firstkey;    // first keyframe record
};

// Key frame numbers of all motions, motion by motion.
using Obj3dFrameno = int32_t;

// Key of motion i, joint j, frame index f: record firstkey(i) + j * numframe(i) + f.
struct Obj3dKeyframe {
    float rot4x, rot4y, rot4z, rot4w;  // rotation quaternion, w real
    float scalex, scaley, scalez;
    float transx, transy, transz;  // already scaled
};

struct Shapekeyinfo {
    int32_t numvertex;
    int32_t numframe;
    int32_t firstdata;  // first Shapekeytrans record of the kind
};

// Shape-key identities of the moved vertices; a position in this list is a
// vertex's shape-key vertex index.
using Shapekeyvertex = int32_t;

// Record of kind k, moved vertex v, key f: firstdata(k) + v * numframe(k) + f.
struct Shapekeytrans {
    int32_t skvertexindex;
    int32_t frameno;
    float dx, dy, dz;  // already scaled
};

struct ParticlehairFace {
    int32_t faceno;
    int32_t hairparam0;
    float hairlength;
    int32_t hairparam1;
    int32_t hairparam2;
    float hairvec[3];
    float haircolor[3];  // 0..1; a negative red means no colour
};

// The layouts the other modules and the file formats rely on.
static_assert(sizeof(Obj3dHeader) == 64 && offsetof(Obj3dHeader, NumVertex) == 4 &&
              offsetof(Obj3dHeader, skinmode) == 20 && offsetof(Obj3dHeader, NumJoint) == 32 &&
              offsetof(Obj3dHeader, NumShapekey) == 44 && offsetof(Obj3dHeader, hairstartindex) == 60);
static_assert(sizeof(Obj3dVertex) == 32 && offsetof(Obj3dVertex, posx) == 12 && offsetof(Obj3dVertex, texu) == 24);
static_assert(sizeof(Obj3dNormal) == 12);
static_assert(sizeof(Obj3dWeight) == 16 && offsetof(Obj3dWeight, jointno1) == 4 && offsetof(Obj3dWeight, weight0) == 8);
static_assert(sizeof(Obj3dFace) == 20 && offsetof(Obj3dFace, vertexno) == 4 && offsetof(Obj3dFace, matno) == 16);
static_assert(sizeof(Obj3dMaterial) == 52 && offsetof(Obj3dMaterial, alpha) == 12 &&
              offsetof(Obj3dMaterial, specularColorR) == 20 && offsetof(Obj3dMaterial, texsrvno) == 44);
static_assert(sizeof(Obj3dDrawRange) == 8 && offsetof(Obj3dDrawRange, count) == 4);
static_assert(sizeof(Obj3dJoint) == 16 && offsetof(Obj3dJoint, parentposx) == 4);
static_assert(sizeof(Obj3dMotion) == 12 && offsetof(Obj3dMotion, firstkey) == 8);
static_assert(sizeof(Obj3dFrameno) == 4);
static_assert(sizeof(Obj3dKeyframe) == 40 && offsetof(Obj3dKeyframe, rot4w) == 12 &&
              offsetof(Obj3dKeyframe, scalex) == 16 && offsetof(Obj3dKeyframe, transx) == 28);
static_assert(sizeof(Shapekeyinfo) == 12 && offsetof(Shapekeyinfo, firstdata) == 8);
static_assert(sizeof(Shapekeyvertex) == 4);
static_assert(sizeof(Shapekeytrans) == 20 && offsetof(Shapekeytrans, dx) == 8);
static_assert(sizeof(ParticlehairFace) == 44 && offsetof(ParticlehairFace, hairlength) == 8 &&
              offsetof(ParticlehairFace, hairvec) == 20 && offsetof(ParticlehairFace, haircolor) == 32);

}  // namespace korvel::model
