// Elliptic integrals, Jacobi elliptic functions and the elliptic-filter degree equation, for
// the elliptic (Cauer) filter design. Every routine takes the complementary modulus
// kc = sqrt(1 - k^2) alongside or instead of k where a modulus close to 1 would otherwise lose
// its digits in 1 - k^2. Accuracy is a few units in the last place for 0 <= k < 1.
#pragma once

// Complete elliptic integral of the first kind K(k), given the complementary modulus
// kc = k' = sqrt(1 - k^2) in (0, 1]: K = pi / (2 * AGM(1, kc)).
double EllipticK(double kc);

// Incomplete elliptic integral of the first kind F(phi | k) = integral_0^phi dt / sqrt(1 - k^2
// sin^2 t), for |phi| <= pi/2, by the descending Landen (AGM) sequence. kc = sqrt(1 - k^2) > 0.
double EllipticF(double phi, double kc);

struct JacobiValues {
    double sn = 0.0;
    double cn = 1.0;
    double dn = 1.0;
};

// sn, cn and dn of (u, k) by the descending Landen (Gauss) transformation. k in [0, 1), with
// kc = sqrt(1 - k^2) passed separately so that both stay exact near k = 1.
JacobiValues JacobiFunctions(double u, double k, double kc);

// Solution of the degree equation K(k')/K(k) = K(k1')/(n K(k1)) for the selectivity k of an
// order-n elliptic filter with discrimination k1 (k1c = sqrt(1 - k1^2)). The result is the
// ratio of passband edge to stopband edge: the stopband starts at 1/k of the passband edge.
struct EllipticSelectivity {
    double k = 0.0;    // selectivity, at most 1
    double kc = 1.0;   // sqrt(1 - k^2), computed on its own so that it keeps its digits near k = 1
};
EllipticSelectivity SolveEllipticDegreeEquation(double k1, double k1c, int order);
