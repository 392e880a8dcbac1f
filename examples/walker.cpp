#include "walker.h"

#include <algorithm>
#include <cmath>

namespace demo {
namespace {

constexpr float kPi = 3.14159265f;

enum Joint {
    kPelvis,
    kNeck,
    kLeftHip,
    kLeftKnee,
    kRightHip,
    kRightKnee,
    kLeftShoulder,
    kLeftElbow,
    kRightShoulder,
    kRightElbow,
    kJoints
};

// Rest positions; every limb hangs straight down from its joint.
constexpr MeshJoint kSkeleton[kJoints] = {
    {-1, 0.0f, 0.95f, 0.0f},        {kPelvis, 0.0f, 1.5f, 0.0f},
    {kPelvis, -0.1f, 0.92f, 0.0f},  {kLeftHip, -0.1f, 0.5f, 0.0f},
    {kPelvis, 0.1f, 0.92f, 0.0f},   {kRightHip, 0.1f, 0.5f, 0.0f},
    {kPelvis, -0.25f, 1.43f, 0.0f}, {kLeftShoulder, -0.25f, 1.14f, 0.0f},
    {kPelvis, 0.25f, 1.43f, 0.0f},  {kRightShoulder, 0.25f, 1.14f, 0.0f},
};

enum Material { kSkin, kShirt, kTrousers, kShoes, kHair };

// A pose: the turn of each joint about x (positive swings a hanging limb
// backwards, towards -z) and about z (positive lifts a right limb
// sideways), and how far the pelvis is lifted.
struct Pose {
    float pitch[kJoints] = {};
    float roll[kJoints] = {};
    float lift = 0.0f;
};

// One stride at phase p (radians): legs swing in opposite phase, each knee
// bends while its leg swings forward, arms swing against the legs, and the
// body rises over each straight leg.
Pose stride(float p, float legSwing, float kneeBend, float armSwing, float elbowBend, float bob, float lean) {
    Pose pose;
    const float s = std::sin(p), c = std::cos(p);
    pose.pitch[kPelvis] = lean;
    pose.pitch[kLeftHip] = -legSwing * s - lean;
    pose.pitch[kRightHip] = legSwing * s - lean;
    pose.pitch[kLeftKnee] = kneeBend * std::max(0.0f, c);
    pose.pitch[kRightKnee] = kneeBend * std::max(0.0f, -c);
    pose.pitch[kLeftShoulder] = armSwing * s;
    pose.pitch[kRightShoulder] = -armSwing * s;
    pose.pitch[kLeftElbow] = -elbowBend - 0.25f * armSwing * std::max(0.0f, -s);
    pose.pitch[kRightElbow] = -elbowBend - 0.25f * armSwing * std::max(0.0f, s);
    pose.lift = bob * std::cos(2.0f * p);
    return pose;
}

// Standing and waving the right hand, breathing slowly.
Pose wave(float p) {
    Pose pose;
    pose.roll[kRightShoulder] = 2.5f;
    pose.roll[kRightElbow] = 0.35f + 0.45f * std::sin(2.0f * p);
    pose.roll[kLeftShoulder] = -0.12f;
    pose.pitch[kNeck] = 0.08f * std::sin(p);
    pose.lift = 0.01f * std::sin(p);
    return pose;
}

// The key of one joint: its pitch and roll as one quaternion (no pose turns
// a joint about both axes at once), about its rest position, moved by lift.
MeshKey key(float pitch, float roll, const MeshJoint& joint, float lift) {
    const float cx = std::cos(pitch / 2), sx = std::sin(pitch / 2);
    const float cz = std::cos(roll / 2), sz = std::sin(roll / 2);
    return {cz * cx, cz * sx, sz * sx, sz * cx, joint.x, joint.y + lift, joint.z};
}

// A motion of `frames` frames with a key every `step` frames, looping: the
// last key (at frame `frames`) repeats the first.
MeshMotion motion(int frames, int step, Pose (*poseAt)(float)) {
    MeshMotion m;
    for (int f = 0; f <= frames; f += step) m.frames.push_back(f);
    for (int j = 0; j < kJoints; ++j)
        for (int f : m.frames) {
            const Pose pose = poseAt(2.0f * kPi * static_cast<float>(f) / static_cast<float>(frames));
            m.keys.push_back(key(pose.pitch[j], pose.roll[j], kSkeleton[j], j == kPelvis ? pose.lift : 0.0f));
        }
    return m;
}

Pose walkPose(float p) { return stride(p, 0.45f, 0.8f, 0.4f, 0.2f, 0.025f, 0.0f); }
Pose runPose(float p) { return stride(p, 0.75f, 1.5f, 0.7f, 1.3f, 0.06f, 0.2f); }

void addBody(Mesh& mesh) {
    mesh.addBox(0.0f, 0.93f, 0.0f, 0.17f, 0.08f, 0.1f, kTrousers, kPelvis);
    mesh.addBox(0.0f, 1.22f, 0.0f, 0.19f, 0.24f, 0.11f, kShirt, kPelvis);
    mesh.addBox(0.0f, 1.49f, 0.0f, 0.05f, 0.04f, 0.05f, kSkin, kNeck);
    mesh.addBox(0.0f, 1.65f, 0.0f, 0.11f, 0.13f, 0.11f, kSkin, kNeck);
    mesh.addBox(0.0f, 1.79f, -0.01f, 0.12f, 0.03f, 0.12f, kHair, kNeck);
    mesh.addBox(0.0f, 1.68f, -0.08f, 0.12f, 0.1f, 0.04f, kHair, kNeck);
    for (int side = 0; side < 2; ++side) {
        const float x = side == 0 ? -0.1f : 0.1f;
        const int hip = side == 0 ? kLeftHip : kRightHip;
        const int knee = side == 0 ? kLeftKnee : kRightKnee;
        mesh.addBox(x, 0.71f, 0.0f, 0.075f, 0.22f, 0.075f, kTrousers, hip);
        mesh.addBox(x, 0.29f, 0.0f, 0.065f, 0.21f, 0.065f, kTrousers, knee);
        mesh.addBox(x, 0.04f, 0.04f, 0.07f, 0.04f, 0.12f, kShoes, knee);
        const float ax = side == 0 ? -0.25f : 0.25f;
        const int shoulder = side == 0 ? kLeftShoulder : kRightShoulder;
        const int elbow = side == 0 ? kLeftElbow : kRightElbow;
        mesh.addBox(ax, 1.3f, 0.0f, 0.055f, 0.15f, 0.055f, kShirt, shoulder);
        mesh.addBox(ax, 1.01f, 0.0f, 0.045f, 0.14f, 0.045f, kSkin, elbow);
    }
}

}  // namespace

const char* walkerMotionName(int motion) {
    static const char* const names[kWalkerMotions] = {"walk", "run", "wave"};
    return motion >= 0 && motion < kWalkerMotions ? names[motion] : "rest";
}

Mesh buildWalker() {
    Mesh mesh;
    mesh.materials = {{230, 180, 140, 10.0f, 40, ""},
                      {40, 110, 200, 0.0f, 0, ""},
                      {60, 60, 70, 0.0f, 0, ""},
                      {90, 50, 30, 20.0f, 60, ""},
                      {70, 40, 20, 0.0f, 0, ""}};
    mesh.joints.assign(std::begin(kSkeleton), std::end(kSkeleton));
    addBody(mesh);
    mesh.motions.push_back(motion(32, 2, walkPose));
    mesh.motions.push_back(motion(20, 2, runPose));
    mesh.motions.push_back(motion(40, 4, wave));
    return mesh;
}

}  // namespace demo
