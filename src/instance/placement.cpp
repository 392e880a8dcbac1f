#include "instance/placement.h"

#include "math/matrix.h"

namespace korvel::instance {

void setPlacement(Partinfo& record, double sx, double sy, double sz, double rx, double ry, double rz, double tx,
                  double ty, double tz, double alpha) {
    record.scalex = static_cast<float>(sx);
    record.scaley = static_cast<float>(sy);
    record.scalez = static_cast<float>(sz);
    record.rotx = static_cast<float>(rx);
    record.roty = static_cast<float>(ry);
    record.rotz = static_cast<float>(rz);
    record.transx = static_cast<float>(tx);
    record.transy = static_cast<float>(ty);
    record.transz = static_cast<float>(tz);
    record.alpha = static_cast<double>(static_cast<float>(alpha));
}

math::Matrix placementMatrix(const Partinfo& record) {
    const math::Matrix scaled = math::multiply(math::scaling(record.scalex, record.scaley, record.scalez),
                                               math::rotationPitchYawRoll(record.rotx, record.roty, record.rotz));
    return math::multiply(scaled, math::translation(record.transx, record.transy, record.transz));
}

math::Matrix worldMatrix(const Image3dInstance& image) { return placementMatrix(image.whole()); }

math::Matrix partMatrix(const Partinfo& part, const math::Matrix& world) {
    return math::multiply(placementMatrix(part), world);
}

}  // namespace korvel::instance
