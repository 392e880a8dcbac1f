#include "instance/draw_constants.h"

#include "math/matrix.h"

namespace korvel::instance {
namespace {

void put3(float out[3], float a, float b, float c) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
}

// Everything after the material's own fields: coefficients, light, eye,
// Mparam0 and 1, ambient.
void putScene(MaterialConstants& c, const SceneValues& scene) {
    const device::SceneLighting& l = scene.lighting;
    c.ktex = l.ktex;
    c.kdif = l.kdif;
    c.kemi = l.kemi;
    c.kspc = l.kspc;
    put3(c.lightPos, l.pointLightPos.x, l.pointLightPos.y, l.pointLightPos.z);
    c.zero = 0;
    put3(c.eye, scene.eye.x, scene.eye.y, scene.eye.z);
    c.mparam0 = l.mparam0;
    put3(c.ambient, l.sceneAmbientColor.x, l.sceneAmbientColor.y, l.sceneAmbientColor.z);
    c.mparam1 = l.mparam1;
}

}  // namespace

MaterialConstants materialConstants(const model::Obj3dMaterial& m, double alpha, const SceneValues& scene) {
    MaterialConstants c{};
    put3(c.diffuse, m.faceColorR, m.faceColorG, m.faceColorB);
    c.alpha = static_cast<float>(alpha) * m.alpha;
    c.power = m.power;
    put3(c.specular, m.specularColorR, m.specularColorG, m.specularColorB);
    c.texsrvno = m.texsrvno;
    put3(c.emissive, m.emissiveColorR, m.emissiveColorG, m.emissiveColorB);
    putScene(c, scene);
    return c;
}

MaterialConstants selectedFaceConstants(const SceneValues& scene) {
    MaterialConstants c{};
    putScene(c, scene);
    c.alpha = 1.0f;
    c.power = 1.0f;
    c.texsrvno = -1;
    put3(c.emissive, 0.0f, 1.0f, 1.0f);
    c.ktex = 0.0f;
    c.kdif = 0.0f;
    c.kemi = 1.0f;
    c.kspc = 0.0f;
    return c;
}

MaterialConstants vertexMarkerConstants(const SceneValues& scene, bool selected, uint32_t screenWidth,
                                        uint32_t screenHeight) {
    MaterialConstants c{};
    putScene(c, scene);
    put3(c.diffuse, 0.5f, 0.0f, 0.5f);
    c.alpha = 1.0f;
    c.power = 1.0f;
    put3(c.specular, 0.5f, 0.0f, 0.5f);
    c.texsrvno = selected ? 0 : -1;
    put3(c.emissive, 0.5f, 0.0f, 0.5f);
    c.mparam0 = static_cast<float>(screenWidth);
    c.mparam1 = static_cast<float>(screenHeight);
    return c;
}

HairConstants hairConstants(const model::ParticlehairFace& hair, const model::Obj3dMaterial& material,
                            const math::Matrix& hairRotation) {
    HairConstants c{};
    c.hairparam0 = hair.hairparam0;
    c.hairlength = hair.hairlength;
    c.hairparam1 = static_cast<float>(hair.hairparam1);
    c.hairparam2 = hair.hairparam2;
    put3(c.hairvec, hair.hairvec[0], hair.hairvec[1], hair.hairvec[2]);
    c.zero = 0;
    c.rot = math::transpose(hairRotation);
    const bool coloured = hair.haircolor[0] >= 0.0f;
    c.colormode = material.texsrvno != -1 ? 2 : (coloured ? 1 : 0);
    if (coloured) put3(c.color, hair.haircolor[0], hair.haircolor[1], hair.haircolor[2]);
    return c;
}

}  // namespace korvel::instance
