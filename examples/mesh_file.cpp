#include "mesh_file.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace demo {

void Mesh::addBox(float cx, float cy, float cz, float hx, float hy, float hz, int material, int joint, float uvScale) {
    // Each side: its outward normal and the two half-size axes spanning it,
    // ordered so that the side's corners wind clockwise seen from outside
    // (the front faces of the library's left-handed axes).
    struct Side {
        float n[3], a[3], b[3];
    };
    const Side sides[6] = {
        {{1, 0, 0}, {0, 0, hz}, {0, hy, 0}}, {{-1, 0, 0}, {0, hy, 0}, {0, 0, hz}},
        {{0, 1, 0}, {hx, 0, 0}, {0, 0, hz}}, {{0, -1, 0}, {0, 0, hz}, {hx, 0, 0}},
        {{0, 0, 1}, {0, hy, 0}, {hx, 0, 0}}, {{0, 0, -1}, {hx, 0, 0}, {0, hy, 0}},
    };
    const float corner[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    for (const Side& s : sides) {
        const int first = static_cast<int>(vertices.size());
        const float ox = cx + s.n[0] * hx, oy = cy + s.n[1] * hy, oz = cz + s.n[2] * hz;
        for (const auto& c : corner) {
            MeshVertex v{ox + c[0] * s.a[0] + c[1] * s.b[0],
                         oy + c[0] * s.a[1] + c[1] * s.b[1],
                         oz + c[0] * s.a[2] + c[1] * s.b[2],
                         (c[0] + 1) * 0.5f * uvScale,
                         (c[1] + 1) * 0.5f * uvScale,
                         s.n[0],
                         s.n[1],
                         s.n[2],
                         joint};
            vertices.push_back(v);
        }
        for (int i : {0, 1, 2, 0, 2, 3}) corners.push_back(first + i);
        faceMaterial.insert(faceMaterial.end(), 2, material);
    }
}

namespace {

void writeVertices(std::FILE* f, const Mesh& mesh, bool skinned) {
    std::fprintf(f,
                 "vertexno;1;originalvertexno;1;partno;1;matno;1;posx;1;posy;1;posz;1;texu;1;texv;1;"
                 "normx;1;normy;1;normz;1;jointno0;%d;weight0;%d;jointno1;%d;weight1;%d;\n",
                 skinned, skinned, skinned, skinned);
    // A vertex takes the material of the first face that uses it.
    std::vector<int> material(mesh.vertices.size(), -1);
    for (size_t face = mesh.faceMaterial.size(); face-- > 0;)
        for (int k = 0; k < 3; ++k) material[mesh.corners[face * 3 + k]] = mesh.faceMaterial[face];
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        const MeshVertex& v = mesh.vertices[i];
        std::fprintf(f, "%zu;-1;0;%d;%f;%f;%f;%f;%f;%f;%f;%f;", i, material[i], v.x, v.y, v.z, v.u, v.v, v.nx, v.ny,
                     v.nz);
        if (skinned) std::fprintf(f, "%d;1.000000;-1;0.000000;", v.joint);
        std::fputc('\n', f);
    }
}

void writeFaces(std::FILE* f, const Mesh& mesh) {
    std::fprintf(f, "faceno;1;partno;1;matno;1;vertexno[0];1;vertexno[1];1;vertexno[2];1;\n");
    // Faces of one material on consecutive lines, in their original order.
    std::vector<size_t> order(mesh.faceMaterial.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return mesh.faceMaterial[a] < mesh.faceMaterial[b]; });
    for (size_t i = 0; i < order.size(); ++i) {
        const int* c = &mesh.corners[order[i] * 3];
        std::fprintf(f, "%zu;0;%d;%d;%d;%d;\n", i, mesh.faceMaterial[order[i]], c[0], c[1], c[2]);
    }
}

void writeMaterials(std::FILE* f, const Mesh& mesh) {
    std::fprintf(f,
                 "matno;1;faceColorR;1;faceColorG;1;faceColorB;1;alpha;1;power;1;specularColorR;1;"
                 "specularColorG;1;specularColorB;1;emissiveColorR;1;emissiveColorG;1;emissiveColorB;1;"
                 "texfilenameornot;1;matname;1;\n");
    for (size_t i = 0; i < mesh.materials.size(); ++i) {
        const MeshMaterial& m = mesh.materials[i];
        const int s = m.specular, g = m.glows ? 1 : 0;
        std::fprintf(f, "%zu;%d;%d;%d;1.000000;%f;%d;%d;%d;%d;%d;%d;%s;material%zu;\n", i, m.r, m.g, m.b, m.power, s, s,
                     s, m.r * g, m.g * g, m.b * g, m.texture.empty() ? "None" : m.texture.c_str(), i);
    }
}

// The skeleton and its motions. Key lines come motion by motion, joint by
// joint, frame by frame; the format counts (all frames) x motions x joints
// lines, so the lines past the real keys are filler with jointno NumJoint.
void writeSkeleton(std::FILE* f, const Mesh& mesh, int totalFrames) {
    const int joints = static_cast<int>(mesh.joints.size());
    std::fprintf(f, "partno;1;partname;1;\n0;body;\n");
    std::fprintf(f,
                 "jointno;1;parentjointno;1;parentposx;1;parentposy;1;parentposz;1;ownposx;0;ownposy;0;"
                 "ownposz;0;jointname;1;\n");
    for (int j = 0; j < joints; ++j) {
        const MeshJoint& joint = mesh.joints[j];
        std::fprintf(f, "%d;%d;%f;%f;%f;joint%d;\n", j, joint.parent, joint.x, joint.y, joint.z, j);
    }
    std::fprintf(f, "motionno;1;numframe;1;frameno;1;motionname;1;\n");
    for (size_t m = 0; m < mesh.motions.size(); ++m) {
        std::fprintf(f, "%zu;%zu;", m, mesh.motions[m].frames.size());
        for (int frame : mesh.motions[m].frames) std::fprintf(f, "%d;", frame);
        std::fprintf(f, "motion%zu;\n", m);
    }
    std::fprintf(f,
                 "motionno;1;jointno;1;frameno;1;scalex;1;scaley;1;scalez;1;rot4w;1;rot4x;1;rot4y;1;rot4z;1;"
                 "transx;1;transy;1;transz;1;\n");
    long written = 0;
    for (size_t m = 0; m < mesh.motions.size(); ++m) {
        const MeshMotion& motion = mesh.motions[m];
        const size_t frames = motion.frames.size();
        for (size_t k = 0; k < motion.keys.size(); ++k, ++written) {
            const MeshKey& key = motion.keys[k];
            std::fprintf(f, "%zu;%zu;%d;1.0;1.0;1.0;%f;%f;%f;%f;%f;%f;%f;\n", m, k / frames, motion.frames[k % frames],
                         key.w, key.x, key.y, key.z, key.tx, key.ty, key.tz);
        }
    }
    const long lines = static_cast<long>(totalFrames) * static_cast<long>(mesh.motions.size()) * joints;
    for (; written < lines; ++written) std::fprintf(f, "0;%d;0;0;0;0;0;0;0;0;0;0;0;\n", joints);
}

}  // namespace

bool writeMeshFile(const std::string& path, const Mesh& mesh) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    const bool skinned = !mesh.joints.empty();
    int totalFrames = 0;
    for (const MeshMotion& m : mesh.motions) totalFrames += static_cast<int>(m.frames.size());
    std::fprintf(f,
                 "NumVertex;%zu;NumFace;%zu;NumMaterial;%zu;NumPart;1;NumJoint;%zu;NumMotion;%zu;"
                 "NumTotalFrame;%d;NumShapekey;0;NumShapekeyVertex;0;NumShapekeydata;0;NumParticlehairFace;0;\n",
                 mesh.vertices.size(), mesh.faceMaterial.size(), mesh.materials.size(), mesh.joints.size(),
                 mesh.motions.size(), totalFrames);
    writeVertices(f, mesh, skinned);
    writeFaces(f, mesh);
    writeMaterials(f, mesh);
    if (skinned) writeSkeleton(f, mesh, totalFrames);
    const bool ok = !std::ferror(f);
    return std::fclose(f) == 0 && ok;
}

}  // namespace demo
