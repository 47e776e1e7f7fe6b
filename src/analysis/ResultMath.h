// The computations behind the result windows, free of any window: direction angles of a
// vector for the calculation table, and the projection maths of the 3-D view.
#pragma once

#include <array>

// Modulus and direction angles (degrees) of a vector as the calculation table shows them.
struct VectorAngles {
    double modulus = 0.0;   // sqrt(x^2 + y^2 + z^2)
    double alpha = 0.0;     // atan(y / x): the one-argument arc tangent, so -90 ... 90 whatever
                            // the quadrant; 90 or -90 (the sign of y * x, 0 counting as +)
                            // when x is 0 or the quotient overflows
    double beta = 0.0;      // asin(z / modulus); 0 for a zero vector
};

VectorAngles ComputeVectorAngles(const std::array<double, 3>& v);

// A 4 x 4 matrix in OpenGL's column-major order (element [col * 4 + row]).
using Matrix4 = std::array<double, 16>;

Matrix4 IdentityMatrix();
// glOrtho(-10, 10, -10, 10, -10, 10): the box the 3-D view draws in.
Matrix4 ViewBoxMatrix();
// m * rotation by `degrees` about the axis (x, y, z), as glRotated applies it.
Matrix4 Rotated(const Matrix4& m, double degrees, double x, double y, double z);
std::array<double, 3> Transform(const Matrix4& m, const std::array<double, 3>& p);

// The rotation a draw of the 3-D view applies after drawing, for modes 0 ... 6:
// 0 the first picture (-20 step about x, then -10 step about z); 1/2 +/- step about x;
// 3/4 about y; 5/6 about z.
Matrix4 ApplyViewRotation(const Matrix4& projection, int mode, double step);

// Where the 3-D view draws the vector's tip: 5 units stand for `scale`. kind 1 takes the
// active components (0 ... 2 of the block), kind 2 the reactive ones (3 ... 5).
std::array<double, 3> VectorTip(const std::array<double, 6>& block, int kind, double scale);
// The three components the view draws for `kind`.
std::array<double, 3> KindComponents(const std::array<double, 6>& block, int kind);
