// The linear clean-up, normals and face order against the pairwise loops
// that define them (reference_cleanup.cpp), on random meshes with several
// parts, repeated positions, +0/-0 and NaN coordinates and identical
// materials across parts.
#include <gtest/gtest.h>

#include <random>

#include "model/xfile_cleanup.h"
#include "model/xfile_face_order.h"
#include "model/xfile_normals.h"
#include "reference_cleanup.h"
#include "xfile_test_support.h"

namespace korvel::model::xfile {
namespace {

using namespace testing;

bool sameSkin(const std::vector<SkinEntry>& a, const std::vector<SkinEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].bone != b[i].bone || a[i].vertex != b[i].vertex || a[i].weight != b[i].weight) return false;
    return true;
}

bool sameMaterials(const std::vector<RawMaterial>& a, const std::vector<RawMaterial>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].texture != b[i].texture || std::memcmp(a[i].colour, b[i].colour, sizeof a[i].colour) != 0) return false;
    return true;
}

TEST(XfileEquivalence, CleanUpNormalsAndFaceOrderMatchThePairwiseLoops) {
    std::mt19937 rng(20261206);
    int merges = 0, shared = 0, materialMerges = 0;
    for (int round = 0; round < 300; ++round) {
        const int parts = 1 + static_cast<int>(rng() % 4);
        const int vertices = 1 + static_cast<int>(rng() % 40);
        const int faces = static_cast<int>(rng() % 60);
        RawModel raw = randomRawModel(rng, parts, vertices, faces);
        const float scale = round % 3 == 0 ? 1.0f : 0.5f;
        const size_t rawVertices = raw.vertices.size();
        const size_t rawMaterials = raw.materials.size();

        const CleanModel expected = referenceCleanUp(raw, scale);
        CleanModel actual = cleanUp(raw, scale);
        ASSERT_TRUE(sameBytes(actual.vertices, expected.vertices)) << "round " << round;
        ASSERT_TRUE(sameBytes(actual.faces, expected.faces)) << "round " << round;
        ASSERT_TRUE(sameMaterials(actual.materials, expected.materials)) << "round " << round;
        ASSERT_TRUE(sameSkin(actual.skin, expected.skin)) << "round " << round;

        ASSERT_TRUE(sameBytes(vertexNormals(actual.vertices, actual.faces),
                              referenceNormals(expected.vertices, expected.faces)))
            << "round " << round;

        std::vector<Obj3dFace> reordered = expected.faces;
        referenceFaceOrder(reordered);
        orderFacesByMaterial(actual.faces);
        ASSERT_TRUE(sameBytes(actual.faces, reordered)) << "round " << round;

        merges += static_cast<int>(rawVertices - actual.vertices.size());
        materialMerges += static_cast<int>(rawMaterials - actual.materials.size());
        for (const Obj3dVertex& v : actual.vertices) shared += v.originalvertexno >= 0;
    }
    // The random meshes exercise every merge.
    EXPECT_GT(merges, 100);
    EXPECT_GT(shared, 100);
    EXPECT_GT(materialMerges, 50);
}

TEST(XfileEquivalence, FaceOrderOfLongPartsWithManyMaterials) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        const int materials = 1 + static_cast<int>(rng() % 12);
        std::vector<Obj3dFace> faces;
        int part = 0;
        for (int f = 0; f < 400; ++f) {
            if (rng() % 100 == 0) ++part;
            const int32_t m = round % 4 == 0 ? 400 - f : static_cast<int32_t>(rng() % static_cast<unsigned>(materials));
            faces.push_back(Obj3dFace{part, {f, f + 1, f + 2}, m});
        }
        std::vector<Obj3dFace> expected = faces;
        referenceFaceOrder(expected);
        orderFacesByMaterial(faces);
        ASSERT_TRUE(sameBytes(faces, expected)) << "round " << round;
    }
}

}  // namespace
}  // namespace korvel::model::xfile
