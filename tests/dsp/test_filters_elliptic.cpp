// Elliptic integrals and Jacobi functions checked against independent evaluations: direct
// quadrature of the integral, closed-form values, the inverse relation between F and sn, the
// derivative of sn, and the degree equation solved back through K.
#include "EllipticFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// Composite Gauss-Legendre (5 points) of 1/sqrt(1 - k^2 sin^2 t) over [0, phi]; the integrand is
// smooth for |phi| < pi/2, so a few hundred panels are exact to rounding.
double QuadratureF(double phi, double k)
{
    static const double nodes[5] = {0.0, -0.5384693101056831, 0.5384693101056831, -0.9061798459386640,
                                    0.9061798459386640};
    static const double weights[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665,
                                      0.2369268850561891, 0.2369268850561891};
    const int panels = 400;
    const double width = phi / panels;
    double sum = 0.0;
    for (int p = 0; p < panels; ++p) {
        const double centre = (p + 0.5) * width;
        for (int j = 0; j < 5; ++j) {
            const double t = centre + 0.5 * width * nodes[j];
            const double s = std::sin(t);
            sum += weights[j] * 0.5 * width / std::sqrt(1.0 - k * k * s * s);
        }
    }
    return sum;
}

void ExpectRelativeNear(double computed, double expected, double tolerance, const char* what)
{
    EXPECT_LE(std::fabs(computed - expected), tolerance * std::fabs(expected))
        << what << ": computed " << computed << ", expected " << expected;
}

TEST(EllipticFunctions, CompleteIntegralMatchesKnownValues)
{
    ExpectRelativeNear(EllipticK(1.0), kPi / 2.0, 1e-15, "K(0)");
    // K(1/sqrt 2) = Gamma(1/4)^2 / (4 sqrt(pi)).
    const double g = std::tgamma(0.25);
    ExpectRelativeNear(EllipticK(std::sqrt(0.5)), g * g / (4.0 * std::sqrt(kPi)), 1e-14, "K(1/sqrt 2)");
    ExpectRelativeNear(EllipticK(std::sqrt(0.75)), 1.6857503548125960429, 1e-14, "K(1/2)");
    // Near k = 1: K = ln(4/k') + O(k'^2 ln k').
    ExpectRelativeNear(EllipticK(1e-9), std::log(4.0 / 1e-9), 1e-14, "K(k' = 1e-9)");
}

TEST(EllipticFunctions, IncompleteIntegralMatchesQuadrature)
{
    const double moduli[] = {0.0, 0.1, 0.5, 0.9, 0.999, 0.999999};
    const double angles[] = {0.01, 0.3, 1.0, 1.4, 1.5};
    for (double k : moduli) {
        const double kc = std::sqrt((1.0 - k) * (1.0 + k));
        for (double phi : angles) {
            SCOPED_TRACE(testing::Message() << "k = " << k << ", phi = " << phi);
            ExpectRelativeNear(EllipticF(phi, kc), QuadratureF(phi, k), 1e-13, "F");
            ExpectRelativeNear(EllipticF(-phi, kc), -QuadratureF(phi, k), 1e-13, "F(-phi)");
        }
        // The incomplete integral reaches the complete one at pi/2.
        ExpectRelativeNear(EllipticF(kPi / 2.0, kc), EllipticK(kc), 1e-14, "F(pi/2) = K");
    }
}

struct Modulus {
    double k;
    double kc;
};

const Modulus kModuli[] = {{0.0, 1.0},
                           {0.3, std::sqrt(1.0 - 0.09)},
                           {0.8, 0.6},
                           {std::sqrt(1.0 - 1e-4), 1e-2},
                           {std::sqrt(1.0 - 1e-12), 1e-6}};

TEST(EllipticFunctions, JacobiFunctionsAtQuarterAndHalfPeriod)
{
    for (const Modulus& m : kModuli) {
        SCOPED_TRACE(testing::Message() << "k' = " << m.kc);
        const double quarter = EllipticK(m.kc);
        const JacobiValues atK = JacobiFunctions(quarter, m.k, m.kc);
        EXPECT_NEAR(atK.sn, 1.0, 1e-14);
        EXPECT_NEAR(atK.cn, 0.0, 1e-7 * m.kc);   // cn near K is about k' (K - u)
        ExpectRelativeNear(atK.dn, m.kc, 1e-7, "dn(K) = k'");
        const JacobiValues atHalf = JacobiFunctions(quarter / 2.0, m.k, m.kc);
        // cn and dn are as small as sqrt(k') here; the phase they come from is good to rounding in
        // absolute terms, so their own error is absolute.
        ExpectRelativeNear(atHalf.sn, 1.0 / std::sqrt(1.0 + m.kc), 1e-14, "sn(K/2)");
        EXPECT_NEAR(atHalf.cn, std::sqrt(m.kc / (1.0 + m.kc)), 1e-14);
        EXPECT_NEAR(atHalf.dn, std::sqrt(m.kc), 1e-14);
    }
}

TEST(EllipticFunctions, JacobiFunctionsInvertTheIntegralAndHaveTheRightDerivative)
{
    for (const Modulus& m : kModuli) {
        const double quarter = EllipticK(m.kc);
        for (double fraction : {-0.9, -0.3, 0.05, 0.25, 0.5, 0.7, 0.95}) {
            const double u = fraction * quarter;
            SCOPED_TRACE(testing::Message() << "k' = " << m.kc << ", u = " << u);
            const JacobiValues v = JacobiFunctions(u, m.k, m.kc);
            // am(u) = atan2(sn, cn) and F(am(u) | k) = u. dF/dphi = 1/dn, so a rounding error in the
            // amplitude grows by 1/dn on the way back: that much is allowed on top.
            const double allowed = 1e-13 * std::fabs(u) + 1e-14 / v.dn;
            EXPECT_NEAR(EllipticF(std::atan2(v.sn, v.cn), m.kc), u, allowed);
            // d sn / du = cn dn, by a central difference (error about h^2).
            const double h = 1e-5;
            const double slope =
                (JacobiFunctions(u + h, m.k, m.kc).sn - JacobiFunctions(u - h, m.k, m.kc).sn) / (2 * h);
            EXPECT_NEAR(slope, v.cn * v.dn, 1e-8);
        }
    }
    // Modulus 0: the circular functions.
    const JacobiValues circular = JacobiFunctions(0.7, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(circular.sn, std::sin(0.7));
    EXPECT_DOUBLE_EQ(circular.cn, std::cos(0.7));
    EXPECT_DOUBLE_EQ(circular.dn, 1.0);
}

TEST(EllipticFunctions, SelectivitySolvesTheDegreeEquation)
{
    // (ripple dB, attenuation dB) pairs, the filters' own first.
    const double designs[][2] = {{0.1, 40.0}, {1.0, 60.0}, {0.01, 20.0}, {3.0, 3.5}};
    for (const auto& d : designs) {
        const double epsP = std::sqrt(std::pow(10.0, d[0] / 10.0) - 1.0);
        const double epsS = std::sqrt(std::pow(10.0, d[1] / 10.0) - 1.0);
        const double k1 = epsP / epsS;
        const double k1c = std::sqrt(1.0 - k1 * k1);
        for (int n : {1, 2, 3, 4, 5, 6, 9, 20, 60}) {
            SCOPED_TRACE(testing::Message() << "Rp " << d[0] << ", As " << d[1] << ", n = " << n);
            const EllipticSelectivity sel = SolveEllipticDegreeEquation(k1, k1c, n);
            ASSERT_GT(sel.k, 0.0);
            ASSERT_LE(sel.k, 1.0);
            EXPECT_NEAR(sel.k * sel.k + sel.kc * sel.kc, 1.0, 1e-14);
            // K'(k)/K(k) = K'(k1)/(n K(k1)).
            const double ratio = EllipticK(sel.k) / EllipticK(sel.kc);
            ExpectRelativeNear(ratio, EllipticK(k1) / (n * EllipticK(k1c)), 1e-12, "K'/K");
            if (n == 1)
                ExpectRelativeNear(sel.k, k1, 1e-12, "order 1 keeps k1");
        }
    }
}

}   // namespace
