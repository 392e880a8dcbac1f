#include "model/pt3.h"

#include "platform/files.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace korvel::model {
namespace {

// Characters of a line the reader keeps.
constexpr size_t kReaderLine = 510;

// printf-style "%d" and "%f" output; to_chars formats exactly as printf does
// in the "C" locale, and is independent of the process locale.
class Out {
public:
    Out& text(std::string_view s) {
        s_.append(s);
        return *this;
    }
    Out& d(long long v) {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        s_.append(buffer, end);
        return text(";");
    }
    Out& f(float v) {
        char buffer[400];  // the longest "%f" of a float fits
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, double{v}, std::chars_format::fixed, 6).ptr;
        s_.append(buffer, end);
        return text(";");
    }
    Out& end() { return text("\n"); }
    size_t size() const { return s_.size(); }
    void cut(size_t size) { s_.resize(size); }
    std::string take() { return std::move(s_); }

private:
    std::string s_;
};

// A 0..1 colour as the integer 0..255 it was read from: times 255 in float,
// truncated; values that do not fit an int are written as 0.
int colourByte(float c) {
    const float v = c * 255.0f;
    return v > -2147483648.0f && v < 2147483648.0f ? static_cast<int>(v) : 0;
}

std::string nameOr(const std::vector<std::string>& names, size_t i, std::string_view prefix) {
    if (i < names.size() && !names[i].empty()) return names[i];
    return std::string(prefix) + std::to_string(i);
}

// Records a section holds: the header's count, at most the table's size.
template <class T>
long long counted(const Table<T>& table, int32_t count) {
    return std::min<long long>(std::max(count, 0), static_cast<long long>(table.size()));
}

template <class T>
const T* recordOrNull(const Table<T>& table, size_t i) {
    return table.at(static_cast<long long>(i));
}

void writeVertices(Out& out, const Obj3dModel& model, bool normals, bool skin) {
    static const Obj3dNormal kNoNormal{};
    static const Obj3dWeight kNoWeight{};
    out.text("vertexno;1;originalvertexno;1;partno;1;matno;1;posx;1;posy;1;posz;1;texu;1;texv;1;");
    out.text(normals ? "normx;1;normy;1;normz;1;" : "normx;0;normy;0;normz;0;");
    out.text(skin ? "jointno0;1;weight0;1;jointno1;1;weight1;1;" : "jointno0;0;weight0;0;jointno1;0;weight1;0;").end();
    for (size_t i = 0; i < static_cast<size_t>(counted(model.vertex, model.head()->NumVertex)); ++i) {
        const Obj3dVertex& v = model.vertex[i];
        out.d(static_cast<long long>(i)).d(v.originalvertexno).d(v.partno).d(v.matno);
        out.f(v.posx).f(v.posy).f(v.posz).f(v.texu).f(v.texv);
        if (normals) {
            const Obj3dNormal* n = recordOrNull(model.normal, i);
            if (n == nullptr) n = &kNoNormal;
            out.f(n->normx).f(n->normy).f(n->normz);
        }
        if (skin) {
            const Obj3dWeight* w = recordOrNull(model.weight, i);
            if (w == nullptr) w = &kNoWeight;
            out.d(w->jointno0).f(w->weight0).d(w->jointno1).f(w->weight1);
        }
        out.end();
    }
}

void writeFacesAndMaterials(Out& out, const Obj3dModel& model, const Pt3Names& names) {
    out.text("faceno;1;partno;1;matno;1;vertexno[0];1;vertexno[1];1;vertexno[2];1;").end();
    for (size_t i = 0; i < static_cast<size_t>(counted(model.face, model.head()->NumFace)); ++i) {
        const Obj3dFace& f = model.face[i];
        out.d(static_cast<long long>(i)).d(f.partno).d(f.matno).d(f.vertexno[0]).d(f.vertexno[1]).d(f.vertexno[2]);
        out.end();
    }
    out.text(
           "matno;1;faceColorR;1;faceColorG;1;faceColorB;1;alpha;1;power;1;specularColorR;1;specularColorG;1;"
           "specularColorB;1;emissiveColorR;1;emissiveColorG;1;emissiveColorB;1;texfilenameornot;1;matname;1;")
        .end();
    for (size_t i = 0; i < static_cast<size_t>(counted(model.material, model.head()->NumMaterial)); ++i) {
        const Obj3dMaterial& m = model.material[i];
        const auto index = static_cast<long long>(i);
        out.d(index).d(colourByte(m.faceColorR)).d(colourByte(m.faceColorG)).d(colourByte(m.faceColorB));
        out.f(m.alpha).f(m.power);
        out.d(colourByte(m.specularColorR)).d(colourByte(m.specularColorG)).d(colourByte(m.specularColorB));
        out.d(colourByte(m.emissiveColorR)).d(colourByte(m.emissiveColorG)).d(colourByte(m.emissiveColorB));
        const bool named = m.texsrvno != -1 && i < names.texture.size() && !names.texture[i].empty();
        out.text(named ? names.texture[i] : "None").text(";");
        out.text(nameOr(names.material, i, "matname")).text(";").end();
    }
}

void writeJoints(Out& out, const Obj3dModel& model, const Pt3Names& names) {
    out.text(
           "jointno;1;parentjointno;1;parentposx;1;parentposy;1;parentposz;1;ownposx;0;ownposy;0;ownposz;0;"
           "jointname;1;")
        .end();
    const auto count = static_cast<size_t>(counted(model.joint, model.head()->NumJoint));
    for (size_t i = 0; i < count; ++i) {
        const Obj3dJoint& j = model.joint[i];
        out.d(static_cast<long long>(i)).d(j.parentjointno).f(j.parentposx).f(j.parentposy).f(j.parentposz);
        out.text(nameOr(names.joint, i, "joint")).text(";").end();
    }
}

Obj3dFrameno framenoOrZero(const Obj3dModel& model, long long i) {
    const Obj3dFrameno* entry = model.frameno.at(i);
    return entry != nullptr ? *entry : 0;
}

void writeMotions(Out& out, const Obj3dModel& model, const Pt3Names& names, long long numJoint) {
    const Obj3dHeader& h = *model.head();
    const auto motions = static_cast<size_t>(counted(model.motion, h.NumMotion));
    out.text("motionno;1;numframe;1;frameno;1;motionname;1;").end();
    for (size_t i = 0; i < motions; ++i) {
        const Obj3dMotion& m = model.motion[i];
        const std::string name = nameOr(names.motion, i, "motion");
        const size_t start = out.size();
        out.d(static_cast<long long>(i)).d(m.numframe);
        const size_t list = out.size();
        for (long long f = 0; f < m.numframe; ++f) out.d(framenoOrZero(model, m.firstframe + f));
        // The reader would split a longer line and lose its place; it takes
        // the frame numbers from the key lines, so a long list is left out.
        if (out.size() - start + name.size() + 1 > kReaderLine) out.cut(list);
        out.text(name).text(";").end();
    }
    out.text(
           "motionno;1;jointno;1;frameno;1;scalex;1;scaley;1;scalez;1;rot4w;1;rot4x;1;rot4y;1;rot4z;1;transx;1;"
           "transy;1;transz;1;")
        .end();
    if (motions == 0) return;
    Obj3dHeader written = h;
    written.NumJoint = static_cast<int32_t>(numJoint);
    const int64_t keys = keyRecordCount(written);
    size_t motion = 0;
    for (int64_t k = 0; k < keys; ++k) {
        while (motion + 1 < motions && model.motion[motion + 1].firstkey <= k) ++motion;
        const Obj3dMotion& m = model.motion[motion];
        const long long r = k - m.firstkey;
        const long long joint = m.numframe > 0 ? r / m.numframe : numJoint;
        const long long frame = m.numframe > 0 ? r % m.numframe : 0;
        static const Obj3dKeyframe kZero{};
        const Obj3dKeyframe* key = model.keyframe.at(k);
        if (key == nullptr) key = &kZero;
        out.d(static_cast<long long>(motion)).d(joint).d(framenoOrZero(model, m.firstframe + frame));
        out.f(key->scalex).f(key->scaley).f(key->scalez);
        out.f(key->rot4w).f(key->rot4x).f(key->rot4y).f(key->rot4z);
        out.f(key->transx).f(key->transy).f(key->transz).end();
    }
}

void writeShapekeys(Out& out, const Obj3dModel& model) {
    out.text("shapekeyno;1;numvertex;1;numframe;1;").end();
    for (size_t k = 0; k < static_cast<size_t>(counted(model.shapekeyinfo, model.head()->NumShapekey)); ++k) {
        const Shapekeyinfo& info = model.shapekeyinfo[k];
        out.d(static_cast<long long>(k)).d(info.numvertex).d(info.numframe).end();
    }
    out.text("shapekeyvertex;1;").end();
    for (size_t i = 0; i < static_cast<size_t>(counted(model.shapekeyvertex, model.head()->NumShapekeyVertex)); ++i)
        out.d(model.shapekeyvertex[i]);
    out.end();
    out.text("shapekeydatano;1;vertexno;1;frameno;1;dx;1;dy;1;dz;1;").end();
    for (size_t i = 0; i < static_cast<size_t>(counted(model.shapekeytrans, model.head()->NumShapekeydata)); ++i) {
        const Shapekeytrans& t = model.shapekeytrans[i];
        const Shapekeyvertex* vertex = model.shapekeyvertex.at(t.skvertexindex);
        out.d(static_cast<long long>(i)).d(vertex != nullptr ? *vertex : 0).d(t.frameno);
        out.f(t.dx).f(t.dy).f(t.dz).end();
    }
}

void writeHair(Out& out, const Obj3dModel& model) {
    out.text(
           "hairno;1;faceno;1;hairparam0;1;hairlength;1;hairparam1;1;hairparam2;1;hairvecx;1;hairvecy;1;"
           "hairvecz;1;haircolorr;1;haircolorg;1;haircolorb;1;")
        .end();
    for (size_t i = 0; i < static_cast<size_t>(counted(model.particlehairface, model.head()->NumParticlehairFace));
         ++i) {
        const ParticlehairFace& p = model.particlehairface[i];
        out.d(static_cast<long long>(i)).d(p.faceno).d(p.hairparam0).f(p.hairlength).d(p.hairparam1).d(p.hairparam2);
        out.f(p.hairvec[0]).f(p.hairvec[1]).f(p.hairvec[2]);
        out.d(colourByte(p.haircolor[0])).d(colourByte(p.haircolor[1])).d(colourByte(p.haircolor[2])).end();
    }
}

}  // namespace

std::string pt3Text(const Obj3dModel& model, const Pt3Names& names) {
    const Obj3dHeader& h = *model.head();
    // Counts as the tables hold them, so every line the reader expects is written.
    const bool shapekeys = h.NumShapekey > 0 && model.shapekeyinfo.present() && model.shapekeyvertex.present() &&
                           model.shapekeytrans.present();
    const bool hair = h.NumParticlehairFace > 0 && model.particlehairface.present();
    const bool motions = h.NumMotion > 0 && model.motion.present();
    const bool joints = h.NumJoint > 0 && model.joint.present();
    const bool more = motions || shapekeys || hair;

    Out out;
    out.text("NumVertex;").d(counted(model.vertex, h.NumVertex));
    out.text("NumFace;").d(counted(model.face, h.NumFace));
    out.text("NumMaterial;").d(counted(model.material, h.NumMaterial));
    out.text("NumPart;").d(h.NumPart).text("NumJoint;").d(joints ? counted(model.joint, h.NumJoint) : 0);
    out.text("NumMotion;").d(motions ? h.NumMotion : 0).text("NumTotalFrame;").d(motions ? h.NumTotalFrame : 0);
    out.text("NumShapekey;").d(shapekeys ? counted(model.shapekeyinfo, h.NumShapekey) : 0);
    out.text("NumShapekeyVertex;").d(shapekeys ? counted(model.shapekeyvertex, h.NumShapekeyVertex) : 0);
    out.text("NumShapekeydata;").d(shapekeys ? counted(model.shapekeytrans, h.NumShapekeydata) : 0);
    out.text("NumParticlehairFace;").d(hair ? counted(model.particlehairface, h.NumParticlehairFace) : 0).end();

    writeVertices(out, model, h.normalmode == 1, h.skinmode == 1 || h.skinmode == 2 || joints);
    writeFacesAndMaterials(out, model, names);
    out.text("partno;1;partname;1;").end();
    for (long long p = 0; p < h.NumPart; ++p)
        out.d(p).text(nameOr(names.part, static_cast<size_t>(p), "part")).text(";").end();
    if (joints || ((h.skinmode == 1 || h.skinmode == 2) && !more)) writeJoints(out, model, names);
    if (motions || (h.skinmode == 2 && !shapekeys && !hair)) writeMotions(out, model, names, joints ? h.NumJoint : 0);
    if (shapekeys) writeShapekeys(out, model);
    if (hair) writeHair(out, model);
    return out.take();
}

bool writePt3File(const std::string& utf8Path, const Obj3dModel& model, const Pt3Names& names) {
    if (!model.occupied()) return false;
    const std::string text = pt3Text(model, names);
    return platform::writeFileBytes(utf8Path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace korvel::model
