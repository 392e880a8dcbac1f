#include "instance/material.h"

#include "model/store.h"

namespace korvel::instance {

namespace {

float colour(int value) { return static_cast<float>(static_cast<double>(value) / 255.0); }

model::Obj3dMaterial* findMaterial(int model, int material) {
    model::Obj3dModel* source = model::occupiedModel(model);
    return source != nullptr ? source->material.at(material) : nullptr;
}

}  // namespace

void setMaterialParam(int model, int material, int blendmode, int r, int g, int b, double alpha, double power,
                      int specularR, int specularG, int specularB, int emissiveR, int emissiveG, int emissiveB,
                      int texsrvno) {
    model::Obj3dMaterial* record = findMaterial(model, material);
    if (record == nullptr) return;
    record->faceColorR = colour(r);
    record->faceColorG = colour(g);
    record->faceColorB = colour(b);
    record->alpha = static_cast<float>(alpha);
    record->power = static_cast<float>(power);
    record->specularColorR = colour(specularR);
    record->specularColorG = colour(specularG);
    record->specularColorB = colour(specularB);
    record->emissiveColorR = colour(emissiveR);
    record->emissiveColorG = colour(emissiveG);
    record->emissiveColorB = colour(emissiveB);
    record->texsrvno = texsrvno;
    record->blendmode = blendmode;
}

int materialTexsrvno(int model, int material) {
    const model::Obj3dMaterial* record = findMaterial(model, material);
    return record != nullptr ? record->texsrvno : -1;
}

}  // namespace korvel::instance
