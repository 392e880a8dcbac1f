#include "instance/hair_rotation.h"

#include "math/matrix.h"

namespace korvel::instance {

namespace {

math::Matrix& stored() {
    static math::Matrix matrix = math::identity();
    return matrix;
}

}  // namespace

const math::Matrix& worldParticlehairRotMatrix() { return stored(); }

void setWorldParticlehairRotMatrix(double ax, double ay, double az, double angle) {
    const math::Float3 axis{static_cast<float>(ax), static_cast<float>(ay), static_cast<float>(az)};
    stored() = math::rotationAxis(axis, static_cast<float>(angle));
}

void resetWorldParticlehairRotMatrix() { stored() = math::identity(); }

}  // namespace korvel::instance
