// The material parameters of a loaded model, as the host changes them.
#pragma once

namespace korvel::instance {

// Writes material `material` of model `model`: colours 0..255 divided by 255
// in double precision and rounded to float (not clamped), alpha and power
// rounded to float, blend mode and texture number stored as given. A model
// slot that is out of range or empty, or a material number outside the
// model's material table, changes nothing.
void setMaterialParam(int model, int material, int blendmode, int r, int g, int b, double alpha, double power,
                      int specularR, int specularG, int specularB, int emissiveR, int emissiveG, int emissiveB,
                      int texsrvno);

// The material's texture number, or -1 (no texture) when the model or the
// material does not exist.
int materialTexsrvno(int model, int material);

}  // namespace korvel::instance
