// Building a model from a tool's own arrays: make the model's tables for
// given counts, then copy caller arrays into them one kind at a time. Each
// input call writes the records that both the header count and the table
// allow, and nothing when the table is absent or an array is null.
#pragma once

#include <cstdint>

#include "model/store.h"

namespace korvel::model {

struct ToolCounts {
    int numvertex, normalmode, hasweights, numface, nummaterial, numjoint, nummotion, numtotalframe;
};

// The model number, or -11 all slots occupied, -1 header, -2 vertex, -3
// normal, -4 weight, -5 face, -6 material, -7 joint, -9 motion, -10 frameno,
// -8 keyframe table. A count outside 0..its ceiling (ceilings.h), or a key
// count NumTotalFrame x NumMotion x NumJoint above kMaxToolKeys, returns its
// table's code before anything is allocated, and the slot stays free. A
// failed allocation leaves the slot occupied, incomplete, with the tables
// made so far.
int toolMakeObj3d(const ToolCounts& counts);

void toolVertexData(Obj3dModel& model, const int32_t* partno, const int32_t* matno, const int32_t* originalvertexno,
                    const double* texu, const double* texv, const double* posx, const double* posy,
                    const double* posz);
void toolVertexNorm(Obj3dModel& model, const double* normx, const double* normy, const double* normz);
void toolVertexJointWeight(Obj3dModel& model, const int32_t* jointno0, const double* weight0,
                           const int32_t* jointno1, const double* weight1);
void toolFaceData(Obj3dModel& model, const int32_t* partno, const int32_t* matno, const int32_t* vertexno0,
                  const int32_t* vertexno1, const int32_t* vertexno2);
void toolJointData(Obj3dModel& model, const int32_t* parentjointno, const double* parentposx,
                   const double* parentposy, const double* parentposz);
void toolFrameData(Obj3dModel& model, const int32_t* frameno);

// Keys in the PT3 column order (scale, rotation w x y z, translation).
struct ToolKeyArrays {
    const double *scalex, *scaley, *scalez, *rot4w, *rot4x, *rot4y, *rot4z, *transx, *transy, *transz;
};
void toolMotionData(Obj3dModel& model, const ToolKeyArrays& keys);

}  // namespace korvel::model
