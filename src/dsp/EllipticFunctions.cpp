#include "EllipticFunctions.h"

#include <cmath>
#include <numbers>

namespace {

// The arithmetic-geometric mean converges quadratically: from any modulus that is not
// denormal it is done in six or seven steps, so the cap only guards against a NaN argument.
constexpr int kMaxLandenSteps = 25;
constexpr double kLandenTolerance = 1e-16;

// Theta series of the nome q (0 <= q < 1): theta2 / (2 q^(1/4)), theta3 and theta4.
struct ThetaSums {
    double theta2Reduced = 1.0;   // sum over m >= 0 of q^(m(m+1))
    double theta3 = 1.0;          // 1 + 2 sum over m >= 1 of q^(m^2)
    double theta4 = 1.0;          // 1 + 2 sum over m >= 1 of (-1)^m q^(m^2)
};

ThetaSums ThetaSeries(double q)
{
    ThetaSums sums;
    for (int m = 1; m <= 25; ++m) {
        const double square = std::pow(q, static_cast<double>(m) * m);
        const double oblong = std::pow(q, static_cast<double>(m) * (m + 1));
        sums.theta2Reduced += oblong;
        sums.theta3 += 2.0 * square;
        sums.theta4 += (m % 2 == 0 ? 2.0 : -2.0) * square;
        if (square < 1e-18)
            break;
    }
    return sums;
}

}   // namespace

double EllipticK(double kc)
{
    double a = 1.0;
    double b = kc;
    for (int step = 0; step < kMaxLandenSteps && std::fabs(a - b) > kLandenTolerance * a; ++step) {
        const double mean = 0.5 * (a + b);
        b = std::sqrt(a * b);
        a = mean;
    }
    return std::numbers::pi / (2.0 * a);
}

double EllipticF(double phi, double kc)
{
    // Descending Landen sequence: tan(phi_{n+1} - phi_n) = (b_n / a_n) tan(phi_n), the branch
    // chosen so that phi_{n+1} stays close to 2 phi_n; then F = phi_N / (2^N a_N).
    double a = 1.0;
    double b = kc;
    double scale = 1.0;
    for (int step = 0; step < kMaxLandenSteps && std::fabs(a - b) > kLandenTolerance * a; ++step) {
        const double turn = std::atan(b / a * std::tan(phi));
        phi += turn + std::numbers::pi * std::round((phi - turn) / std::numbers::pi);
        const double mean = 0.5 * (a + b);
        b = std::sqrt(a * b);
        a = mean;
        scale *= 2.0;
    }
    return phi / (scale * a);
}

JacobiValues JacobiFunctions(double u, double k, double kc)
{
    // Descending Landen: a_{n+1} = (a_n + b_n)/2, b_{n+1} = sqrt(a_n b_n), c_{n+1} = (a_n - b_n)/2
    // until c_N vanishes; phi_N = 2^N a_N u, then phi_{n-1} = (phi_n + asin(c_n/a_n sin phi_n))/2
    // and sn = sin phi_0, cn = cos phi_0. dn comes from kc^2 + k^2 cn^2, which has no cancellation
    // near sn = 1 where 1 - k^2 sn^2 would lose it.
    double ratio[kMaxLandenSteps + 1];   // c_n / a_n for n = 1 ... steps
    double a = 1.0;
    double b = kc;
    double scale = 1.0;
    int steps = 0;
    while (steps < kMaxLandenSteps && std::fabs(a - b) > kLandenTolerance * a) {
        const double half = 0.5 * (a - b);
        const double mean = 0.5 * (a + b);
        b = std::sqrt(a * b);
        a = mean;
        scale *= 2.0;
        ++steps;
        ratio[steps] = half / a;
    }
    double phi = scale * a * u;
    for (int n = steps; n >= 1; --n)
        phi = 0.5 * (phi + std::asin(ratio[n] * std::sin(phi)));
    JacobiValues values;
    values.sn = std::sin(phi);
    values.cn = std::cos(phi);
    values.dn = std::sqrt(kc * kc + k * k * values.cn * values.cn);
    return values;
}

EllipticSelectivity SolveEllipticDegreeEquation(double k1, double k1c, int order)
{
    // tau = K'(k)/K(k). With the nome q = exp(-pi tau): k = (theta2/theta3)^2 and
    // k' = (theta4/theta3)^2. When tau < 1 the complementary nome exp(-pi / tau) is the smaller
    // one and gives the same pair with the roles swapped, so the series never needs more than a
    // handful of terms, whatever the order.
    const double tau = EllipticK(k1) / (order * EllipticK(k1c));
    const bool direct = tau >= 1.0;
    const double q = std::exp(-std::numbers::pi * (direct ? tau : 1.0 / tau));
    const ThetaSums sums = ThetaSeries(q);
    const double viaTheta2 =
        4.0 * std::sqrt(q) * sums.theta2Reduced * sums.theta2Reduced / (sums.theta3 * sums.theta3);
    const double viaTheta4 = (sums.theta4 / sums.theta3) * (sums.theta4 / sums.theta3);
    EllipticSelectivity result;
    result.k = std::fmin(direct ? viaTheta2 : viaTheta4, 1.0);
    result.kc = std::fmin(direct ? viaTheta4 : viaTheta2, 1.0);
    return result;
}
