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

// Several parts with repeated positions (+0, -0 and NaN among them),
// repeated texture coordinates, materials repeated across parts and skin
// entries; corners and materials stay within their part.
RawModel randomRawModel(std::mt19937& rng) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float coords[] = {0.0f, -0.0f, 1.0f, 2.5f, -1.0f, nan};
    const float texs[] = {0.0f, 0.5f, 1.0f, -0.0f};
    auto below = [&](int n) { return static_cast<int32_t>(rng() % static_cast<unsigned>(n)); };
    const int parts = 1 + below(4), verticesPerPart = 1 + below(40), facesPerPart = below(200);
    const int materialsPerPart = 1 + below(12);
    RawModel raw;
    for (int p = 0; p < parts; ++p) {
        raw.partNames.push_back("part" + std::to_string(p));
        const auto vertexBase = static_cast<int32_t>(raw.vertices.size());
        const auto materialBase = static_cast<int32_t>(raw.materials.size());
        for (int i = 0; i < verticesPerPart; ++i) {
            RawVertex v{p};
            for (float& c : v.pos) c = rng() % 16 == 0 ? nan : coords[below(6)];
            if (rng() % 8 == 0) std::fill(v.pos, v.pos + 3, nan);
            if (rng() % 4 != 0) v.pos[0] = v.pos[1] = v.pos[2] = static_cast<float>(below(3));
            for (float& t : v.tex) t = texs[below(4)];
            raw.vertices.push_back(v);
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
            raw.faces.push_back(face);
        }
    }
    raw.boneNames = {"B0_Joint", "B1_Joint", "B2_Joint"};
    for (size_t i = 0; i < raw.vertices.size(); ++i)
        for (int k = below(4); k > 0; --k)
            raw.skin.push_back(SkinEntry{below(3), static_cast<int32_t>(i), static_cast<float>(below(5)) * 0.25f});
    return raw;
}

TEST(XfileEquivalence, CleanUpNormalsAndFaceOrderMatchThePairwiseLoops) {
    std::mt19937 rng(20261206);
    int merges = 0, shared = 0, materialMerges = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const RawModel raw = randomRawModel(rng);
        const float scale = round % 3 == 0 ? 1.0f : 0.5f;
        const CleanModel expected = referenceCleanUp(raw, scale);
        RawModel input = raw;
        CleanModel actual = cleanUp(input, scale);
        ASSERT_TRUE(sameBytes(actual.vertices, expected.vertices));
        ASSERT_TRUE(sameBytes(actual.faces, expected.faces));
        ASSERT_TRUE(std::equal(actual.materials.begin(), actual.materials.end(), expected.materials.begin(),
                               expected.materials.end(), [](const RawMaterial& x, const RawMaterial& y) {
                                   return x.texture == y.texture &&
                                          std::memcmp(x.colour, y.colour, sizeof x.colour) == 0;
                               }));
        ASSERT_TRUE(sameBytes(actual.skin, expected.skin));
        ASSERT_TRUE(sameBytes(vertexNormals(actual.vertices, actual.faces),
                              referenceNormals(expected.vertices, expected.faces)));
        std::vector<Obj3dFace> reordered = expected.faces;
        referenceFaceOrder(reordered);
        orderFacesByMaterial(actual.faces);
        ASSERT_TRUE(sameBytes(actual.faces, reordered));

        merges += static_cast<int>(raw.vertices.size() - actual.vertices.size());
        materialMerges += static_cast<int>(raw.materials.size() - actual.materials.size());
        for (const Obj3dVertex& v : actual.vertices) shared += v.originalvertexno >= 0;
    }
    // The random meshes exercise every merge.
    EXPECT_GT(merges, 100);
    EXPECT_GT(shared, 100);
    EXPECT_GT(materialMerges, 50);
}

}  // namespace
}  // namespace korvel::model::xfile
