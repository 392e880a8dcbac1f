// Building and extending a model from a tool's own arrays: the tables made for
// given counts and filled one kind at a time, then shape keys and particle
// hair attached to a model after it was made.
#pragma once

#include <cstdint>

#include "model/store.h"

namespace korvel::model {

// Building a model from a tool's own arrays: make the model's tables for
// given counts, then copy caller arrays into them one kind at a time. Each
// input call writes the records that both the header count and the table
// allow, and nothing when the table is absent or an array is null.

struct ToolCounts {
    int numvertex, normalmode, hasweights, numface, nummaterial, numjoint, nummotion, numtotalframe;
};

// The model number, or -11 all slots occupied, -1 header, -2 vertex, -3
// normal, -4 weight, -5 face, -6 material, -7 joint, -9 motion, -10 frameno,
// -8 keyframe table. A count outside 0..its ceiling (store.h), or a key
// count NumTotalFrame x NumMotion x NumJoint above kMaxToolKeys, returns its
// table's code before anything is allocated, and the slot stays free. A
// failed allocation leaves the slot occupied, incomplete, with the tables
// made so far.
int toolMakeObj3d(const ToolCounts& counts);

void toolVertexData(Obj3dModel& model, const int32_t* partno, const int32_t* matno, const int32_t* originalvertexno,
                    const double* texu, const double* texv, const double* posx, const double* posy, const double* posz);
void toolVertexNorm(Obj3dModel& model, const double* normx, const double* normy, const double* normz);
void toolVertexJointWeight(Obj3dModel& model, const int32_t* jointno0, const double* weight0, const int32_t* jointno1,
                           const double* weight1);
void toolFaceData(Obj3dModel& model, const int32_t* partno, const int32_t* matno, const int32_t* vertexno0,
                  const int32_t* vertexno1, const int32_t* vertexno2);
void toolJointData(Obj3dModel& model, const int32_t* parentjointno, const double* parentposx, const double* parentposy,
                   const double* parentposz);
void toolFrameData(Obj3dModel& model, const int32_t* frameno);

// Keys in the PT3 column order (scale, rotation w x y z, translation).
struct ToolKeyArrays {
    const double *scalex, *scaley, *scalez, *rot4w, *rot4x, *rot4y, *rot4z, *transx, *transy, *transz;
};
void toolMotionData(Obj3dModel& model, const ToolKeyArrays& keys);

// Shape keys and particle hair attached to a model after it was made: the
// allocation and fill calls a tool uses. Each call writes only records that
// exist; a failed allocation leaves the table absent while the count is set,
// and the fill calls then write nothing.

// Releases the old table, sets the header count and allocates count zeroed
// records. A count outside 0..its ceiling changes nothing; the ceilings
// (store.h) follow from the model's own tables: kinds at most
// kMaxShapekeyKinds, list entries at most the vertices, data records at most
// the vertices x kMaxShapekeyKeysPerVertex, hair records at most the faces.
void allocShapekeyinfo(Obj3dModel& model, int count);
void allocShapekeyvertex(Obj3dModel& model, int count);
void allocShapekeytrans(Obj3dModel& model, int count);
void allocParticlehairFace(Obj3dModel& model, int count);

// Fills record kind; firstdata follows from record kind - 1 (0 for kind 0).
// Nothing when numvertex is outside 0..the model's vertices or numframe
// outside 0..kMaxShapekeyKeysPerVertex.
void setShapekeyinfo(Obj3dModel& model, int kind, int numvertex, int numframe);
// Copies one entry per record of the list.
void setShapekeyvertex(Obj3dModel& model, const int32_t* list);
// For every record i: skvertexindex = the last list position holding
// vertexno[i] (unchanged when none does), frameno, displacements as float.
void setShapekeytrans(Obj3dModel& model, const int32_t* vertexno, const int32_t* frameno, const double* dx,
                      const double* dy, const double* dz);

struct HairArrays {
    const int32_t* faceno;
    const int32_t* hairparam0;
    const double* hairlength;
    const int32_t* hairparam1;
    const int32_t* hairparam2;
    const double* vecx;
    const double* vecy;
    const double* vecz;
    const int32_t* r;
    const int32_t* g;
    const int32_t* b;
};
// Fills every hair record; colours are divided by 255, no scale applied.
void setParticlehairFace(Obj3dModel& model, const HairArrays& arrays);
// Overwrites every field of record index except faceno.
void setParticlehairFaceEach(Obj3dModel& model, int index, int hairparam0, double hairlength, int hairparam1,
                             int hairparam2, double vecx, double vecy, double vecz, int r, int g, int b);

}  // namespace korvel::model
