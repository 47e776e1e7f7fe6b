#include "ResultMath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

Matrix4 multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = sum;
        }
    return r;
}

}   // namespace

VectorAngles ComputeVectorAngles(const std::array<double, 3>& v)
{
    const double x = v[0], y = v[1], z = v[2];
    VectorAngles a;
    a.modulus = std::sqrt(x * x + y * y + z * z);
    if (a.modulus == 0.0) {
        a.beta = 0.0;
    } else {
        // Rounding can put the quotient a hair outside [-1, 1], where asin has no value.
        const double q = std::clamp(z / a.modulus, -1.0, 1.0);
        a.beta = std::asin(q) * kDegreesPerRadian;
    }
    const double quotient = (x == 0.0) ? 0.0 : y / x;
    if (x == 0.0 || std::isinf(quotient))
        a.alpha = (y * x >= 0.0) ? 90.0 : -90.0;
    else
        a.alpha = std::atan(quotient) * kDegreesPerRadian;
    return a;
}

Matrix4 IdentityMatrix()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix4 ViewBoxMatrix()
{
    // glOrtho with every side at +/-10: scale by 1/10, z mirrored (-2 / (far - near)).
    Matrix4 m = IdentityMatrix();
    m[0] = 0.1;
    m[5] = 0.1;
    m[10] = -0.1;
    return m;
}

Matrix4 Rotated(const Matrix4& m, double degrees, double x, double y, double z)
{
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0)
        return m;
    x /= length;
    y /= length;
    z /= length;
    const double rad = degrees / kDegreesPerRadian;
    const double c = std::cos(rad), s = std::sin(rad), t = 1.0 - c;
    // The rotation matrix of the glRotate manual page, stored column by column.
    const Matrix4 r = {
        x * x * t + c,
        y * x * t + z * s,
        x * z * t - y * s,
        0,
        x * y * t - z * s,
        y * y * t + c,
        y * z * t + x * s,
        0,
        x * z * t + y * s,
        y * z * t - x * s,
        z * z * t + c,
        0,
        0,
        0,
        0,
        1,
    };
    return multiply(m, r);
}

std::array<double, 3> Transform(const Matrix4& m, const std::array<double, 3>& p)
{
    std::array<double, 3> r{};
    for (int row = 0; row < 3; ++row)
        r[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
    return r;
}

Matrix4 ApplyViewRotation(const Matrix4& projection, int mode, double step)
{
    const double s = step;
    switch (mode) {
    case 0:
        return Rotated(Rotated(projection, -20.0 * s, 1, 0, 0), -10.0 * s, 0, 0, 1);
    case 1:
        return Rotated(projection, s, 1, 0, 0);
    case 2:
        return Rotated(projection, -s, 1, 0, 0);
    case 3:
        return Rotated(projection, s, 0, 1, 0);
    case 4:
        return Rotated(projection, -s, 0, 1, 0);
    case 5:
        return Rotated(projection, s, 0, 0, 1);
    case 6:
        return Rotated(projection, -s, 0, 0, 1);
    default:
        return projection;
    }
}

std::array<double, 3> KindComponents(const std::array<double, 6>& block, int kind)
{
    const int first = (kind == 2) ? 3 : 0;
    return {block[first], block[first + 1], block[first + 2]};
}

std::array<double, 3> VectorTip(const std::array<double, 6>& block, int kind, double scale)
{
    const auto c = KindComponents(block, kind);
    return {c[0] * 5.0 / scale, c[1] * 5.0 / scale, c[2] * 5.0 / scale};
}
