// Model instances (Image3d): the 200-slot instance table and its records,
// the placement of an instance or one of its parts and the matrices that
// placement gives, and the library-wide rotation of particle-hair directions.
// Drawing and the geometry queries read and write these records; the C
// interface creates, places and releases them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "math/matrix.h"
#include "math/types.h"

namespace korvel::instance {

inline constexpr int kImage3dMax = 200;

// Per-instance (record 0) or per-part (record p + 1) placement and box.
struct Partinfo {
    double alpha = 1.0;  // multiplied into every material's alpha
    float scalex = 1.0f, scaley = 1.0f, scalez = 1.0f;
    float rotx = 0.0f, roty = 0.0f, rotz = 0.0f;  // pitch, yaw, roll (radians)
    float transx = 0.0f, transy = 0.0f, transz = 0.0f;
    // World-space part box; present only when extents.x > 0.
    math::Obox obox{{0.0f, 0.0f, 0.0f}, {-1.0f, -1.0f, -1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}};
};

struct Image3dInstance {
    int32_t modelno = 0;
    // World-space box of the whole instance; present only when extents.x > 0.
    math::Aabox aabox{{0.0f, 0.0f, 0.0f}, {-1.0f, -1.0f, -1.0f}};
    uint8_t boxmode = 0;   // 0 none, 1 aabox, 2 part oboxes, other both
    uint8_t cullmode = 0;  // 1 cull on aabox, 2 cull on part oboxes, other none
    uint8_t partmode = 0;  // 1 per-part transforms; non-zero: part alphas
    uint8_t hairmode = 0;  // 1 draw particle hair
    // The model's NumPart when the instance was created; the record holds
    // numpart + 1 Partinfo records and never more are addressed.
    int32_t numpart = 0;
    std::unique_ptr<Partinfo[]> partinfo;

    // Record 0: the whole instance.
    Partinfo& whole() { return partinfo[0]; }
    const Partinfo& whole() const { return partinfo[0]; }
    // The record of part p (Partinfo p + 1), or null when p is not a part of
    // this record.
    Partinfo* part(long long p) { return p >= 0 && p < numpart ? &partinfo[p + 1] : nullptr; }
    const Partinfo* part(long long p) const { return p >= 0 && p < numpart ? &partinfo[p + 1] : nullptr; }
};

// The 200 instance slots (device-owned).
struct Image3dTable {
    std::array<std::unique_ptr<Image3dInstance>, kImage3dMax> slots;
};

// Codes of createImage3d.
inline constexpr int kImage3dTableFull = -1;
inline constexpr int kImage3dNoModel = -2;
inline constexpr int kImage3dNoMemory = -3;

// Takes the lowest empty slot for an instance of model `model` (an occupied,
// completely loaded model slot) and returns its number, or one of the codes
// above, changing nothing.
int createImage3d(int model);
// Releases slot `image`; an empty or out-of-range slot is left alone.
void clearImage3d(int image);
// Releases every slot.
void clearAllImage3d();
// The instance in slot `image`, or null when the slot is out of range or empty.
Image3dInstance* image3d(int image);

// Placement matrices use the row-vector convention: a point p goes to p x M.

// Stores scale, angles and translation rounded to float, and alpha rounded to
// float and then kept as double (0.1 is stored as 0.100000001490116).
void setPlacement(Partinfo& record, double sx, double sy, double sz, double rx, double ry, double rz, double tx,
                  double ty, double tz, double alpha);

// scale x rotation from pitch, yaw and roll x translation of one record.
math::Matrix placementMatrix(const Partinfo& record);

// The instance's world matrix: placementMatrix of record 0.
math::Matrix worldMatrix(const Image3dInstance& image);

// Part p's own placement followed by the world matrix. `part` must be a part
// of the record (image.part(p) not null).
math::Matrix partMatrix(const Partinfo& part, const math::Matrix& world);

// The library-wide rotation that particle-hair drawing applies to hair
// directions.
const math::Matrix& worldParticlehairRotMatrix();

// Where that rotation is kept; it outlives CleanupDevice (InitDevice resets it).
struct HairRotation {
    math::Matrix matrix = math::identity();
};

// Rotation by `angle` radians about (ax, ay, az), all rounded to float first;
// the axis is normalised, and a zero axis stays zero.
void setWorldParticlehairRotMatrix(double ax, double ay, double az, double angle);

// Back to the identity (device start).
void resetWorldParticlehairRotMatrix();

}  // namespace korvel::instance
