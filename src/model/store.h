// The model store: 50 numbered model slots, each holding a model's header and
// its record tables. A slot is occupied exactly when its header is present.
// Every table is present or absent as the loaders leave it; readers test
// present() or size() and never index past size().
#pragma once

#include <cstdint>

#include "model/records.h"
#include "model/table.h"
#include "model/texture_loader.h"

namespace korvel::model {

inline constexpr int kModelSlots = 50;

struct Obj3dModel {
    Table<Obj3dHeader> header;  // one record while the slot is occupied
    Table<Obj3dVertex> vertex;
    Table<Obj3dNormal> normal;
    Table<Obj3dWeight> weight;
    Table<Obj3dFace> face;
    Table<Obj3dMaterial> material;
    Table<Obj3dDrawRange> drawrange;
    Table<Obj3dJoint> joint;
    Table<Obj3dMotion> motion;
    Table<Obj3dFrameno> frameno;
    Table<Obj3dKeyframe> keyframe;
    Table<Shapekeyinfo> shapekeyinfo;
    Table<Shapekeyvertex> shapekeyvertex;
    Table<Shapekeytrans> shapekeytrans;
    Table<ParticlehairFace> particlehairface;
    // Set by a loader that finished; false while a load is running and after
    // a failed one, whose partial tables builders and consumers skip.
    bool complete = false;

    bool occupied() const { return header.present(); }
    Obj3dHeader* head() { return header.data(); }
    const Obj3dHeader* head() const { return header.data(); }
};

// NumTotalFrame x NumMotion x NumJoint, the keyframe records the format
// counts; 0 when a factor is negative, saturated at INT64_MAX.
int64_t keyRecordCount(const Obj3dHeader& header);

// Slot m (0..49), or null when m is out of range.
Obj3dModel* modelSlot(int m);
// Slot m when it is in range and occupied, else null.
Obj3dModel* occupiedModel(int m);
// Slot m when it is in range, occupied and completely loaded, else null.
Obj3dModel* completeModel(int m);
bool isComplete(int m);

// The lowest free slot, or -1 when all are occupied. A creating call takes
// it by allocating the slot's header (header.allocate(1)).
int firstFreeModelSlot();

// Releases slot m: with releaseTextures 1, first each distinct texture slot
// 0..99 that its materials use; then the header and every table. Out-of-range
// or free slots are left alone.
void clearModel(int m, int releaseTextures, TextureLoader& textures);
// Releases every slot as clearModel(m, 1, textures) does.
void clearAllModels(TextureLoader& textures);

}  // namespace korvel::model
