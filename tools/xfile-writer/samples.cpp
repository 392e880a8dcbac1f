#include "xfile-writer/writer.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace korvel::model::xfile {

XScene sampleScene() {
    XScene s;
    s.skin = true;
    XMaterial red;
    red.diffuse = {1.0f, 0.0f, 0.0f, 1.0f};
    red.power = 8.0f;
    red.specular = {0.4f, 0.4f, 0.4f};
    red.texture = "skin.tga";
    XMaterial plain;
    plain.diffuse = {0.2f, 0.4f, 0.6f, 0.5f};
    XMesh body;
    body.name = "Body";
    // Vertex 2 shares vertex 0's position with other texture coordinates;
    // vertex 5 repeats vertex 1; vertices 4, 6, 7 carry the untextured
    // material only.
    body.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}};
    body.texcoords = {{0, 0}, {1, 0}, {0.5f, 0.5f}, {0, 1}, {0.25f, 0.75f}, {1, 0}, {0.5f, 0.25f}, {0.75f, 0.75f}};
    body.triangles = {{0, 1, 3}, {2, 5, 3}, {4, 6, 7}};
    body.faceMaterials = {1, 1, 0};
    body.materials = {plain, red};
    body.bones = {{"Hip_Joint", {0, 1, 3}, {1.0f, 0.5f, 0.25f}},
                  {"Leg_Joint", {1, 3, 5}, {0.5f, 0.5f, 0.9f}},
                  {"Arm_Joint", {3}, {0.25f}}};
    XMesh head;
    head.name = "Head";
    head.positions = {{0, 2, 0}, {1, 2, 0}, {0, 3, 0}};
    head.texcoords = {{0, 0}, {1, 0}, {0, 1}};
    head.triangles = {{0, 1, 2}};
    head.faceMaterials = {0};
    head.materials = {red};
    head.bones = {{"Arm_Joint", {0, 1, 2}, {1.0f, 1.0f, 1.0f}}, {"Leg_Joint", {}, {}}};
    s.meshes = {body, head};
    XJoint hip{"Hip_Joint", -1, {}};
    hip.matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1};
    XJoint leg{"Leg_Joint", 0, {}};
    leg.matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, -1, 0, 1};
    XJoint arm{"Arm_Joint", 0, {}};
    arm.matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -0.5f, 0.5f, 0, 1};
    s.joints = {hip, leg, arm};
    auto animation = [](const std::string& target, int frames, float shift) {
        XAnimation a;
        a.target = target;
        for (int f = 0; f < frames; ++f) {
            a.times.push_back(f * 10);
            a.rotations.push_back({0.7071f, 0.7071f, 0.0f, 0.0f});
            a.scales.push_back({1.0f, 1.0f, 1.0f});
            a.translations.push_back({shift, static_cast<float>(f), 0.0f});
        }
        return a;
    };
    s.sets = {
        {"Walk", {animation("Hip_Joint", 2, 0.0f), animation("Leg_Joint", 2, 1.0f), animation("Arm_Joint", 2, 2.0f)}},
        {"Wave", {animation("Hip_Joint", 3, 0.5f), animation("Leg_Joint", 3, 0.0f), animation("Arm_Joint", 3, 1.0f)}}};
    return s;
}

XScene gridScene(int vertices, int parts, bool skin) {
    XScene s;
    s.skin = skin;
    const int perPart = std::max(4, vertices / std::max(parts, 1));
    const int side = std::max(2, static_cast<int>(std::sqrt(static_cast<double>(perPart))));
    const int joints = 4;
    XMaterial textured;
    textured.texture = "grid.tga";
    XMaterial plain;
    plain.diffuse = {0.2f, 0.4f, 0.6f, 1.0f};
    for (int p = 0; p < parts; ++p) {
        XMesh m;
        m.name = "Grid" + std::to_string(p);
        m.materials = {textured, plain};
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                m.positions.push_back({static_cast<float>(x), static_cast<float>(y), static_cast<float>(p)});
                m.texcoords.push_back({x / static_cast<float>(side), y / static_cast<float>(side)});
            }
        for (int y = 0; y + 1 < side; ++y)
            for (int x = 0; x + 1 < side; ++x) {
                const int a = y * side + x;
                m.triangles.push_back({a, a + 1, a + side});
                m.triangles.push_back({a + 1, a + side + 1, a + side});
                const int material = (x / 8 + y / 8) % 2;
                m.faceMaterials.push_back(material);
                m.faceMaterials.push_back(material);
            }
        if (skin) {
            m.bones.resize(joints);
            for (int j = 0; j < joints; ++j)
                m.bones[static_cast<size_t>(j)].name = "Bone" + std::to_string(j) + "_Joint";
            for (int v = 0; v < side * side; ++v)
                for (int k = 0; k <= v % 3; ++k) {
                    XBone& bone = m.bones[static_cast<size_t>((v + k) % joints)];
                    bone.vertices.push_back(v);
                    bone.weights.push_back(1.0f / static_cast<float>(1 + v % 3));
                }
        }
        s.meshes.push_back(std::move(m));
    }
    if (!skin) return s;
    XAnimationSet set{"Bend", {}};
    for (int j = 0; j < joints; ++j) {
        XJoint joint{"Bone" + std::to_string(j) + "_Joint", j - 1, {}};
        joint.matrix[13] = static_cast<float>(side) / joints;
        s.joints.push_back(joint);
        XAnimation a{joint.name, {0, 10, 20, 30}, {}, {}, {}};
        for (int f = 0; f < 4; ++f) {
            a.rotations.push_back({std::cos(0.1f * f), std::sin(0.1f * f), 0.0f, 0.0f});
            a.scales.push_back({1.0f, 1.0f, 1.0f});
            a.translations.push_back({0.0f, joint.matrix[13], 0.0f});
        }
        set.animations.push_back(std::move(a));
    }
    s.sets.push_back(std::move(set));
    return s;
}

}  // namespace korvel::model::xfile
