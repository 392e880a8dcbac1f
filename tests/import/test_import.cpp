// korvel-import on models made elsewhere (the asset importer's own test
// models): each converts, loads with ReadPT3file and shows on screen, its
// textures found; animations put vertices where the source's own pose puts
// them; files the importer cannot make sense of fail with a message and
// leave nothing behind.
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Korvelv0.h"
#include "converter.h"
#include "support/device.h"

namespace {

namespace fs = std::filesystem;
using namespace korvel::testing;

// The pose a scene's own data gives a mesh's vertices, for comparing with
// what the library draws from the converted file: node transforms from
// their keys, chained to the root, each vertex skinned by all of its bone
// weights (offset matrix, then the bone's global transform) or placed by
// its node, after the morph targets at their weights.
struct SourceVertex {
    aiVector3t<double> position;
    int influences = 0;         // bones holding the vertex
    bool unplacedBone = false;  // held by a bone whose node the scene lacks
};

using korvel_import::Matrix;
using korvel_import::toDouble;
using Vector = aiVector3t<double>;

Matrix local(const aiNode& node, const aiAnimation* animation, double ticks) {
    const Matrix own = toDouble(node.mTransformation);
    for (unsigned c = 0; animation != nullptr && c < animation->mNumChannels; ++c) {
        const aiNodeAnim& ch = *animation->mChannels[c];
        if (ch.mNodeName != node.mName) continue;
        Vector scale, position;
        aiQuaterniont<double> rotation;
        own.Decompose(scale, rotation, position);
        using namespace korvel_import;
        return Matrix(sampleVector(ch.mScalingKeys, ch.mNumScalingKeys, ticks, scale),
                      sampleRotation(ch.mRotationKeys, ch.mNumRotationKeys, ticks, rotation),
                      sampleVector(ch.mPositionKeys, ch.mNumPositionKeys, ticks, position));
    }
    return own;
}

Matrix global(const aiNode& node, const aiAnimation* animation, double ticks) {
    Matrix m = local(node, animation, ticks);
    for (const aiNode* p = node.mParent; p != nullptr; p = p->mParent) m = local(*p, animation, ticks) * m;
    return m;
}

// The morph weights an animation gives a mesh at ticks, linear between keys.
std::vector<double> sourceMorphWeights(const aiAnimation& animation, const aiMesh& mesh, double ticks) {
    std::vector<double> weights(mesh.mNumAnimMeshes, 0.0);
    if (animation.mNumMorphMeshChannels == 0) return weights;
    const aiMeshMorphAnim& channel = *animation.mMorphMeshChannels[0];
    const korvel_import::KeySpan s = korvel_import::findKeys(channel.mKeys, channel.mNumKeys, ticks);
    for (const unsigned k : {s.lo, s.hi}) {
        const double share = k == s.lo ? 1 - s.u : s.u;
        for (unsigned i = 0; i < channel.mKeys[k].mNumValuesAndWeights; ++i)
            weights[channel.mKeys[k].mValues[i]] += share * channel.mKeys[k].mWeights[i];
        if (s.lo == s.hi) break;
    }
    return weights;
}

// Positions in scene units of every vertex of the mesh that the node
// places, at ticks of animation (null: at rest), with the morph weights
// given (one per target; empty: none).
std::vector<SourceVertex> sourcePose(const aiScene& scene, const aiNode& meshNode, const aiMesh& mesh,
                                     const aiAnimation* animation, double ticks,
                                     const std::vector<double>& morphWeights) {
    std::vector<Vector> rest(mesh.mNumVertices);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        const aiVector3D& p = mesh.mVertices[v];
        rest[v] = Vector(p.x, p.y, p.z);
        for (size_t t = 0; t < morphWeights.size(); ++t) {
            const aiVector3D& q = mesh.mAnimMeshes[t]->mVertices[v];
            rest[v] += morphWeights[t] * (Vector(q.x, q.y, q.z) - Vector(p.x, p.y, p.z));
        }
    }
    std::vector<SourceVertex> out(mesh.mNumVertices);
    for (unsigned b = 0; b < mesh.mNumBones; ++b) {
        const aiBone& bone = *mesh.mBones[b];
        const aiNode* node = scene.mRootNode->FindNode(bone.mName);
        const Matrix skin = node ? global(*node, animation, ticks) * toDouble(bone.mOffsetMatrix) : Matrix();
        for (unsigned w = 0; w < bone.mNumWeights; ++w) {
            SourceVertex& v = out[bone.mWeights[w].mVertexId];
            v.position += double{bone.mWeights[w].mWeight} * (skin * rest[bone.mWeights[w].mVertexId]);
            v.influences += 1;
            v.unplacedBone |= node == nullptr;
        }
    }
    const Matrix place = global(meshNode, animation, ticks);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v)
        if (out[v].influences == 0) out[v].position = place * rest[v];
    return out;
}

const fs::path kModels = "/usr/share/assimp/models";

struct Case {
    const char* file;
    int parts, textured, joints, shapekeys;
};

const Case kCases[] = {
    {"MS3D/Wuson.ms3d", 1, 0, 0, 0},
    {"OBJ/spider.obj", 19, 4, 0, 0},
    {"FBX/spider.fbx", 19, 4, 0, 0},  // textures named by absolute paths of another machine
    {"FBX/huesitos.fbx", 1, 0, 9, 0},
    {"X/anim_test.x", 1, 0, 4, 0},
    {"glTF2/simple_skin/simple_skin.gltf", 1, 0, 2, 0},
    {"glTF2/glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf", 1, 0, 0, 3},
};

const aiNode* nodeOf(const aiNode& node, unsigned mesh) {
    for (unsigned k = 0; k < node.mNumMeshes; ++k)
        if (node.mMeshes[k] == mesh) return &node;
    for (unsigned c = 0; c < node.mNumChildren; ++c)
        if (const aiNode* found = nodeOf(*node.mChildren[c], mesh)) return found;
    return nullptr;
}

class ImportTest : public DeviceTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        if (!fs::exists(kModels / GetParam().file)) GTEST_SKIP() << "assimp-testmodels is not installed";
        DeviceTest::SetUp();
    }
};

// Fraction of the screen the model covers when lit only by a light at the
// eye: faces wound the wrong way would show their dark inside instead.
double litCoverage(int image, int motion) {
    ClearColorZ(1, 0, 0, 1.0);
    RenderImage(image, 1, -1, 0, motion, 0);
    RenderImage(image, 0, -1, 0, motion, 0);
    const std::vector<Rgba> pixels = pixelsOf(captureBackBuffer().rgba);
    const auto lit = std::count_if(pixels.begin(), pixels.end(), [](Rgba c) { return std::max({c.r, c.g, c.b}) > 24; });
    return static_cast<double>(lit) / static_cast<double>(pixels.size());
}

TEST_P(ImportTest, ConvertsLoadsDrawsAndAnimatesAsTheSource) {
    const Case& c = GetParam();
    const fs::path source = kModels / c.file;
    const fs::path output = tempPath(source.stem().string() + ".pt3");
    std::vector<std::string> warnings;
    korvel_import::Options options;
    options.leftHanded = true;
    const korvel_import::Model converted = korvel_import::importFile(source, output, options, warnings);

    const int model = ReadPT3file(output.wstring().c_str(), 1, 1.0);
    ASSERT_GE(model, 0);
    int info[12], textured = 0;
    Obj3dInfoGet(model, info);
    for (int m = 0; m < info[3]; ++m) textured += Obj3dGetMaterialParamTexsrvno(model, m) >= 0 ? 1 : 0;
    EXPECT_EQ((std::array{info[4], info[5], info[8], textured}),
              (std::array{c.parts, c.joints, c.shapekeys, c.textured}));

    const bool animated = info[6] > 0;
    ASSERT_EQ(animated ? MakeVertexIndexBuffer1ba() : MakeVertexIndexBuffer1(), 1);
    const int image = CreateImage3d(model);
    double sphere[4];
    GetObj3dSphere(model, sphere);
    const double r = sphere[3];
    ViewMatrixValueSet(sphere[0], sphere[1], sphere[2] - 3 * r, sphere[0], sphere[1], sphere[2], 0, 1, 0);
    ProjectionMatrixValueSet(0, 0.8, 800.0 / 600.0, r * 0.1, r * 10);
    SetPointLightPos(sphere[0], sphere[1], sphere[2] - 3 * r);
    SceneAmbientColorSet(0, 0, 0);
    SetktexkdifkemikspcMparam(1, 1, 0, 0, 0, 0);
    EXPECT_GT(litCoverage(image, animated ? 0 : -1), 0.03);

    // Poses: the library's evaluation of the file against the source's.
    Assimp::Importer importer;
    const aiScene& scene = korvel_import::readScene(importer, source);
    if (scene.mNumAnimations == 0) return;
    const aiAnimation& animation = *scene.mAnimations[0];
    const int frames = korvel_import::frameCount(animation, options.fps);
    const int targets = static_cast<int>(scene.mMeshes[converted.parts[0].mesh]->mNumAnimMeshes);
    int compared = 0;
    for (const int frame : {0, frames / 3, 2 * frames / 3, frames - 1}) {
        const double ticks = korvel_import::ticksAtFrame(animation, options.fps, frame);
        for (const korvel_import::Part& part : converted.parts) {
            const aiMesh& mesh = *scene.mMeshes[part.mesh];
            const auto expected = sourcePose(scene, *nodeOf(*scene.mRootNode, part.mesh), mesh, &animation, ticks,
                                             sourceMorphWeights(animation, mesh, ticks));
            for (int v = 0; v < part.vertexCount; ++v) {
                if (expected[v].influences > 2 || expected[v].unplacedBone) continue;
                const int vertex = part.firstVertex + v;
                double x, y, z;
                Image3dVertexPosGet(image, targets > 0 ? targets : -1, frame, targets > 0 ? -1 : 0, frame, 1, &vertex,
                                    &x, &y, &z);
                const aiVector3t<double>& e = expected[v].position;  // z mirrored by the conversion
                ASSERT_LT(std::max({std::fabs(x - e.x), std::fabs(y - e.y), std::fabs(z + e.z)}), 1e-3 * r)
                    << "vertex " << vertex << " frame " << frame;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 0);
}

// Every file of the importer's collection of broken files fails with one
// line naming it and a reason, exit status 1, and no output left.
TEST(ImportFailures, BrokenFilesFailWithAMessageAndLeaveNothing) {
    if (!fs::exists(kModels / "invalid")) GTEST_SKIP() << "assimp-testmodels is not installed";
    const fs::path folder = fs::path(tempPath("broken"));
    fs::create_directories(folder);
    for (const fs::directory_entry& entry : fs::directory_iterator(kModels / "invalid")) {
        const fs::path messages = folder / "messages.txt";
        const std::string command = std::string(KORVEL_IMPORT_PROGRAM) + " '" + entry.path().string() +
                                    "' --read-limit 5 -o '" + (folder / "out.pt3").string() + "' 2>'" +
                                    messages.string() + "'";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << entry.path();
        const std::string text(std::istreambuf_iterator<char>(std::ifstream(messages).rdbuf()), {});
        const std::string prefix = "korvel-import: " + entry.path().string() + ": ";  // then a reason, on one line
        EXPECT_TRUE(text.starts_with(prefix) && text.size() > prefix.size() + 8 && text.find('\n') == text.size() - 1)
            << text;
        fs::remove(messages);
        EXPECT_TRUE(fs::is_empty(folder)) << entry.path();
    }
}

// A skeleton past what drawing holds is refused before anything is written.
TEST(ImportFailures, SkeletonPastTheJointLimitIsRefused) {
    const fs::path source = tempPath("bones.smd"), output = tempPath("bones.pt3");
    std::ofstream smd(source);
    smd << "version 1\nnodes\n";
    for (int b = 0; b < 150; ++b) smd << b << " \"b" << b << "\" " << b - 1 << "\n";
    smd << "end\nskeleton\ntime 0\n";
    for (int b = 0; b < 150; ++b) smd << b << " 0 0.1 0 0 0 0\n";
    smd << "end\ntriangles\nskin.bmp\n";
    for (int corner = 0; corner < 3; ++corner) {  // each corner held by 50 bones
        smd << "0 " << corner << " " << corner % 2 << " 0 0 0 1 0 0 50";
        for (int b = 0; b < 50; ++b) smd << " " << corner * 50 + b << " 0.02";
        smd << "\n";
    }
    smd << "end\n";
    smd.close();
    std::vector<std::string> warnings;
    try {
        korvel_import::importFile(source, output, {}, warnings);
        ADD_FAILURE() << "converted";
    } catch (const korvel_import::ImportError& e) {
        EXPECT_NE(std::string(e.what()).find(" joints; drawing supports at most 120"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(output));
}

INSTANTIATE_TEST_SUITE_P(Models, ImportTest, ::testing::ValuesIn(kCases), [](const auto& info) {
    const fs::path file = info.param.file;
    return file.stem().string() + "_" + file.extension().string().substr(1);
});

}  // namespace
