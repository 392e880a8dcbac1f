// The linear clean-up, normals and face order against the pairwise loops
// that define them (reference_cleanup.cpp), on random meshes with several parts, repeated
// positions, +0/-0 and NaN coordinates, degenerate faces and identical
// materials across parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "model/xfile/cleanup.h"
#include "reference_cleanup.h"
#include "xfile_test.h"

namespace korvel::model::xfile {
namespace {

using testing::referenceCleanUp;
using testing::referenceFaceOrder;
using testing::referenceNormals;

// A raw model with the vertex and face storage its spans use.
struct RandomModel {
    std::vector<Obj3dVertex> vertices;
    std::vector<Obj3dFace> faces;
    RawModel raw;
};

// Several parts with repeated positions (+0, -0 and NaN among them),
// repeated texture coordinates, materials repeated across parts and skin
// entries; corners and materials stay within their part.
void fillRandomModel(std::mt19937& rng, RandomModel& model) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Besides small values: one whose squares overflow and one whose squares vanish.
    const float coords[] = {0.0f, -0.0f, 1.0f, 2.5f, -1.0f, nan, 3e19f, 1e-23f};
    const float texs[] = {0.0f, 0.5f, 1.0f, -0.0f};
    auto below = [&](int n) { return static_cast<int32_t>(rng() % static_cast<unsigned>(n)); };
    const int parts = 1 + below(4), verticesPerPart = 1 + below(40), facesPerPart = below(200);
    const int materialsPerPart = 1 + below(12);
    RawModel& raw = model.raw;
    for (int p = 0; p < parts; ++p) {
        raw.partNames.push_back("part" + std::to_string(p));
        const auto vertexBase = static_cast<int32_t>(model.vertices.size());
        const auto materialBase = static_cast<int32_t>(raw.materials.size());
        for (int i = 0; i < verticesPerPart; ++i) {
            Obj3dVertex v{p, -1, -1, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
            for (float* c : {&v.posx, &v.posy, &v.posz}) *c = rng() % 16 == 0 ? nan : coords[below(8)];
            if (rng() % 8 == 0) v.posx = v.posy = v.posz = nan;
            if (rng() % 4 != 0) v.posx = v.posy = v.posz = static_cast<float>(below(3));
            for (float* t : {&v.texu, &v.texv}) *t = texs[below(4)];
            model.vertices.push_back(v);
        }
        for (int m = 0; m < materialsPerPart; ++m) {
            RawMaterial mat;
            const int kind = below(3);
            for (int c = 0; c < kColourValues; ++c) mat.colour[c] = kind == 2 && c == 4 ? -0.0f : 0.25f * kind;
            if (rng() % 10 == 0) mat.colour[0] = nan;
            mat.texture = rng() % 2 == 0 ? std::string() : "tex" + std::to_string(below(2)) + ".png";
            raw.materials.push_back(mat);
        }
        for (int f = 0; f < facesPerPart; ++f) {
            Obj3dFace face{p, {}, materialBase + below(materialsPerPart)};
            for (int32_t& c : face.vertexno) c = vertexBase + below(verticesPerPart);
            model.faces.push_back(face);
        }
    }
    raw.boneNames = {"B0_Joint", "B1_Joint", "B2_Joint"};
    for (size_t i = 0; i < model.vertices.size(); ++i)
        for (int k = below(4); k > 0; --k)
            raw.skin.push_back(SkinEntry{below(3), static_cast<int32_t>(i), static_cast<float>(below(5)) * 0.25f});
    raw.vertices = model.vertices;
    raw.faces = model.faces;
}

TEST(XfileEquivalence, CleanUpNormalsAndFaceOrderMatchThePairwiseLoops) {
    std::mt19937 rng(20261206);
    int merges = 0, shared = 0, materialMerges = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        RandomModel model;
        fillRandomModel(rng, model);
        const size_t rawVertices = model.vertices.size(), rawMaterials = model.raw.materials.size();
        const float scale = round % 3 == 0 ? 1.0f : 0.5f;
        const testing::ReferenceModel expected = referenceCleanUp(model.raw, scale);
        CleanModel actual = cleanUp(model.raw, scale);
        ASSERT_TRUE(sameBytes(actual.vertices, expected.vertices));
        ASSERT_TRUE(sameBytes(actual.faces, expected.faces));
        ASSERT_TRUE(std::equal(actual.materials.begin(), actual.materials.end(), expected.materials.begin(),
                               expected.materials.end(), [](const RawMaterial& x, const RawMaterial& y) {
                                   return x.texture == y.texture &&
                                          std::memcmp(x.colour, y.colour, sizeof x.colour) == 0;
                               }));
        ASSERT_TRUE(sameBytes(actual.skin, expected.skin));
        std::vector<Obj3dNormal> normals(actual.vertices.size());
        vertexNormals(actual.vertices, actual.faces, normals);
        ASSERT_TRUE(sameBytes(normals, referenceNormals(expected.vertices, expected.faces)));
        std::vector<Obj3dFace> reordered = expected.faces;
        referenceFaceOrder(reordered);
        orderFacesByMaterial(actual.faces);
        ASSERT_TRUE(sameBytes(actual.faces, reordered));

        merges += static_cast<int>(rawVertices - actual.vertices.size());
        materialMerges += static_cast<int>(rawMaterials - actual.materials.size());
        for (const Obj3dVertex& v : actual.vertices) shared += v.originalvertexno >= 0;
    }
    // The random meshes exercise every merge.
    EXPECT_GT(merges, 100);
    EXPECT_GT(shared, 100);
    EXPECT_GT(materialMerges, 50);
}

}  // namespace
}  // namespace korvel::model::xfile
