#include "model/pt3.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "model/store.h"
#include "model/text_scan.h"
#include "platform/files.h"

namespace korvel::model {
namespace {

constexpr int kOk = 0;
constexpr size_t kTextureNameMax = 255;

// A table sized max(count, 1), as the format's optional sections expect.
size_t atLeastOne(long long count) { return static_cast<size_t>(std::max(count, 1LL)); }

class Pt3Reader {
public:
    Pt3Reader(LineReader& lines, uint64_t fileSize, std::string_view modelPath, int normalmode, double scale,
              TextureLoader& textures, Obj3dModel& model)
        : lines_(lines),
          fileSize_(fileSize),
          modelPath_(modelPath),
          normalmode_(normalmode),
          scale_(static_cast<float>(scale)),
          textures_(textures),
          model_(model) {}

    int run();

private:
    Obj3dHeader& h() { return *model_.head(); }
    bool countsSafe();
    void readCounts();
    int readVertices();
    int readFaces();
    int readMaterials();
    int readJoints();
    int readMotions();
    int readShapekeys();
    int readHair();
    // The releases of a finished load; which ones the format's early ends
    // make depends on how far the reader got.
    int finish(bool releaseSkin, bool releaseMotion, bool releaseShapekeys);

    LineReader& lines_;
    uint64_t fileSize_;
    std::string_view modelPath_;
    int normalmode_;
    float scale_;
    TextureLoader& textures_;
    Obj3dModel& model_;
    bool normalColumns_ = false;
    bool skinColumns_ = false;
};

void Pt3Reader::readCounts() {
    lines_.next();
    Obj3dHeader& c = h();
    CScan(lines_.line())
        .literal("NumVertex;")
        .intField(c.NumVertex)
        .literal("NumFace;")
        .intField(c.NumFace)
        .literal("NumMaterial;")
        .intField(c.NumMaterial)
        .literal("NumPart;")
        .intField(c.NumPart)
        .literal("NumJoint;")
        .intField(c.NumJoint)
        .literal("NumMotion;")
        .intField(c.NumMotion)
        .literal("NumTotalFrame;")
        .intField(c.NumTotalFrame)
        .literal("NumShapekey;")
        .intField(c.NumShapekey)
        .literal("NumShapekeyVertex;")
        .intField(c.NumShapekeyVertex)
        .literal("NumShapekeydata;")
        .intField(c.NumShapekeydata)
        .literal("NumParticlehairFace;")
        .intField(c.NumParticlehairFace);
    c.skinmode = c.NumJoint == 0 ? 0 : (c.NumMotion > 0 ? 2 : 1);
}

// The counts must describe a file no larger than this one: every declared
// line needs at least two bytes per field it is read for (a digit and its
// semicolon). So loading stays linear in the file size, tables are at most a
// few times larger than the file, and no product used to size or index a
// table overflows.
bool Pt3Reader::countsSafe() {
    const Obj3dHeader& c = h();
    const int32_t counts[] = {c.NumVertex,         c.NumFace,         c.NumMaterial,        c.NumPart,
                              c.NumJoint,          c.NumMotion,       c.NumTotalFrame,      c.NumShapekey,
                              c.NumShapekeyVertex, c.NumShapekeydata, c.NumParticlehairFace};
    for (const int32_t count : counts)
        if (count < 0 || static_cast<uint64_t>(count) > fileSize_) return false;
    const uint64_t keys = static_cast<uint64_t>(keyRecordCount(c));
    if (keys > fileSize_ || keys > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return false;
    const uint64_t ranges = uint64_t{static_cast<uint32_t>(c.NumMaterial)} * static_cast<uint32_t>(c.NumPart);
    if (ranges > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return false;

    const auto n = [](int32_t count) { return static_cast<uint64_t>(count); };
    uint64_t bytes = 2 * (9 * n(c.NumVertex) + 6 * n(c.NumFace) + 12 * n(c.NumMaterial));
    if (c.NumJoint > 0 || c.NumMotion > 0 || c.NumShapekey > 0 || c.NumParticlehairFace > 0)
        bytes += 2 * (n(c.NumPart) + 5 * n(c.NumJoint));
    if (c.NumMotion > 0) bytes += 2 * (2 * n(c.NumMotion) + 13 * keys);
    if (c.NumShapekey > 0) bytes += 2 * (3 * n(c.NumShapekey) + n(c.NumShapekeyVertex) + 6 * n(c.NumShapekeydata));
    bytes += 2 * 12 * n(c.NumParticlehairFace);
    return bytes <= fileSize_;
}

int Pt3Reader::readVertices() {
    const int32_t numVertex = h().NumVertex;
    const size_t n = static_cast<size_t>(numVertex);
    if (!model_.vertex.allocate(n)) return -6;
    if (!model_.normal.allocate(n)) return -8;
    if (!model_.weight.allocate(n)) return -11;
    const bool checkJoints = skinColumns_ && h().NumJoint > 0;
    for (size_t i = 0; i < n; ++i) {
        lines_.next();
        Obj3dVertex& v = model_.vertex[i];
        int32_t vertexno = 0;
        CScan scan(lines_.line());
        scan.intField(vertexno).intField(v.originalvertexno).intField(v.partno).intField(v.matno);
        scan.realField(v.posx).realField(v.posy).realField(v.posz).realField(v.texu).realField(v.texv);
        const int converted = scan.converted();
        if (converted >= 5) v.posx *= scale_;
        if (converted >= 6) v.posy *= scale_;
        if (converted >= 7) v.posz *= scale_;
        if (normalColumns_) {
            Obj3dNormal& normal = model_.normal[i];
            scan.realField(normal.normx).realField(normal.normy).realField(normal.normz);
        }
        if (skinColumns_) {
            Obj3dWeight& w = model_.weight[i];
            scan.intField(w.jointno0).realField(w.weight0).intField(w.jointno1).realField(w.weight1);
            if (checkJoints && (w.jointno0 >= h().NumJoint || w.jointno1 >= h().NumJoint)) return kPt3Unsafe;
        }
        // matno -1 marks a vertex that no face uses.
        if (v.partno < 0 || v.partno >= h().NumPart || v.matno < -1 || v.matno >= h().NumMaterial ||
            v.originalvertexno < -1 || v.originalvertexno >= numVertex)
            return kPt3Unsafe;
    }
    return kOk;
}

int Pt3Reader::readFaces() {
    lines_.next();
    const size_t n = static_cast<size_t>(h().NumFace);
    if (!model_.face.allocate(n)) return -7;
    // The builders give each (part, material) pair one draw range, from its
    // first face over as many faces as it has, so a pair whose faces are not
    // on consecutive lines would draw other pairs' faces.
    std::unordered_set<int64_t> finishedRuns;
    int64_t run = -1;
    for (size_t i = 0; i < n; ++i) {
        lines_.next();
        Obj3dFace& f = model_.face[i];
        int32_t faceno = 0;
        CScan(lines_.line())
            .intField(faceno)
            .intField(f.partno)
            .intField(f.matno)
            .intField(f.vertexno[0])
            .intField(f.vertexno[1])
            .intField(f.vertexno[2]);
        if (f.partno < 0 || f.partno >= h().NumPart || f.matno < 0 || f.matno >= h().NumMaterial) return kPt3Unsafe;
        for (const int32_t corner : f.vertexno)
            if (corner < 0 || corner >= h().NumVertex) return kPt3Unsafe;
        const int64_t pair = int64_t{f.matno} * h().NumPart + f.partno;
        if (pair != run) {
            if (run >= 0) finishedRuns.insert(run);
            if (finishedRuns.contains(pair)) return kPt3Unsafe;
            run = pair;
        }
    }
    return kOk;
}

// The thirteenth field of a material line: after the twelfth semicolon, up to
// the next semicolon or the line end.
std::string_view textureField(const char* line) {
    const char* p = line;
    for (int i = 0; i < 12; ++i) {
        p = std::strchr(p, ';');
        if (p == nullptr) return {};
        ++p;
    }
    const size_t length = std::strcspn(p, ";\r\n");
    return {p, std::min(length, kTextureNameMax)};
}

int Pt3Reader::readMaterials() {
    lines_.next();
    const size_t n = static_cast<size_t>(h().NumMaterial);
    if (!model_.material.allocate(n)) return -8;
    for (size_t i = 0; i < n; ++i) {
        lines_.next();
        Obj3dMaterial& m = model_.material[i];
        int32_t matno = 0;
        int32_t diffuse[3] = {}, specular[3] = {}, emissive[3] = {};
        CScan scan(lines_.line());
        scan.intField(matno).intField(diffuse[0]).intField(diffuse[1]).intField(diffuse[2]);
        scan.realField(m.alpha).realField(m.power);
        scan.intField(specular[0]).intField(specular[1]).intField(specular[2]);
        scan.intField(emissive[0]).intField(emissive[1]).intField(emissive[2]);
        const int converted = scan.converted();
        float* const colours[] = {&m.faceColorR,     &m.faceColorG,     &m.faceColorB,     nullptr,
                                  nullptr,           &m.specularColorR, &m.specularColorG, &m.specularColorB,
                                  &m.emissiveColorR, &m.emissiveColorG, &m.emissiveColorB};
        const int32_t values[] = {diffuse[0],  diffuse[1],  diffuse[2],  0,           0,          specular[0],
                                  specular[1], specular[2], emissive[0], emissive[1], emissive[2]};
        for (int k = 0; k < 11; ++k)
            if (colours[k] != nullptr && converted >= k + 2) *colours[k] = static_cast<float>(values[k] / 255.0);
        m.blendmode = 3;
        const std::string_view texture = textureField(lines_.line());
        m.texsrvno = texture.starts_with("None") ? -1 : loadModelTexture(textures_, texture, modelPath_);
    }
    return kOk;
}

int Pt3Reader::readJoints() {
    if (!model_.joint.allocate(atLeastOne(h().NumJoint))) return -12;
    if (h().NumJoint == 0) return kOk;
    lines_.next();
    for (size_t i = 0; i < static_cast<size_t>(h().NumJoint); ++i) {
        lines_.next();
        Obj3dJoint& j = model_.joint[i];
        int32_t jointno = 0;
        CScan scan(lines_.line());
        scan.intField(jointno)
            .intField(j.parentjointno)
            .realField(j.parentposx)
            .realField(j.parentposy)
            .realField(j.parentposz);
        if (scan.converted() >= 3) j.parentposx *= scale_;
        if (scan.converted() >= 4) j.parentposy *= scale_;
        if (scan.converted() >= 5) j.parentposz *= scale_;
        if (j.parentjointno < -1 || j.parentjointno >= h().NumJoint) return kPt3Unsafe;
    }
    return kOk;
}

int Pt3Reader::readMotions() {
    const Obj3dHeader& c = h();
    const auto numKeys = static_cast<size_t>(keyRecordCount(c));
    if (!model_.keyframe.allocate(atLeastOne(static_cast<long long>(numKeys))) ||
        !model_.motion.allocate(atLeastOne(c.NumMotion)) || !model_.frameno.allocate(atLeastOne(c.NumTotalFrame)))
        return kPt3Unsafe;
    if (c.NumMotion == 0) return kOk;
    lines_.next();
    int64_t frames = 0;
    for (size_t i = 0; i < static_cast<size_t>(c.NumMotion); ++i) {
        lines_.next();
        Obj3dMotion& motion = model_.motion[i];
        int32_t motionno = 0;
        CScan(lines_.line()).intField(motionno).intField(motion.numframe);
        if (i > 0) {
            const Obj3dMotion& previous = model_.motion[i - 1];
            motion.firstframe = previous.firstframe + previous.numframe;
            motion.firstkey = previous.firstkey + c.NumJoint * previous.numframe;
        }
        frames += motion.numframe;
        if (motion.numframe <= 0 || frames > c.NumTotalFrame) return kPt3Unsafe;
    }
    lines_.next();
    size_t framenos = 0;
    for (size_t k = 0; k < numKeys; ++k) {
        lines_.next();
        Obj3dKeyframe& key = model_.keyframe[k];
        int32_t motionno = 0, jointno = -1, frameno = 0;
        CScan scan(lines_.line());
        scan.intField(motionno).intField(jointno).intField(frameno);
        scan.realField(key.scalex).realField(key.scaley).realField(key.scalez);
        scan.realField(key.rot4w).realField(key.rot4x).realField(key.rot4y).realField(key.rot4z);
        scan.realField(key.transx).realField(key.transy).realField(key.transz);
        if (scan.converted() >= 11) key.transx *= scale_;
        if (scan.converted() >= 12) key.transy *= scale_;
        if (scan.converted() >= 13) key.transz *= scale_;
        if (jointno == 0 && framenos < static_cast<size_t>(c.NumTotalFrame)) model_.frameno[framenos++] = frameno;
    }
    return kOk;
}

int Pt3Reader::readShapekeys() {
    const Obj3dHeader& c = h();
    if (!model_.shapekeyinfo.allocate(atLeastOne(c.NumShapekey)) ||
        !model_.shapekeyvertex.allocate(atLeastOne(c.NumShapekeyVertex)) ||
        !model_.shapekeytrans.allocate(atLeastOne(c.NumShapekeydata)))
        return kPt3Unsafe;
    if (c.NumShapekey == 0) return kOk;
    lines_.next();
    int64_t records = 0;
    for (size_t k = 0; k < static_cast<size_t>(c.NumShapekey); ++k) {
        lines_.next();
        Shapekeyinfo& info = model_.shapekeyinfo[k];
        int32_t kindno = 0;
        CScan(lines_.line()).intField(kindno).intField(info.numvertex).intField(info.numframe);
        if (info.numvertex < 0 || info.numframe <= 0) return kPt3Unsafe;
        info.firstdata = static_cast<int32_t>(records);
        records += int64_t{info.numvertex} * info.numframe;
        if (records > c.NumShapekeydata) return kPt3Unsafe;
    }
    lines_.next();
    lines_.next();
    std::unordered_map<int32_t, int32_t> firstPosition;
    const char* p = lines_.line();
    for (size_t i = 0; i < static_cast<size_t>(c.NumShapekeyVertex); ++i) {
        int32_t vertex = 0;
        CScan(p).integer(vertex);
        model_.shapekeyvertex[i] = vertex;
        firstPosition.try_emplace(vertex, static_cast<int32_t>(i));
        const char* semicolon = std::strchr(p, ';');
        p = semicolon != nullptr ? semicolon + 1 : p + std::strlen(p);
    }
    lines_.next();
    for (size_t i = 0; i < static_cast<size_t>(c.NumShapekeydata); ++i) {
        lines_.next();
        Shapekeytrans& t = model_.shapekeytrans[i];
        int32_t recordno = 0, vertex = 0;
        CScan scan(lines_.line());
        scan.intField(recordno).intField(vertex).intField(t.frameno).realField(t.dx).realField(t.dy).realField(t.dz);
        if (scan.converted() >= 2) {
            const auto found = firstPosition.find(vertex);
            t.skvertexindex = found != firstPosition.end() ? found->second : 0;
        }
        if (scan.converted() >= 4) t.dx *= scale_;
        if (scan.converted() >= 5) t.dy *= scale_;
        if (scan.converted() >= 6) t.dz *= scale_;
    }
    return kOk;
}

int Pt3Reader::readHair() {
    const size_t n = static_cast<size_t>(h().NumParticlehairFace);
    if (n == 0) return kOk;
    if (!model_.particlehairface.allocate(n)) return kPt3Unsafe;
    lines_.next();
    for (size_t i = 0; i < n; ++i) {
        lines_.next();
        ParticlehairFace& hair = model_.particlehairface[i];
        int32_t recordno = 0;
        int32_t colour[3] = {};
        CScan scan(lines_.line());
        scan.intField(recordno).intField(hair.faceno).intField(hair.hairparam0).realField(hair.hairlength);
        scan.intField(hair.hairparam1).intField(hair.hairparam2);
        scan.realField(hair.hairvec[0]).realField(hair.hairvec[1]).realField(hair.hairvec[2]);
        scan.intField(colour[0]).intField(colour[1]).intField(colour[2]);
        if (scan.converted() >= 4) hair.hairlength *= scale_;
        for (int k = 0; k < 3; ++k)
            if (scan.converted() >= 10 + k) hair.haircolor[k] = static_cast<float>(colour[k] / 255.0);
        if (hair.faceno < 0 || hair.faceno >= h().NumFace) return kPt3Unsafe;
    }
    return kOk;
}

int Pt3Reader::finish(bool releaseSkin, bool releaseMotion, bool releaseShapekeys) {
    if (normalmode_ == 0) model_.normal.release();
    if (releaseSkin) {
        model_.joint.release();
        model_.weight.release();
    }
    if (releaseMotion) {
        model_.keyframe.release();
        model_.motion.release();
        model_.frameno.release();
    }
    if (releaseShapekeys) {
        model_.shapekeyinfo.release();
        model_.shapekeyvertex.release();
        model_.shapekeytrans.release();
    }
    model_.complete = true;
    return kOk;
}

int Pt3Reader::run() {
    if (!model_.header.allocate(1)) return -4;
    h().normalmode = normalmode_;
    readCounts();
    if (!countsSafe()) return kPt3Unsafe;

    lines_.next();
    int32_t flags[16] = {};
    static const char* const kFlagKeys[16] = {"vertexno;", "originalvertexno;",
                                              "partno;",   "matno;",
                                              "posx;",     "posy;",
                                              "posz;",     "texu;",
                                              "texv;",     "normx;",
                                              "normy;",    "normz;",
                                              "jointno0;", "weight0;",
                                              "jointno1;", "weight1;"};
    CScan flagScan(lines_.line());
    for (int i = 0; i < 16; ++i) flagScan.literal(kFlagKeys[i]).intField(flags[i]);
    normalColumns_ = flags[9] != 0;
    skinColumns_ = flags[12] != 0;
    if ((!normalColumns_ && normalmode_ == 1) || (!skinColumns_ && h().skinmode > 0)) return -5;

    for (auto section : {&Pt3Reader::readVertices, &Pt3Reader::readFaces, &Pt3Reader::readMaterials})
        if (const int code = (this->*section)(); code != kOk) return code;

    const Obj3dHeader& c = h();
    if (c.NumJoint == 0 && c.NumMotion == 0 && c.NumShapekey == 0 && c.NumParticlehairFace == 0)
        return finish(true, false, false);
    lines_.next();
    lines_.skip(c.NumPart);
    if (const int code = readJoints(); code != kOk) return code;
    if (c.NumMotion == 0 && c.NumShapekey == 0 && c.NumParticlehairFace == 0) return finish(false, false, false);
    if (const int code = readMotions(); code != kOk) return code;
    if (c.NumShapekey == 0 && c.NumParticlehairFace == 0) return finish(false, false, false);
    if (const int code = readShapekeys(); code != kOk) return code;
    if (const int code = readHair(); code != kOk) return code;
    return finish(c.NumJoint == 0, c.NumMotion == 0, c.NumShapekey == 0);
}

// A file's bytes as the line reader's text.
class FileSource final : public TextSource {
public:
    explicit FileSource(platform::InputFile& file) : file_(file) {}
    size_t read(char* out, size_t capacity) override { return file_.read(out, capacity); }

private:
    platform::InputFile& file_;
};

int readPt3Lines(LineReader& lines, uint64_t size, std::string_view modelPath, int normalmode, double scale,
                 TextureLoader& textures) {
    const int slot = firstFreeModelSlot();
    if (slot < 0) return -1;
    const int code = Pt3Reader(lines, size, modelPath, normalmode, scale, textures, *modelSlot(slot)).run();
    return code == kOk ? slot : code;
}

}  // namespace

int readPt3Bytes(std::string_view bytes, std::string_view modelPath, int normalmode, double scale,
                 TextureLoader& textures) {
    LineReader lines(bytes);
    return readPt3Lines(lines, bytes.size(), modelPath, normalmode, scale, textures);
}

// The file is read through a small window rather than into one buffer of its
// size: a large file's buffer is fresh memory on every load, and faulting in
// and filling those pages cost more than parsing them, so large files read at
// a third of the rate of small ones.
int readPt3File(const std::string& utf8Path, int normalmode, double scale, TextureLoader& textures) {
    const int slot = firstFreeModelSlot();
    if (slot < 0) return -1;
    if (utf8Path.size() > 511 || utf8Path.find('\0') != std::string::npos) return -2;
    platform::InputFile file;
    switch (file.open(utf8Path, kMaxPt3FileBytes)) {
        case platform::FileRead::ok:
            break;
        case platform::FileRead::tooLarge:
            return kPt3Unsafe;
        default:
            return -3;
    }
    FileSource source(file);
    LineReader lines(source);
    const int code = readPt3Lines(lines, file.size(), utf8Path, normalmode, scale, textures);
    if (!file.failed()) return code;
    // The file could not be read to its end: no model, as when reading fails
    // before parsing.
    clearModel(slot, 0, textures);
    return -3;
}

}  // namespace korvel::model
