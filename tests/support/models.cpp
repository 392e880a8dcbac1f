#include "support/models.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>

#include "model/pt3.h"

namespace korvel::testing {

using namespace model;

namespace {

template <class T>
void fill(Table<T>& table, const std::vector<T>& records) {
    if (!table.allocate(records.size())) std::abort();
    for (size_t i = 0; i < records.size(); ++i) table[i] = records[i];
}

template <class T>
bool sameTable(const Table<T>& a, const Table<T>& b, const char* name, std::string& difference) {
    const char* differs = a.present() != b.present() || a.size() != b.size() ? "presence or size"
                          : a.size() != 0 && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) != 0 ? "records"
                                                                                                        : nullptr;
    if (differs) difference = std::string(name) + ": " + differs + " differ";
    return differs == nullptr;
}

}  // namespace

int installModel(const ModelBlueprint& blueprint) {
    const int slot = firstFreeModelSlot();
    Obj3dModel& m = *modelSlot(slot);
    m.header.allocate(1);
    Obj3dHeader& h = *m.head();
    h.NumPart = blueprint.numpart;
    h.NumVertex = static_cast<int32_t>(blueprint.vertices.size());
    h.NumFace = static_cast<int32_t>(blueprint.faces.size());
    h.NumMaterial = blueprint.nummaterial;
    h.skinmode = blueprint.joints.empty() ? 0 : (blueprint.motions.empty() ? 1 : 2);
    h.NumJoint = static_cast<int32_t>(blueprint.joints.size());
    h.NumMotion = static_cast<int32_t>(blueprint.motions.size());
    h.NumTotalFrame = static_cast<int32_t>(blueprint.frameno.size());
    h.NumShapekey = static_cast<int32_t>(blueprint.shapekeyinfo.size());
    h.NumShapekeyVertex = static_cast<int32_t>(blueprint.shapekeyvertex.size());
    h.NumShapekeydata = static_cast<int32_t>(blueprint.shapekeytrans.size());
    h.NumParticlehairFace = blueprint.numhairface;
    fill(m.vertex, blueprint.vertices);
    fill(m.face, blueprint.faces);
    m.material.allocate(static_cast<size_t>(blueprint.nummaterial));
    if (!blueprint.weights.empty()) fill(m.weight, blueprint.weights);
    if (!blueprint.joints.empty()) fill(m.joint, blueprint.joints);
    if (!blueprint.motions.empty()) {
        fill(m.motion, blueprint.motions);
        fill(m.frameno, blueprint.frameno);
        fill(m.keyframe, blueprint.keyframes);
    }
    if (!blueprint.shapekeyinfo.empty()) {
        fill(m.shapekeyinfo, blueprint.shapekeyinfo);
        fill(m.shapekeyvertex, blueprint.shapekeyvertex);
        fill(m.shapekeytrans, blueprint.shapekeytrans);
    }
    if (blueprint.numhairface > 0) m.particlehairface.allocate(static_cast<size_t>(blueprint.numhairface));
    m.complete = true;
    return slot;
}

ModelBlueprint skinnedModel(const SkinnedOptions& o) {
    std::mt19937 rng(o.seed);
    auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    ModelBlueprint blueprint;
    blueprint.numpart = o.parts;
    for (int j = 0; j < o.joints; ++j) {
        const int parent = j == 0 ? -1 : pick(j > 3 ? j - 3 : 0, j - 1);
        blueprint.joints.push_back({parent, uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)});
    }
    const int numframe = static_cast<int>(o.keyFrames.size());
    for (int i = 0; i < o.motions; ++i) {
        blueprint.motions.push_back({numframe, i * numframe, i * numframe * o.joints});
        blueprint.frameno.insert(blueprint.frameno.end(), o.keyFrames.begin(), o.keyFrames.end());
    }
    const size_t totalFrames = blueprint.frameno.size();
    blueprint.keyframes.resize(std::max<size_t>(totalFrames * o.motions * o.joints, 1));
    size_t key = 0;
    for (int i = 0; i < o.motions; ++i)
        for (int j = 0; j < o.joints; ++j)
            for (int f = 0; f < numframe; ++f, ++key) {
                float q[4] = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
                const float len = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]) + 1e-3f;
                // The first key is q normalised; each later one stays close in
                // rotation to the key before but has the opposite sign.
                const Obj3dKeyframe& prev = blueprint.keyframes[f > 0 ? key - 1 : key];
                const float near[4] = {prev.rot4x, prev.rot4y, prev.rot4z, prev.rot4w};
                for (int c = 0; c < 4; ++c) q[c] = f > 0 ? -(near[c] + 0.4f * q[c] / len) : q[c] / len;
                const float n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
                const Obj3dJoint& joint = blueprint.joints[j];
                blueprint.keyframes[key] = {q[0] / n,
                                            q[1] / n,
                                            q[2] / n,
                                            q[3] / n,
                                            uniform(0.9f, 1.1f),
                                            uniform(0.9f, 1.1f),
                                            uniform(0.9f, 1.1f),
                                            joint.parentposx + uniform(-0.2f, 0.2f),
                                            joint.parentposy + uniform(-0.2f, 0.2f),
                                            joint.parentposz + uniform(-0.2f, 0.2f)};
            }
    for (int v = 0; v < o.vertices; ++v) {
        const int part = static_cast<int>(static_cast<long long>(v) * o.parts / o.vertices);
        const bool copy = o.copyEvery > 0 && v % o.copyEvery == o.copyEvery - 1 &&
                          static_cast<int>(static_cast<long long>(v - 1) * o.parts / o.vertices) == part;
        if (copy) {
            Obj3dVertex source = blueprint.vertices[v - 1];
            source.originalvertexno = v - 1;
            blueprint.vertices.push_back(source);
            blueprint.weights.push_back(blueprint.weights[v - 1]);
            continue;
        }
        blueprint.vertices.push_back(vertexAt(part, uniform(-2, 2), uniform(-2, 2), uniform(-2, 2)));
        const float w0 = uniform(0.3f, 1.0f);
        const bool two = pick(0, 2) != 0;
        blueprint.weights.push_back(
            {pick(0, o.joints - 1), two ? pick(0, o.joints - 1) : -1, w0, two ? 1.0f - w0 : 0.0f});
    }
    for (int v = 0; v + 2 < o.vertices; v += 3) {
        const int part = blueprint.vertices[v].partno;
        if (blueprint.vertices[v + 2].partno == part) blueprint.faces.push_back(faceOf(part, v, v + 1, v + 2));
    }
    return blueprint;
}

int FakeTextures::load(const std::string& utf8Path) {
    loads.push_back(utf8Path);
    return std::find(existing.begin(), existing.end(), utf8Path) == existing.end() ? -1 : nextSlot++;
}

int StoreTest::load(const std::string& text, int normalmode, double scale, const std::string& modelPath) {
    return readPt3Bytes(text, modelPath, normalmode, scale, textures);
}

std::string samplePt3(const Sample& s) {
    const int joints = s.skin ? 2 : 0;
    const int motions = s.motions ? 2 : 0;
    const int frames = s.motions ? 5 : 0;
    std::ostringstream o;
    o << "NumVertex;4;NumFace;2;NumMaterial;2;NumPart;2;NumJoint;" << joints << ";NumMotion;" << motions
      << ";NumTotalFrame;" << frames << ";NumShapekey;" << (s.shapekeys ? 2 : 0) << ";NumShapekeyVertex;"
      << (s.shapekeys ? 2 : 0) << ";NumShapekeydata;" << (s.shapekeys ? 7 : 0) << ";NumParticlehairFace;"
      << (s.hair ? 2 : 0) << ";\n";
    o << "vertexno;1;originalvertexno;1;partno;1;matno;1;posx;1;posy;1;posz;1;texu;1;texv;1;"
      << (s.normals ? "normx;1;normy;1;normz;1;" : "normx;0;normy;0;normz;0;")
      << (s.skin ? "jointno0;1;weight0;1;jointno1;1;weight1;1;\n" : "jointno0;0;weight0;0;jointno1;0;weight1;0;\n");
    const char* base[4] = {"0;-1;0;0;1.500000;-2.250000;3.000000;0.250000;0.750000;",
                           "1;-1;0;0;0.500000;1.000000;-1.000000;1.000000;0.000000;",
                           "2;0;0;1;1.500000;-2.250000;3.000000;0.500000;0.500000;",
                           "3;-1;1;1;-4.000000;0.125000;8.000000;0.000000;1.000000;"};
    const char* normal[4] = {"0.000000;1.000000;0.000000;", "1.000000;0.000000;0.000000;",
                             "0.000000;1.000000;0.000000;", "0.000000;0.000000;-1.000000;"};
    const char* skin[4] = {"0;0.750000;1;0.250000;", "1;0.750000;0;0.250000;", "0;1.000000;-1;0.000000;",
                           "1;0.500000;0;0.500000;"};
    for (int i = 0; i < 4; ++i) {
        o << base[i];
        if (s.normals) o << normal[i];
        if (s.skin) o << skin[i];
        o << "\n";
    }
    o << "faceno;1;partno;1;matno;1;vertexno[0];1;vertexno[1];1;vertexno[2];1;\n";
    o << "0;0;0;0;1;2;\n1;1;1;3;2;1;\n";
    o << "matno;1;faceColorR;1;faceColorG;1;faceColorB;1;alpha;1;power;1;specularColorR;1;specularColorG;1;"
         "specularColorB;1;emissiveColorR;1;emissiveColorG;1;emissiveColorB;1;texfilenameornot;1;matname;1;\n";
    o << "0;255;128;0;1.000000;5.500000;10;20;30;0;0;255;tex0.png;matname0;\n";
    o << "1;51;102;153;0.500000;0.000000;0;0;0;1;2;3;None;matname1;\n";
    o << "partno;1;partname;1;\n0;body;\n1;head;\n";
    if (s.skin) {
        o << "jointno;1;parentjointno;1;parentposx;1;parentposy;1;parentposz;1;ownposx;0;ownposy;0;ownposz;0;"
             "jointname;1;\n";
        o << "0;-1;1.000000;2.000000;3.000000;root;\n1;0;0.500000;-0.500000;0.250000;arm;\n";
    }
    if (s.motions) {
        o << "motionno;1;numframe;1;frameno;1;motionname;1;\n";
        o << "0;2;0;10;motion0;\n1;3;0;5;10;motion1;\n";
        o << "motionno;1;jointno;1;frameno;1;scalex;1;scaley;1;scalez;1;rot4w;1;rot4x;1;rot4y;1;rot4z;1;"
             "transx;1;transy;1;transz;1;\n";
        // Motion 0: keys 0..3 (joint 0 frames 0, 10; joint 1 the same);
        // motion 1: keys 4..9 (frames 0, 5, 10 per joint); 10 filler keys.
        const int frameOf[20] = {0, 10, 0, 10, 0, 5, 10, 0, 5, 10};
        const int jointOf[20] = {0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5};
        for (int k = 0; k < 20; ++k)
            o << (k < 4 ? 0 : 1) << ";" << jointOf[k] << ";" << frameOf[k] << ";" << k + 1.5 << ";1;1;1;0." << k % 10
              << ";0;0;" << k << ";" << -k << ";0.25;\n";
    }
    if (s.shapekeys) {
        o << "shapekeyno;1;numvertex;1;numframe;1;\n0;2;2;\n1;1;3;\n";
        o << "shapekeyvertex;1;\n0;3;\n";
        o << "shapekeydatano;1;vertexno;1;frameno;1;dx;1;dy;1;dz;1;\n";
        const int vertexOf[7] = {0, 0, 3, 3, 0, 0, 0};
        const int frameOf[7] = {0, 20, 0, 20, 0, 10, 30};
        for (int i = 0; i < 7; ++i)
            o << i << ";" << vertexOf[i] << ";" << frameOf[i] << ";" << i << ".500000;-" << i << ".000000;0.250000;\n";
    }
    if (s.hair) {
        o << "hairno;1;faceno;1;\n";
        o << "0;1;7;2.500000;3;4;0.000000;1.000000;0.000000;255;128;0;\n";
        o << "1;0;8;1.250000;5;6;1.000000;0.000000;0.000000;-1;0;51;\n";
    }
    return o.str();
}

std::string tempPath(const std::string& name) {
    // Made on first use, removed with everything in it when the process ends.
    struct Folder {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("korvel-test-" + std::to_string(getpid()));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    // Names and paths are UTF-8 on every system (on Windows a plain string
    // would be read in the ANSI code page).
    const std::u8string path = (folder.path / std::u8string(name.begin(), name.end())).u8string();
    return std::string(path.begin(), path.end());
}

bool sameModel(const Obj3dModel& a, const Obj3dModel& b, std::string& d) {
#define KORVEL_SAME(table) sameTable(a.table, b.table, #table, d)
    return KORVEL_SAME(header) && KORVEL_SAME(vertex) && KORVEL_SAME(normal) && KORVEL_SAME(weight) &&
           KORVEL_SAME(face) && KORVEL_SAME(material) && KORVEL_SAME(drawrange) && KORVEL_SAME(joint) &&
           KORVEL_SAME(motion) && KORVEL_SAME(frameno) && KORVEL_SAME(keyframe) && KORVEL_SAME(shapekeyinfo) &&
           KORVEL_SAME(shapekeyvertex) && KORVEL_SAME(shapekeytrans) && KORVEL_SAME(particlehairface);
#undef KORVEL_SAME
}

}  // namespace korvel::testing
