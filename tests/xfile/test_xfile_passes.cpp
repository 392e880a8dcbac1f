// Each pass of the X importer on small hand-written files: counting, mesh
// blocks, joints with model-space positions, animation keys.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/xfile_counts.h"
#include "model/xfile_lines.h"
#include "model/xfile_mesh_pass.h"
#include "model/xfile_skeleton.h"
#include "xfile_test_support.h"

namespace korvel::model::xfile {
namespace {

using testing::withHeader;

std::string quadMesh(const std::string& name, const std::string& texture) {
    std::string m = "   Mesh " + name + " {\n    4;\n    0.0;0.0;0.0;,\n    1.0;0.0;0.0;,\n    0.0;1.0;0.0;,\n"
                    "    1.0;1.0;0.0;;\n    2;\n    3;0,1,2;,\n    3;1,3,2;;\n"
                    "    MeshTextureCoords {\n     4;\n     0.0;0.0;,\n     1.0;0.0;,\n     0.0;1.0;,\n"
                    "     1.0;1.0;;\n    }\n    MeshMaterialList {\n     2;\n     2;\n     1,\n     0;\n"
                    "     Material {\n      1.0;0.5;0.25;1.0;;\n      4.0;\n      0.1;0.2;0.3;;\n"
                    "      0.0;0.0;0.0;;\n     }\n     Material {\n      0.0;0.0;0.0;1.0;;\n      0.0;\n"
                    "      0.0;0.0;0.0;;\n      0.0;0.0;0.0;;\n";
    if (!texture.empty()) m += "      TextureFilename {\n       \"" + texture + "\";\n      }\n";
    return m + "     }\n    }\n   }\n";
}

TEST(XfileMeshPass, TwoMeshesNumberVerticesFacesAndMaterialsAcrossMeshes) {
    const std::string text = withHeader("Frame Root {\n" + quadMesh("First", "") + quadMesh("Second", "C:\\art\\b.png") + "}\n");
    XLines lines(text);
    lines.skip(212);
    const size_t start = lines.position();
    const std::vector<MeshCounts> counts = countMeshes(lines, false);
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[1].vertices, 4);
    EXPECT_EQ(counts[1].faces, 2);
    EXPECT_EQ(counts[1].materials, 2);

    lines.seek(start);
    RawModel raw;
    ASSERT_TRUE(readMeshes(lines, counts, false, raw));
    EXPECT_EQ(raw.partNames, (std::vector<std::string>{"First", "Second"}));
    ASSERT_EQ(raw.vertices.size(), 8u);
    ASSERT_EQ(raw.faces.size(), 4u);
    EXPECT_EQ(raw.faces[2].partno, 1);
    EXPECT_EQ(raw.faces[2].vertexno[0], 4);
    EXPECT_EQ(raw.faces[3].vertexno[1], 7);
    EXPECT_EQ(raw.faces[2].matno, 3);  // material 1 of the second mesh
    EXPECT_EQ(raw.faces[3].matno, 2);
    EXPECT_EQ(raw.vertices[5].part, 1);
    EXPECT_EQ(raw.vertices[7].tex[1], 1.0f);
    ASSERT_EQ(raw.materials.size(), 4u);
    EXPECT_EQ(raw.materials[0].colour[1], 0.5f);
    EXPECT_EQ(raw.materials[0].colour[4], 4.0f);  // power
    EXPECT_EQ(raw.materials[0].colour[7], 0.3f);  // specular blue
    EXPECT_EQ(raw.materials[1].texture, "");
    EXPECT_EQ(raw.materials[3].texture, "C:\\art\\b.png");
}

TEST(XfileMeshPass, SkinHeaderBonesAndWeightsWithAnEmptyBone) {
    const std::string skin =
        "    XSkinMeshHeader {\n     2;\n     3;\n     2;\n    }\n"
        "    SkinWeights {\n     \"Hip_Joint\";\n     2;\n     3,\n     0;\n     0.75,\n     1.0;\n     m;;\n    }\n"
        "    SkinWeights {\n     \"Leg_Joint\";\n     0;\n     ;\n     ;\n     m;;\n    }\n";
    std::string mesh = quadMesh("Skinned", "");
    mesh.insert(mesh.size() - 5, skin);  // before the mesh's closing brace
    const std::string text = withHeader(mesh + quadMesh("Other", ""));
    XLines lines(text);
    lines.skip(212);
    const size_t start = lines.position();
    // The second mesh has no skin header: the search for it ends the file.
    const std::vector<MeshCounts> counts = countMeshes(lines, true);
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[1].bones, 0);
    EXPECT_EQ(counts[0].bones, 2);
    EXPECT_EQ(counts[0].weights, 2);
    lines.seek(start);
    RawModel raw;
    ASSERT_TRUE(readMeshes(lines, counts, true, raw));
    EXPECT_EQ(raw.boneNames, (std::vector<std::string>{"Hip_Joint", "Leg_Joint"}));
    ASSERT_EQ(raw.skin.size(), 2u);
    EXPECT_EQ(raw.skin[0].vertex, 3);
    EXPECT_EQ(raw.skin[0].weight, 0.75f);
    EXPECT_EQ(raw.skin[1].vertex, 0);
}

// A joint root and three "_Joint" frames, Leg and Arm siblings under Hip.
std::string jointBlock() {
    auto frame = [](const std::string& name, const std::string& t) {
        return "  Frame " + name + " {\n\n   FrameTransformMatrix {\n    // rows\n    1,0,0,0,0,1,0,0,0,0,1,0," + t +
               ",1;;\n   }\n\n";
    };
    return " Frame ReplacedName2 {\n\n  FrameTransformMatrix {\n   1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;\n  }\n\n\n" +
           frame("Hip_Joint", "0,1,0") + frame("Leg_Joint", "0.5,-1,0") + "  }\n" + frame("Arm_Joint", "-0.5,0.5,2") +
           "  }\n  }\n }\n";
}

TEST(XfileJointPass, ParentsFollowBracesAndPositionsBecomeModelSpace) {
    const std::string text = withHeader(jointBlock() + "AnimTicksPerSecond {\n _Joint after the end\n}\n");
    XLines lines(text);
    lines.skip(212);
    const size_t start = lines.position();
    EXPECT_EQ(countJoints(lines), 3);
    lines.seek(start);
    std::vector<RawJoint> joints;
    ASSERT_TRUE(readJoints(lines, 3, 2.0f, joints));
    EXPECT_EQ(joints[0].name, "Hip_Joint");
    EXPECT_EQ(joints[0].parent, -1);
    EXPECT_EQ(joints[1].parent, 0);
    EXPECT_EQ(joints[2].name, "Arm_Joint");
    EXPECT_EQ(joints[2].parent, 0);  // a sibling of Leg
    EXPECT_EQ(joints[1].pos[1], 2.0f - 2.0f);  // (0, 1, 0) * 2 + (0.5, -1, 0) * 2
    EXPECT_EQ(joints[1].pos[0], 1.0f);
    EXPECT_EQ(joints[2].pos[2], 4.0f);
    EXPECT_EQ(joints[2].pos[1], 3.0f);

    lines.seek(start);
    EXPECT_FALSE(readJoints(lines, 4, 1.0f, joints));  // fewer joints than counted
}

TEST(XfileAnimationPass, ConjugatedRotationsFrameNumbersAndParentOffsets) {
    XScene scene = testing::sampleScene();
    scene.meshes.clear();
    const std::string text = writeXText(scene);
    XLines lines(text);
    lines.skip(212);
    const size_t start = lines.position();
    const MotionCounts counts = countMotions(lines, 3);
    EXPECT_EQ(counts.frames, (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(counts.targets, (std::vector<std::string>{"Hip_Joint", "Leg_Joint", "Arm_Joint"}));

    lines.seek(start);
    std::vector<RawJoint> joints;
    ASSERT_TRUE(readJoints(lines, 3, 1.0f, joints));
    Obj3dModel model;
    ASSERT_TRUE(model.header.allocate(1));
    model.head()->NumMotion = 2;
    ASSERT_TRUE(model.keyframe.allocate(5 * 2 * 3));
    ASSERT_TRUE(model.motion.allocate(2));
    ASSERT_TRUE(model.frameno.allocate(5));
    lines.seek(start);
    ASSERT_TRUE(readAnimations(lines, counts, joints, 2.0f, model));
    EXPECT_EQ(model.motion[1].firstframe, 2);
    EXPECT_EQ(model.motion[1].firstkey, 6);
    EXPECT_EQ(model.frameno[4], 20);
    const Obj3dKeyframe& hip = model.keyframe[1];
    EXPECT_EQ(hip.rot4w, 0.7071f);
    EXPECT_EQ(hip.rot4x, -0.7071f);
    EXPECT_EQ(hip.rot4y, 0.0f);
    EXPECT_EQ(hip.transy, 2.0f);  // frame 1: y = 1, times the scale; a root gets no offset
    // Motion 1, joint 1 (Leg, parent Hip at (0, 1, 0)), frame 2.
    const Obj3dKeyframe& leg = model.keyframe[6 + 1 * 3 + 2];
    EXPECT_EQ(leg.transy, 2.0f * 2.0f + 1.0f);
    EXPECT_EQ(leg.scalex, 1.0f);
}

TEST(XfileAnimationPass, UnknownTargetsAreSkippedAndKeyCountsMustAgree) {
    XScene scene = testing::sampleScene();
    scene.meshes.clear();
    scene.sets[1].animations[2].target = "Nobody";
    std::string text = writeXText(scene);
    XLines lines(text);
    lines.skip(212);
    const size_t start = lines.position();
    const MotionCounts counts = countMotions(lines, 3);
    lines.seek(start);
    std::vector<RawJoint> joints;
    ASSERT_TRUE(readJoints(lines, 3, 1.0f, joints));
    Obj3dModel model;
    ASSERT_TRUE(model.header.allocate(1));
    model.head()->NumMotion = 2;
    ASSERT_TRUE(model.keyframe.allocate(30) && model.motion.allocate(2) && model.frameno.allocate(5));
    lines.seek(start);
    ASSERT_TRUE(readAnimations(lines, counts, joints, 1.0f, model));
    // The last set's targets serve all sets: Arm's keys are stored nowhere.
    EXPECT_EQ(model.keyframe[2 * 2 + 0].rot4w, 0.0f);
    EXPECT_EQ(model.keyframe[6 + 2 * 3 + 0].rot4w, 0.0f);
    EXPECT_EQ(model.keyframe[6 + 1 * 3 + 0].rot4w, 0.7071f);

    scene.sets[0].animations[1].times.push_back(30);  // one animation with more keys
    scene.sets[0].animations[1].rotations.push_back({1, 0, 0, 0});
    scene.sets[0].animations[1].scales.push_back({1, 1, 1});
    scene.sets[0].animations[1].translations.push_back({0, 0, 0});
    text = writeXText(scene);
    XLines uneven(text);
    uneven.skip(212);
    const size_t unevenStart = uneven.position();
    const MotionCounts unevenCounts = countMotions(uneven, 3);
    uneven.seek(unevenStart);
    EXPECT_FALSE(readAnimations(uneven, unevenCounts, joints, 1.0f, model));
}

// Lines placed by number, the rest filler: pins the line distances of the
// joint and animation blocks independently of the X writer.
std::string placed(const std::vector<std::pair<int, std::string>>& lines, int count) {
    std::vector<std::string> text(static_cast<size_t>(count), "  //");
    for (const auto& [at, line] : lines) text[static_cast<size_t>(at)] = line;
    std::string out;
    for (const std::string& line : text) out += line + "\n";
    return withHeader(out);
}

TEST(XfileLineDistances, JointAndAnimationBlocksByLineNumber) {
    // Root at 0; joints at 7 and 14 (matrix 4 lines after each); one set at
    // 20 with one key per animation: counts 6 and 6 + 3 + 23 lines after
    // it, keys right after each count, then 6 + 1 and 12 + 2 lines on.
    const int set = 20, c0 = set + 6, c1 = c0 + 26;
    const std::string text = placed(
        {{0, " Frame ReplacedName2 {"},
         {7, "  Frame P_Joint {"},
         {11, "     1,0,0,0,0,1,0,0,0,0,1,0,1,2,3,1;;"},
         {14, "  Frame Q_Joint {"},
         {18, "     1,0,0,0,0,1,0,0,0,0,1,0,0,0,1,1;;"},
         {set, "AnimationSet A {"},
         {c0, "   1;"},
         {c0 + 1, "     5;4;0.5,0.5,0,0;;;"},
         {c0 + 8, "     5;3;2,2,2;;;"},
         {c0 + 15, "     5;3;1,0,0;;;"},
         {c0 + 3 * 1 + 15, "  { Q_Joint }"},
         {c1, "   1;"},
         {c1 + 1, "     5;4;0.25,0,0.5,0;;;"},
         {c1 + 8, "     5;3;3,3,3;;;"},
         {c1 + 15, "     5;3;0,1,0;;;"},
         {c1 + 3 * 1 + 15, "  { P_Joint }"}},
        c1 + 24);
    XLines lines(text);
    lines.skip(212);
    const size_t start = lines.position();
    EXPECT_EQ(countJoints(lines), 2);
    lines.seek(start);
    const MotionCounts counts = countMotions(lines, 2);
    EXPECT_EQ(counts.frames, std::vector<int32_t>{1});
    EXPECT_EQ(counts.targets, (std::vector<std::string>{"Q_Joint", "P_Joint"}));
    lines.seek(start);
    std::vector<RawJoint> joints;
    ASSERT_TRUE(readJoints(lines, 2, 1.0f, joints));
    EXPECT_EQ(joints[1].parent, 0);  // no closing brace between them
    EXPECT_EQ(joints[1].pos[2], 4.0f);
    Obj3dModel model;
    ASSERT_TRUE(model.header.allocate(1));
    model.head()->NumMotion = 1;
    ASSERT_TRUE(model.keyframe.allocate(2) && model.motion.allocate(1) && model.frameno.allocate(1));
    lines.seek(start);
    ASSERT_TRUE(readAnimations(lines, counts, joints, 1.0f, model));
    // Animation 0 targets Q (joint 1), animation 1 targets P (joint 0).
    EXPECT_EQ(model.keyframe[1].rot4w, 0.5f);
    EXPECT_EQ(model.keyframe[1].scalex, 2.0f);
    EXPECT_EQ(model.keyframe[1].transx, 1.0f + 1.0f);  // plus P's position
    EXPECT_EQ(model.keyframe[0].rot4y, -0.5f);
    EXPECT_EQ(model.keyframe[0].scalez, 3.0f);
    EXPECT_EQ(model.keyframe[0].transy, 1.0f);
    EXPECT_EQ(model.frameno[0], 5);
}

}  // namespace
}  // namespace korvel::model::xfile
