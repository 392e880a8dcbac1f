#include "model/attachments.h"

#include <unordered_map>

#include "model/ceilings.h"

namespace korvel::model {

namespace {

// Whether count lies in 0..ceiling.
bool within(int count, int64_t ceiling) { return count >= 0 && count <= ceiling; }

}  // namespace

void allocShapekeyinfo(Obj3dModel& model, int count) {
    if (!within(count, kMaxShapekeyKinds)) return;
    model.shapekeyinfo.release();
    model.head()->NumShapekey = count;
    model.shapekeyinfo.allocate(static_cast<size_t>(count));
}

void allocShapekeyvertex(Obj3dModel& model, int count) {
    if (!within(count, static_cast<int64_t>(model.vertex.size()))) return;
    model.head()->NumShapekeyVertex = count;
    model.shapekeyvertex.allocate(static_cast<size_t>(count));
}

void allocShapekeytrans(Obj3dModel& model, int count) {
    if (!within(count, static_cast<int64_t>(model.vertex.size()) * kMaxShapekeyKeysPerVertex)) return;
    model.shapekeytrans.release();
    model.head()->NumShapekeydata = count;
    model.shapekeytrans.allocate(static_cast<size_t>(count));
}

void allocParticlehairFace(Obj3dModel& model, int count) {
    if (!within(count, static_cast<int64_t>(model.face.size()))) return;
    model.particlehairface.release();
    model.head()->NumParticlehairFace = count;
    model.particlehairface.allocate(static_cast<size_t>(count));
}

void setShapekeyinfo(Obj3dModel& model, int kind, int numvertex, int numframe) {
    Shapekeyinfo* info = model.shapekeyinfo.at(kind);
    if (info == nullptr || !within(numvertex, static_cast<int64_t>(model.vertex.size())) ||
        !within(numframe, kMaxShapekeyKeysPerVertex))
        return;
    info->numvertex = numvertex;
    info->numframe = numframe;
    info->firstdata = 0;
    if (const Shapekeyinfo* previous = model.shapekeyinfo.at(kind - 1L)) {
        // Wrapping arithmetic: odd values stay odd but never undefined.
        const int64_t first = int64_t{previous->firstdata} + int64_t{previous->numvertex} * previous->numframe;
        info->firstdata = static_cast<int32_t>(static_cast<uint32_t>(first));
    }
}

void setShapekeyvertex(Obj3dModel& model, const int32_t* list) {
    if (list == nullptr) return;
    for (size_t i = 0; i < model.shapekeyvertex.size(); ++i) model.shapekeyvertex[i] = list[i];
}

void setShapekeytrans(Obj3dModel& model, const int32_t* vertexno, const int32_t* frameno, const double* dx,
                      const double* dy, const double* dz) {
    if (!vertexno || !frameno || !dx || !dy || !dz) return;
    std::unordered_map<int32_t, int32_t> lastPosition;
    for (size_t i = 0; i < model.shapekeyvertex.size(); ++i)
        lastPosition[model.shapekeyvertex[i]] = static_cast<int32_t>(i);
    for (size_t i = 0; i < model.shapekeytrans.size(); ++i) {
        Shapekeytrans& record = model.shapekeytrans[i];
        if (auto found = lastPosition.find(vertexno[i]); found != lastPosition.end())
            record.skvertexindex = found->second;
        record.frameno = frameno[i];
        record.dx = static_cast<float>(dx[i]);
        record.dy = static_cast<float>(dy[i]);
        record.dz = static_cast<float>(dz[i]);
    }
}

namespace {

void fillHair(ParticlehairFace& hair, int hairparam0, double hairlength, int hairparam1, int hairparam2, double vecx,
              double vecy, double vecz, int r, int g, int b) {
    hair.hairparam0 = hairparam0;
    hair.hairlength = static_cast<float>(hairlength);
    hair.hairparam1 = hairparam1;
    hair.hairparam2 = hairparam2;
    hair.hairvec[0] = static_cast<float>(vecx);
    hair.hairvec[1] = static_cast<float>(vecy);
    hair.hairvec[2] = static_cast<float>(vecz);
    hair.haircolor[0] = static_cast<float>(r / 255.0);
    hair.haircolor[1] = static_cast<float>(g / 255.0);
    hair.haircolor[2] = static_cast<float>(b / 255.0);
}

}  // namespace

void setParticlehairFace(Obj3dModel& model, const HairArrays& a) {
    if (!a.faceno || !a.hairparam0 || !a.hairlength || !a.hairparam1 || !a.hairparam2 || !a.vecx || !a.vecy ||
        !a.vecz || !a.r || !a.g || !a.b)
        return;
    for (size_t i = 0; i < model.particlehairface.size(); ++i) {
        ParticlehairFace& hair = model.particlehairface[i];
        hair.faceno = a.faceno[i];
        fillHair(hair, a.hairparam0[i], a.hairlength[i], a.hairparam1[i], a.hairparam2[i], a.vecx[i], a.vecy[i],
                 a.vecz[i], a.r[i], a.g[i], a.b[i]);
    }
}

void setParticlehairFaceEach(Obj3dModel& model, int index, int hairparam0, double hairlength, int hairparam1,
                             int hairparam2, double vecx, double vecy, double vecz, int r, int g, int b) {
    if (ParticlehairFace* hair = model.particlehairface.at(index))
        fillHair(*hair, hairparam0, hairlength, hairparam1, hairparam2, vecx, vecy, vecz, r, g, b);
}

}  // namespace korvel::model
