#include "model_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/pt3_reader.h"

namespace korvel::model::testing {

int FakeTextures::load(const std::string& utf8Path) {
    loads.push_back(utf8Path);
    if (std::find(existing.begin(), existing.end(), utf8Path) == existing.end()) return -1;
    return nextSlot++;
}

int ModelStoreTest::load(const std::string& text, int normalmode, double scale, const std::string& modelPath) {
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

std::string tempDir() {
    // Made on first use, removed with everything in it when the process ends.
    struct Folder {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("korvel-model-" + std::to_string(getpid()));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path.string() + "/";
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

namespace {

template <class T>
bool sameTable(const Table<T>& a, const Table<T>& b, const char* name, std::string& difference) {
    if (a.present() != b.present() || a.size() != b.size()) {
        difference = std::string(name) + ": presence or size differs";
        return false;
    }
    if (a.size() != 0 && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) != 0) {
        difference = std::string(name) + ": records differ";
        return false;
    }
    return true;
}

}  // namespace

bool sameModel(const Obj3dModel& a, const Obj3dModel& b, std::string& d) {
#define KORVEL_SAME(table) sameTable(a.table, b.table, #table, d)
    return KORVEL_SAME(header) && KORVEL_SAME(vertex) && KORVEL_SAME(normal) && KORVEL_SAME(weight) &&
           KORVEL_SAME(face) && KORVEL_SAME(material) && KORVEL_SAME(drawrange) && KORVEL_SAME(joint) &&
           KORVEL_SAME(motion) && KORVEL_SAME(frameno) && KORVEL_SAME(keyframe) && KORVEL_SAME(shapekeyinfo) &&
           KORVEL_SAME(shapekeyvertex) && KORVEL_SAME(shapekeytrans) && KORVEL_SAME(particlehairface);
#undef KORVEL_SAME
}

}  // namespace korvel::model::testing
