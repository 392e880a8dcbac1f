#include "device/projection.h"

#include <algorithm>
#include <cmath>

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::device {

bool projectionForMode(int mode, double a, double b, double nearZ, double farZ, math::Matrix& out) {
    if (mode < 0 || mode > 2) return false;
    const float fa = static_cast<float>(a);
    const float fb = static_cast<float>(b);
    const float n = static_cast<float>(nearZ);
    const float f = static_cast<float>(farZ);
    const float r = f / (f - n);
    math::Matrix m{};
    switch (mode) {
        case 0: {
            const double half = static_cast<double>(fa) / 2.0;
            const float h = static_cast<float>(std::cos(half) / std::sin(half));
            const float w = h / fb;
            m.m[0][0] = w;
            m.m[1][1] = h;
            m.m[2][2] = r;
            m.m[2][3] = 1.0f;
            m.m[3][2] = -r * n;
            break;
        }
        case 1:
            m.m[0][0] = 2.0f * n / fa;
            m.m[1][1] = 2.0f * n / fb;
            m.m[2][2] = r;
            m.m[2][3] = 1.0f;
            m.m[3][2] = -r * n;
            break;
        default:
            m.m[0][0] = 2.0f / fa;
            m.m[1][1] = 2.0f / fb;
            m.m[2][2] = 1.0f / (f - n);
            m.m[3][2] = -n / (f - n);
            m.m[3][3] = 1.0f;
            break;
    }
    out = m;
    return true;
}

namespace {

math::Quaternion shortestRotationFromZ(math::Float3 eye, math::Float3 at) {
    if (at.x == eye.x && at.y == eye.y) return {0.0f, 0.0f, 0.0f, 1.0f};
    const math::Float3 d = math::normalize(at - eye);
    const math::Float3 k = math::normalize(math::cross({0.0f, 0.0f, 1.0f}, d));
    const float cosine = std::clamp(math::dot({0.0f, 0.0f, 1.0f}, d), -1.0f, 1.0f);
    const float t = math::scalarACos(cosine);
    const float s = static_cast<float>(std::sin(static_cast<double>(t / 2.0f)));
    const float c = static_cast<float>(std::cos(static_cast<double>(t / 2.0f)));
    return {k.x * s, k.y * s, k.z * s, c};
}

}  // namespace

math::Quaternion frustumOrientation(const math::Matrix& view, math::Float3 eye, math::Float3 at) {
    math::Matrix axes = math::identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) axes.m[i][j] = view.m[j][i];
    const math::Float3 right{axes.m[0][0], axes.m[0][1], axes.m[0][2]};
    const math::Float3 forward{axes.m[2][0], axes.m[2][1], axes.m[2][2]};
    // The look-to view's axes are unit vectors or, when degenerate, zero.
    if (!(math::dot(right, right) > 0.5f && math::dot(forward, forward) > 0.5f)) {
        return shortestRotationFromZ(eye, at);
    }
    return math::normalize(math::quaternionFromMatrix(axes));
}

}  // namespace korvel::device
