#include "model/tool_input.h"

#include <algorithm>
#include <unordered_map>

namespace korvel::model {

namespace {

// Records that both the header count and the table hold.
template <class T>
size_t writable(const Table<T>& table, int64_t count) {
    return count > 0 ? std::min(static_cast<size_t>(count), table.size()) : 0;
}

// The code of the first table whose count lies outside 0..its ceiling, in
// the order the tables are made, or 0 when every count fits.
int countOutsideCeiling(const ToolCounts& c) {
    struct Limit {
        int count;
        int32_t ceiling;
        int code;
    };
    const Limit limits[] = {{c.numvertex, kMaxToolVertices, -2},    {c.numface, kMaxToolFaces, -5},
                            {c.nummaterial, kMaxToolMaterials, -6}, {c.numjoint, kMaxToolJoints, -7},
                            {c.nummotion, kMaxToolMotions, -9},     {c.numtotalframe, kMaxToolFrames, -10}};
    for (const Limit& limit : limits)
        if (limit.count < 0 || limit.count > limit.ceiling) return limit.code;
    const int64_t keys = int64_t{c.numtotalframe} * c.nummotion * c.numjoint;
    return keys > kMaxToolKeys ? -8 : 0;
}

int makeTables(Obj3dModel& model, const ToolCounts& c) {
    Obj3dHeader& h = *model.head();
    h.NumVertex = c.numvertex;
    const auto vertices = static_cast<size_t>(c.numvertex);
    if (!model.vertex.allocate(vertices)) return -2;
    if (!model.normal.allocate(vertices)) return -3;
    h.normalmode = c.normalmode;
    if (c.normalmode == 0) model.normal.release();
    if (!model.weight.allocate(vertices)) return -4;
    if (c.hasweights == 0) model.weight.release();
    h.NumFace = c.numface;
    if (!model.face.allocate(static_cast<size_t>(c.numface))) return -5;
    h.NumMaterial = c.nummaterial;
    if (!model.material.allocate(static_cast<size_t>(c.nummaterial))) return -6;
    h.NumJoint = c.numjoint;
    if (!model.joint.allocate(static_cast<size_t>(std::max(c.numjoint, 1)))) return -7;
    if (c.numjoint == 0) model.joint.release();
    h.NumMotion = c.nummotion;
    if (!model.motion.allocate(static_cast<size_t>(std::max(c.nummotion, 1)))) return -9;
    h.NumTotalFrame = c.numtotalframe;
    if (!model.frameno.allocate(static_cast<size_t>(std::max(c.numtotalframe, 1)))) return -10;
    if (!model.keyframe.allocate(static_cast<size_t>(std::max<int64_t>(keyRecordCount(h), 1)))) return -8;
    if (c.nummotion == 0) {
        model.keyframe.release();
        model.motion.release();
        model.frameno.release();
    }
    return 0;
}

}  // namespace

int toolMakeObj3d(const ToolCounts& counts) {
    const int slot = firstFreeModelSlot();
    if (slot < 0) return -11;
    if (const int code = countOutsideCeiling(counts); code != 0) return code;
    Obj3dModel& model = *modelSlot(slot);
    if (!model.header.allocate(1)) return -1;
    if (const int code = makeTables(model, counts); code != 0) return code;
    model.complete = true;
    return slot;
}

void toolVertexData(Obj3dModel& model, const int32_t* partno, const int32_t* matno, const int32_t* originalvertexno,
                    const double* texu, const double* texv, const double* posx, const double* posy,
                    const double* posz) {
    if (!partno || !matno || !originalvertexno || !texu || !texv || !posx || !posy || !posz) return;
    for (size_t i = 0; i < writable(model.vertex, model.head()->NumVertex); ++i) {
        Obj3dVertex& v = model.vertex[i];
        v.partno = partno[i];
        v.matno = matno[i];
        v.originalvertexno = originalvertexno[i];
        v.texu = static_cast<float>(texu[i]);
        v.texv = static_cast<float>(texv[i]);
        v.posx = static_cast<float>(posx[i]);
        v.posy = static_cast<float>(posy[i]);
        v.posz = static_cast<float>(posz[i]);
    }
}

void toolVertexNorm(Obj3dModel& model, const double* normx, const double* normy, const double* normz) {
    if (!normx || !normy || !normz) return;
    for (size_t i = 0; i < writable(model.normal, model.head()->NumVertex); ++i)
        model.normal[i] = {static_cast<float>(normx[i]), static_cast<float>(normy[i]), static_cast<float>(normz[i])};
}

void toolVertexJointWeight(Obj3dModel& model, const int32_t* jointno0, const double* weight0, const int32_t* jointno1,
                           const double* weight1) {
    if (!jointno0 || !weight0 || !jointno1 || !weight1) return;
    for (size_t i = 0; i < writable(model.weight, model.head()->NumVertex); ++i)
        model.weight[i] = {jointno0[i], jointno1[i], static_cast<float>(weight0[i]), static_cast<float>(weight1[i])};
}

void toolFaceData(Obj3dModel& model, const int32_t* partno, const int32_t* matno, const int32_t* vertexno0,
                  const int32_t* vertexno1, const int32_t* vertexno2) {
    if (!partno || !matno || !vertexno0 || !vertexno1 || !vertexno2) return;
    for (size_t i = 0; i < writable(model.face, model.head()->NumFace); ++i)
        model.face[i] = {partno[i], {vertexno0[i], vertexno1[i], vertexno2[i]}, matno[i]};
}

void toolJointData(Obj3dModel& model, const int32_t* parentjointno, const double* parentposx, const double* parentposy,
                   const double* parentposz) {
    if (!parentjointno || !parentposx || !parentposy || !parentposz) return;
    for (size_t i = 0; i < writable(model.joint, model.head()->NumJoint); ++i)
        model.joint[i] = {parentjointno[i], static_cast<float>(parentposx[i]), static_cast<float>(parentposy[i]),
                          static_cast<float>(parentposz[i])};
}

void toolFrameData(Obj3dModel& model, const int32_t* frameno) {
    if (!frameno) return;
    for (size_t i = 0; i < writable(model.frameno, model.head()->NumTotalFrame); ++i) model.frameno[i] = frameno[i];
}

void toolMotionData(Obj3dModel& model, const ToolKeyArrays& a) {
    if (!a.scalex || !a.scaley || !a.scalez || !a.rot4w || !a.rot4x || !a.rot4y || !a.rot4z || !a.transx || !a.transy ||
        !a.transz)
        return;
    const size_t count = writable(model.keyframe, keyRecordCount(*model.head()));
    for (size_t i = 0; i < count; ++i) {
        Obj3dKeyframe& k = model.keyframe[i];
        k.scalex = static_cast<float>(a.scalex[i]);
        k.scaley = static_cast<float>(a.scaley[i]);
        k.scalez = static_cast<float>(a.scalez[i]);
        k.rot4w = static_cast<float>(a.rot4w[i]);
        k.rot4x = static_cast<float>(a.rot4x[i]);
        k.rot4y = static_cast<float>(a.rot4y[i]);
        k.rot4z = static_cast<float>(a.rot4z[i]);
        k.transx = static_cast<float>(a.transx[i]);
        k.transy = static_cast<float>(a.transy[i]);
        k.transz = static_cast<float>(a.transz[i]);
    }
}

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
