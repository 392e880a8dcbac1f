#include "instance/image3d.h"

#include <array>
#include <new>

#include "math/matrix.h"
#include "model/store.h"

namespace korvel::instance {

namespace {

std::array<std::unique_ptr<Image3dInstance>, kImage3dMax>& table() {
    static std::array<std::unique_ptr<Image3dInstance>, kImage3dMax> slots;
    return slots;
}

math::Matrix& storedHairRotation() {
    static math::Matrix matrix = math::identity();
    return matrix;
}

}  // namespace

int createImage3d(int model) {
    auto& slots = table();
    int free = -1;
    for (int i = 0; i < kImage3dMax && free < 0; ++i) {
        if (!slots[i]) free = i;
    }
    if (free < 0) return kImage3dTableFull;

    const model::Obj3dModel* source = model::completeModel(model);
    if (source == nullptr || source->head()->NumPart < 0) return kImage3dNoModel;
    const model::Obj3dHeader& header = *source->head();

    std::unique_ptr<Image3dInstance> record(new (std::nothrow) Image3dInstance);
    if (!record) return kImage3dNoMemory;
    record->partinfo.reset(new (std::nothrow) Partinfo[static_cast<size_t>(header.NumPart) + 1]);
    if (!record->partinfo) return kImage3dNoMemory;
    record->modelno = model;
    record->numpart = header.NumPart;
    record->hairmode = header.NumParticlehairFace != 0 ? 1 : 0;
    slots[free] = std::move(record);
    return free;
}

void clearImage3d(int image) {
    if (image >= 0 && image < kImage3dMax) table()[image].reset();
}

void clearAllImage3d() {
    for (auto& slot : table()) slot.reset();
}

Image3dInstance* image3d(int image) { return image >= 0 && image < kImage3dMax ? table()[image].get() : nullptr; }

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

const math::Matrix& worldParticlehairRotMatrix() { return storedHairRotation(); }

void setWorldParticlehairRotMatrix(double ax, double ay, double az, double angle) {
    const math::Float3 axis{static_cast<float>(ax), static_cast<float>(ay), static_cast<float>(az)};
    storedHairRotation() = math::rotationAxis(axis, static_cast<float>(angle));
}

void resetWorldParticlehairRotMatrix() { storedHairRotation() = math::identity(); }

}  // namespace korvel::instance
