// C exports of the model module: the store, PT3 loading, the buffer builders
// and tool input. Every export checks the model number and catches
// everything, so no exception crosses the C interface.
#include <exception>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "model/model_buffers.h"
#include "model/pt3.h"
#include "model/store.h"
#include "model/tool_input.h"
#include "platform/files.h"

using namespace korvel;
using namespace korvel::model;

namespace {

// Runs f on the occupied model, or does nothing.
template <class F>
void withModel(int m, F&& f) noexcept {
    try {
        if (Obj3dModel* model = occupiedModel(m)) f(*model);
    } catch (const std::exception&) {
    }
}

// f's result on the occupied model, or -1.
template <class F>
int askModel(int m, F&& f) noexcept {
    try {
        if (const Obj3dModel* model = occupiedModel(m)) return f(*model);
    } catch (const std::exception&) {
    }
    return -1;
}

int buildGroup(LayoutGroup group) noexcept {
    try {
        return buildGroupBuffers(group, device::currentDevice(), device::currentContext());
    } catch (const std::exception&) {
        return -2;
    }
}

}  // namespace

extern "C" {

KORVEL_API void ClearObj3d(int model, int releasetextures) { clearModel(model, releasetextures, libraryTextures()); }

KORVEL_API void Obj3dInfoGet(int model, int out[12]) {
    if (out != nullptr) withModel(model, [&](Obj3dModel& m) { infoGet(m, out); });
}

KORVEL_API void Obj3dPointInfoGet0(int model, int vertex, double out[3]) {
    if (out != nullptr) withModel(model, [&](Obj3dModel& m) { pointInfo(m, vertex, out); });
}

KORVEL_API int Obj3dGetMotionnum(int model) {
    return askModel(model, [](const Obj3dModel& m) { return m.head()->NumMotion; });
}

KORVEL_API int Obj3dGetMotionkindframe(int model, int motion) {
    return askModel(model, [&](const Obj3dModel& m) { return motionLastFrame(m, motion).value_or(-1); });
}

KORVEL_API int Obj3dGetShapekeynum(int model) {
    return askModel(model, [](const Obj3dModel& m) { return m.head()->NumShapekey; });
}

KORVEL_API int Obj3dGetShapekeykindframe(int model, int kind) {
    return askModel(model, [&](const Obj3dModel& m) { return shapekeyLastFrame(m, kind).value_or(-1); });
}

KORVEL_API void Obj3dAllocShapekeyinfo(int model, int count) {
    withModel(model, [&](Obj3dModel& m) { allocShapekeyinfo(m, count); });
}

KORVEL_API void Obj3dSetShapekeyinfo(int model, int kind, int numvertex, int numframe) {
    withModel(model, [&](Obj3dModel& m) { setShapekeyinfo(m, kind, numvertex, numframe); });
}

KORVEL_API void Obj3dAllocShapekeyvertex(int model, int count) {
    withModel(model, [&](Obj3dModel& m) { allocShapekeyvertex(m, count); });
}

KORVEL_API void Obj3dSetShapekeyvertex(int model, const int* list) {
    withModel(model, [&](Obj3dModel& m) { setShapekeyvertex(m, list); });
}

KORVEL_API void Obj3dAllocShapekeytrans(int model, int count) {
    withModel(model, [&](Obj3dModel& m) { allocShapekeytrans(m, count); });
}

KORVEL_API void Obj3dSetShapekeytrans(int model, const int* vertexno, const int* frameno, const double* dx,
                                      const double* dy, const double* dz) {
    withModel(model, [&](Obj3dModel& m) { setShapekeytrans(m, vertexno, frameno, dx, dy, dz); });
}

KORVEL_API void Obj3dAllocParticlehairFace(int model, int count) {
    withModel(model, [&](Obj3dModel& m) { allocParticlehairFace(m, count); });
}

KORVEL_API void Obj3dSetParticlehairFace(int model, const int* faceno, const int* hairparam0, const double* hairlength,
                                         const int* hairparam1, const int* hairparam2, const double* vecx,
                                         const double* vecy, const double* vecz, const int* r, const int* g,
                                         const int* b) {
    const HairArrays arrays{faceno, hairparam0, hairlength, hairparam1, hairparam2, vecx, vecy, vecz, r, g, b};
    withModel(model, [&](Obj3dModel& m) { setParticlehairFace(m, arrays); });
}

KORVEL_API void Obj3dSetParticlehairFaceEach(int model, int index, int hairparam0, double hairlength, int hairparam1,
                                             int hairparam2, double vecx, double vecy, double vecz, int r, int g,
                                             int b) {
    withModel(model, [&](Obj3dModel& m) {
        setParticlehairFaceEach(m, index, hairparam0, hairlength, hairparam1, hairparam2, vecx, vecy, vecz, r, g, b);
    });
}

KORVEL_API int ReadPT3file(const wchar_t* path, int normalmode, double scale) {
    try {
        if (firstFreeModelSlot() < 0) return -1;
        if (path == nullptr) return -2;
        return readPt3File(platform::utf8FromWide(path), normalmode, scale, libraryTextures());
    } catch (const std::exception&) {
        return -4;
    }
}

KORVEL_API int MakeVertexIndexBuffer0(void) { return buildGroup(LayoutGroup::Plain); }
KORVEL_API int MakeVertexIndexBuffer1(void) { return buildGroup(LayoutGroup::Normal); }
KORVEL_API int MakeVertexIndexBuffer0ba(void) { return buildGroup(LayoutGroup::PlainSkinned); }
KORVEL_API int MakeVertexIndexBuffer1ba(void) { return buildGroup(LayoutGroup::NormalSkinned); }

KORVEL_API int MakeParticleHairIndexBuffer(void) {
    try {
        return buildParticlehairIndexBuffer(device::currentDevice(), device::currentContext());
    } catch (const std::exception&) {
        return -2;
    }
}

KORVEL_API int ToolMakeObj3d(int numvertex, int normalmode, int hasweights, int numface, int nummaterial, int numjoint,
                             int nummotion, int numtotalframe) {
    try {
        return toolMakeObj3d(
            {numvertex, normalmode, hasweights, numface, nummaterial, numjoint, nummotion, numtotalframe});
    } catch (const std::exception&) {
        return -1;
    }
}

KORVEL_API void ToolDataInputVertexData(int model, const int* partno, const int* matno, const int* originalvertexno,
                                        const double* texu, const double* texv, const double* posx, const double* posy,
                                        const double* posz) {
    withModel(model,
              [&](Obj3dModel& m) { toolVertexData(m, partno, matno, originalvertexno, texu, texv, posx, posy, posz); });
}

KORVEL_API void ToolDataInputVertexNorm(int model, const double* normx, const double* normy, const double* normz) {
    withModel(model, [&](Obj3dModel& m) { toolVertexNorm(m, normx, normy, normz); });
}

KORVEL_API void ToolDataInputVertexJointWeight(int model, const int* jointno0, const double* weight0,
                                               const int* jointno1, const double* weight1) {
    withModel(model, [&](Obj3dModel& m) { toolVertexJointWeight(m, jointno0, weight0, jointno1, weight1); });
}

KORVEL_API void ToolDataInputFaceData(int model, const int* partno, const int* matno, const int* vertexno0,
                                      const int* vertexno1, const int* vertexno2) {
    withModel(model, [&](Obj3dModel& m) { toolFaceData(m, partno, matno, vertexno0, vertexno1, vertexno2); });
}

KORVEL_API void ToolDataInputJointData(int model, const int* parentjointno, const double* parentposx,
                                       const double* parentposy, const double* parentposz) {
    withModel(model, [&](Obj3dModel& m) { toolJointData(m, parentjointno, parentposx, parentposy, parentposz); });
}

KORVEL_API void ToolDataInputFrameData(int model, const int* frameno) {
    withModel(model, [&](Obj3dModel& m) { toolFrameData(m, frameno); });
}

KORVEL_API void ToolDataInputMotionData(int model, const double* scalex, const double* scaley, const double* scalez,
                                        const double* rot4w, const double* rot4x, const double* rot4y,
                                        const double* rot4z, const double* transx, const double* transy,
                                        const double* transz) {
    const ToolKeyArrays keys{scalex, scaley, scalez, rot4w, rot4x, rot4y, rot4z, transx, transy, transz};
    withModel(model, [&](Obj3dModel& m) { toolMotionData(m, keys); });
}

}  // extern "C"
