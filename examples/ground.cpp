#include "ground.h"

#include <cmath>

#include "textures.h"

namespace demo {
namespace {

enum Material { kGrass, kStone, kWood, kEmber };

constexpr int kHalfCells = 12;  // the ground spans -12 to 12 on x and z
constexpr float kSquareRadius = 5.0f;
constexpr float kPillarRadius = 6.2f;
constexpr int kPillars = 8;

// One ground cell facing up, its texture repeating every two cells.
void addCell(Mesh& mesh, int cx, int cz, int material) {
    const int first = static_cast<int>(mesh.vertices.size());
    const float x0 = static_cast<float>(cx), z0 = static_cast<float>(cz);
    const float corners[4][2] = {{x0, z0}, {x0, z0 + 1}, {x0 + 1, z0 + 1}, {x0 + 1, z0}};
    for (const auto& c : corners) mesh.vertices.push_back({c[0], 0.0f, c[1], c[0] * 0.5f, c[1] * 0.5f, 0, 1, 0});
    // Clockwise seen from above: the face's front points up.
    for (int i : {0, 1, 2, 0, 2, 3}) mesh.corners.push_back(first + i);
    mesh.faceMaterial.insert(mesh.faceMaterial.end(), 2, material);
}

void addCampfire(Mesh& mesh) {
    // A ring of stones, then four logs crossing over glowing embers.
    for (int i = 0; i < 9; ++i) {
        const float a = static_cast<float>(i) * 6.2831853f / 9.0f;
        mesh.addBox(kFireX + 0.62f * std::cos(a), 0.09f, kFireZ + 0.62f * std::sin(a), 0.13f, 0.09f, 0.11f, kStone, 0,
                    0.25f);
    }
    mesh.addBox(kFireX, 0.03f, kFireZ, 0.32f, 0.03f, 0.32f, kEmber);
    mesh.addBox(kFireX, 0.1f, kFireZ, 0.45f, 0.07f, 0.07f, kWood, 0, 0.5f);
    mesh.addBox(kFireX, 0.18f, kFireZ, 0.07f, 0.07f, 0.45f, kWood, 0, 0.5f);
}

// Pillars of differing heights, as if some had fallen, with a cap stone.
void addPillars(Mesh& mesh) {
    const float heights[kPillars] = {2.6f, 1.5f, 2.6f, 2.6f, 2.0f, 0.5f, 0.9f, 2.6f};
    for (int i = 0; i < kPillars; ++i) {
        const float a = (static_cast<float>(i) + 0.5f) * 6.2831853f / kPillars;
        const float x = kPillarRadius * std::cos(a), z = kPillarRadius * std::sin(a);
        const float h = heights[i];
        mesh.addBox(x, 0.1f, z, 0.5f, 0.1f, 0.5f, kStone, 0, 0.5f);
        mesh.addBox(x, 0.2f + h / 2, z, 0.3f, h / 2, 0.3f, kStone, 0, 1.0f);
        if (h > 2.5f) mesh.addBox(x, 0.3f + h, z, 0.45f, 0.1f, 0.45f, kStone, 0, 0.5f);
    }
}

}  // namespace

Mesh buildGround() {
    Mesh mesh;
    mesh.materials = {{255, 255, 255, 0.0f, 0, kGrassTexture},
                      {255, 255, 255, 8.0f, 40, kStoneTexture},
                      {255, 255, 255, 0.0f, 0, kWoodTexture},
                      {255, 120, 30, 0.0f, 0, "", true}};
    for (int cz = -kHalfCells; cz < kHalfCells; ++cz)
        for (int cx = -kHalfCells; cx < kHalfCells; ++cx) {
            const float d = std::hypot(cx + 0.5f, cz + 0.5f);
            addCell(mesh, cx, cz, d < kSquareRadius ? kStone : kGrass);
        }
    addCampfire(mesh);
    addPillars(mesh);
    return mesh;
}

Mesh buildCrate() {
    Mesh mesh;
    mesh.materials = {{255, 255, 255, 4.0f, 30, kWoodTexture}};
    mesh.addBox(0.0f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f, 0);
    return mesh;
}

}  // namespace demo
