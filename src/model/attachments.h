// Shape keys and particle hair attached to a model after it was made: the
// allocation and fill calls a tool uses. Each call writes only records that
// exist; a failed allocation leaves the table absent while the count is set,
// and the fill calls then write nothing.
#pragma once

#include <cstdint>

#include "model/store.h"

namespace korvel::model {

// Releases the old table, sets the header count and allocates count zeroed
// records. A count outside 0..its ceiling changes nothing; the ceilings
// (ceilings.h) follow from the model's own tables: kinds at most
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
