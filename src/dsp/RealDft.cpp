// Real-input DFT of any length: a Stockham (self-sorting) mixed-radix complex FFT with
// hand-written butterflies for 2, 3, 4, 5, 8 and 10 and a generic butterfly for other
// primes up to 998, Bluestein's chirp-z transform for lengths with a larger prime
// factor, and the usual packing of an even-length real array into a half-length complex
// one.
//
// Kept in one file above the usual size: the butterflies, the plan and Bluestein's method
// share private helpers and constants, and splitting them would only spread one algorithm
// over several files.
#include "RealDft.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace {

// The butterflies must melt into their pass loops so that t[] lives in registers; at -O2
// the compiler otherwise keeps the larger ones out of line.
#define SONORIX_INLINE inline __attribute__((always_inline))

struct Cx {
    double r;
    double i;
};

inline Cx operator+(Cx a, Cx b) { return {a.r + b.r, a.i + b.i}; }
inline Cx operator-(Cx a, Cx b) { return {a.r - b.r, a.i - b.i}; }
inline Cx operator*(Cx a, Cx b) { return {a.r * b.r - a.i * b.i, a.r * b.i + a.i * b.r}; }
inline Cx Scale(Cx a, double s) { return {a.r * s, a.i * s}; }
inline Cx Conj(Cx a) { return {a.r, -a.i}; }
inline Cx MulNegI(Cx a) { return {a.i, -a.r}; }   // (-j) * a

constexpr int kLargestDirectPrime = 998;
// The generic butterfly keeps its roots, sums and differences (3p complex values) in one
// pooled buffer.
static_assert(3 * kLargestDirectPrime * 2 * sizeof(double) <= kDftPoolBufferBytes);

// ---------------------------------------------------------------------------------------
// Work buffers for the generic butterfly. Kept in a process-wide pool so that repeated
// transforms do not go back to the allocator; the lock is created on first use.

class BufferPool {
public:
    ~BufferPool()
    {
        for (double* b : idle_) {
            delete[] b;
        }
    }

    double* Acquire()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (double*& b : idle_) {
                if (b != nullptr) {
                    double* taken = b;
                    b = nullptr;
                    return taken;
                }
            }
        }
        return new (std::nothrow) double[kDftPoolBufferBytes / sizeof(double)];
    }

    void Release(double* buffer)
    {
        if (buffer == nullptr) {
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (double*& b : idle_) {
                if (b == nullptr) {
                    b = buffer;
                    return;
                }
            }
        }
        delete[] buffer;
    }

private:
    std::mutex mutex_;
    std::array<double*, kDftPoolSize> idle_{};
};

BufferPool& Pool()
{
    static BufferPool pool;
    return pool;
}

class PooledBuffer {
public:
    PooledBuffer() : data_(Pool().Acquire()) {}
    ~PooledBuffer() { Pool().Release(data_); }
    PooledBuffer(const PooledBuffer&) = delete;
    PooledBuffer& operator=(const PooledBuffer&) = delete;
    double* get() const { return data_; }

private:
    double* data_;
};

template <class T>
std::unique_ptr<T[]> Allocate(size_t count)
{
    // Uninitialised on purpose: every element is written before it is read.
    return std::unique_ptr<T[]>(new T[count]);
}

// ---------------------------------------------------------------------------------------
// exp(-j*2*pi*m/n), to long-double accuracy. The angle is reduced with integers first:
// 2*pi*m/n = q*pi/2 + phi with q the nearest quarter turn and |phi| <= pi/4, so the
// library only ever sees a small argument (no costly reduction, no lost digits).
Cx ExactRoot(size_t m, size_t n)
{
    constexpr long double kHalfPi = 1.570796326794896619231321691639751442L;
    const int64_t scaled = 4 * static_cast<int64_t>(m % n);   // angle in quarter turns times n
    const int64_t nn = static_cast<int64_t>(n);
    const int64_t quarter = (2 * scaled + nn) / (2 * nn);      // nearest quarter turn
    const int64_t rest = scaled - quarter * nn;                // |rest| <= n/2
    const long double phi = kHalfPi * static_cast<long double>(rest) / static_cast<long double>(n);
    const long double c = std::cos(phi);
    const long double s = std::sin(phi);
    long double cosine = 0.0L;
    long double sine = 0.0L;
    switch (quarter & 3) {
    case 0: cosine = c; sine = s; break;
    case 1: cosine = -s; sine = c; break;
    case 2: cosine = -c; sine = -s; break;
    default: cosine = s; sine = -c; break;
    }
    return {static_cast<double>(cosine), static_cast<double>(-sine)};
}

// exp(-j*2*pi*m/n) for 0 <= m <= n, as the product of two entries of small exact tables
// (m = hi*2^shift + lo), so every root is within about one rounding of the exact value
// at the cost of one complex product.

class UnitRoots {
public:
    explicit UnitRoots(size_t n)
    {
        shift_ = (std::bit_width(n) + 1) / 2;
        mask_ = (size_t{1} << shift_) - 1;
        fine_.resize(mask_ + 1);
        coarse_.resize((n >> shift_) + 2);
        for (size_t m = 0; m < fine_.size(); ++m) {
            fine_[m] = ExactRoot(m, n);
        }
        for (size_t m = 0; m < coarse_.size(); ++m) {
            coarse_[m] = ExactRoot(m << shift_, n);
        }
    }

    Cx operator()(size_t m) const { return coarse_[m >> shift_] * fine_[m & mask_]; }

private:
    size_t shift_ = 0;
    size_t mask_ = 0;
    std::vector<Cx> fine_;
    std::vector<Cx> coarse_;
};

// ---------------------------------------------------------------------------------------
// Butterflies. Each maps t[0..P-1] to its forward P-point DFT in place.

struct Radix2 {
    static constexpr size_t P = 2;
    SONORIX_INLINE void operator()(Cx* t) const
    {
        const Cx a = t[0];
        t[0] = a + t[1];
        t[1] = a - t[1];
    }
};

SONORIX_INLINE void Dft4(Cx u0, Cx u1, Cx u2, Cx u3, Cx& y0, Cx& y1, Cx& y2, Cx& y3)
{
    const Cx s02 = u0 + u2;
    const Cx d02 = u0 - u2;
    const Cx s13 = u1 + u3;
    const Cx d13 = MulNegI(u1 - u3);
    y0 = s02 + s13;
    y2 = s02 - s13;
    y1 = d02 + d13;
    y3 = d02 - d13;
}

struct Radix4 {
    static constexpr size_t P = 4;
    SONORIX_INLINE void operator()(Cx* t) const { Dft4(t[0], t[1], t[2], t[3], t[0], t[1], t[2], t[3]); }
};

struct Radix3 {
    static constexpr size_t P = 3;
    SONORIX_INLINE void operator()(Cx* t) const
    {
        constexpr double half = 0.5;
        constexpr double s60 = 0.86602540378443864676;   // sin(2*pi/3)
        const Cx s = t[1] + t[2];
        const Cx d = t[1] - t[2];
        const Cx m = t[0] - Scale(s, half);
        const Cx rot = {d.i * s60, -d.r * s60};   // -j*sin(2*pi/3)*d
        t[0] = t[0] + s;
        t[1] = m + rot;
        t[2] = m - rot;
    }
};

SONORIX_INLINE void Dft5(Cx t0, Cx t1, Cx t2, Cx t3, Cx t4, Cx& y0, Cx& y1, Cx& y2, Cx& y3, Cx& y4)
{
    constexpr double c1 = 0.30901699437494742410;    // cos(2*pi/5)
    constexpr double c2 = -0.80901699437494742410;   // cos(4*pi/5)
    constexpr double s1 = 0.95105651629515357212;    // sin(2*pi/5)
    constexpr double s2 = 0.58778525229247312917;    // sin(4*pi/5)
    const Cx a1 = t1 + t4;
    const Cx b1 = t1 - t4;
    const Cx a2 = t2 + t3;
    const Cx b2 = t2 - t3;
    const Cx m1 = {t0.r + c1 * a1.r + c2 * a2.r, t0.i + c1 * a1.i + c2 * a2.i};
    const Cx m2 = {t0.r + c2 * a1.r + c1 * a2.r, t0.i + c2 * a1.i + c1 * a2.i};
    const Cx n1 = {s1 * b1.r + s2 * b2.r, s1 * b1.i + s2 * b2.i};
    const Cx n2 = {s2 * b1.r - s1 * b2.r, s2 * b1.i - s1 * b2.i};
    y0 = t0 + a1 + a2;
    y1 = m1 + MulNegI(n1);
    y4 = m1 - MulNegI(n1);
    y2 = m2 + MulNegI(n2);
    y3 = m2 - MulNegI(n2);
}

struct Radix5 {
    static constexpr size_t P = 5;
    SONORIX_INLINE void operator()(Cx* t) const { Dft5(t[0], t[1], t[2], t[3], t[4], t[0], t[1], t[2], t[3], t[4]); }
};

struct Radix8 {
    static constexpr size_t P = 8;
    SONORIX_INLINE void operator()(Cx* t) const
    {
        constexpr double r2 = 0.70710678118654752440;
        Cx e0, e1, e2, e3, o0, o1, o2, o3;
        Dft4(t[0], t[2], t[4], t[6], e0, e1, e2, e3);
        Dft4(t[1], t[3], t[5], t[7], o0, o1, o2, o3);
        o1 = {(o1.r + o1.i) * r2, (o1.i - o1.r) * r2};    // * exp(-j*pi/4)
        o2 = MulNegI(o2);                                  // * exp(-j*pi/2)
        o3 = {(o3.i - o3.r) * r2, -(o3.r + o3.i) * r2};   // * exp(-j*3*pi/4)
        t[0] = e0 + o0;
        t[4] = e0 - o0;
        t[1] = e1 + o1;
        t[5] = e1 - o1;
        t[2] = e2 + o2;
        t[6] = e2 - o2;
        t[3] = e3 + o3;
        t[7] = e3 - o3;
    }
};

struct Radix10 {
    static constexpr size_t P = 10;
    SONORIX_INLINE void operator()(Cx* t) const
    {
        constexpr Cx w1 = {0.80901699437494742410, -0.58778525229247312917};   // exp(-j*pi/5)
        constexpr Cx w2 = {0.30901699437494742410, -0.95105651629515357212};
        constexpr Cx w3 = {-0.30901699437494742410, -0.95105651629515357212};
        constexpr Cx w4 = {-0.80901699437494742410, -0.58778525229247312917};
        Cx e[5], o[5];
        Dft5(t[0], t[2], t[4], t[6], t[8], e[0], e[1], e[2], e[3], e[4]);
        Dft5(t[1], t[3], t[5], t[7], t[9], o[0], o[1], o[2], o[3], o[4]);
        o[1] = o[1] * w1;
        o[2] = o[2] * w2;
        o[3] = o[3] * w3;
        o[4] = o[4] * w4;
        for (size_t q = 0; q < 5; ++q) {
            t[q] = e[q] + o[q];
            t[q + 5] = e[q] - o[q];
        }
    }
};

// Twiddle sources for the passes: exp(-j*2*pi*q*i/(P*ido)) for butterfly column i and
// output q. The first pass (l1 = 1) would need a table nearly as long as the transform,
// so it computes its factors from the small root tables instead; later passes, whose
// tables are short, read them.
struct TableTwiddles {
    const Cx* wa;        // wa[(i-1)*(P-1) + (q-1)]
    size_t perColumn;    // P - 1
    const Cx* Column(size_t i) const { return wa + (i - 1) * perColumn; }
    Cx operator()(const Cx* column, size_t /*i*/, size_t q) const { return column[q - 1]; }
};

struct RootTwiddles {
    const UnitRoots* roots;   // roots of the full length P*ido
    const Cx* Column(size_t /*i*/) const { return nullptr; }
    Cx operator()(const Cx* /*column*/, size_t i, size_t q) const { return (*roots)(q * i); }
};

// One Stockham pass. The input holds l1 independent sequences of length P*ido, sequence k
// at cc[k*P*ido ...]; element i + ido*j of sequence k goes through butterfly (k, i) as
// its input j. Output q of that butterfly, times exp(-j*2*pi*q*i/(P*ido)), is element i of
// sub-sequence k + l1*q, which the next pass transforms with length ido. After the last
// pass (ido = 1) the result stands in natural order.
template <class Butterfly, class Twiddles>
void StockhamPass(size_t ido, size_t l1, const Cx* cc, Cx* ch, const Twiddles& twiddles)
{
    constexpr size_t P = Butterfly::P;
    const Butterfly butterfly;
    for (size_t k = 0; k < l1; ++k) {
        const Cx* in = cc + k * P * ido;
        Cx* out = ch + k * ido;
        {
            Cx t[P];
            for (size_t j = 0; j < P; ++j) {
                t[j] = in[ido * j];
            }
            butterfly(t);
            for (size_t q = 0; q < P; ++q) {
                out[ido * l1 * q] = t[q];
            }
        }
        for (size_t i = 1; i < ido; ++i) {
            Cx t[P];
            for (size_t j = 0; j < P; ++j) {
                t[j] = in[i + ido * j];
            }
            butterfly(t);
            const Cx* column = twiddles.Column(i);
            out[i] = t[0];
            for (size_t q = 1; q < P; ++q) {
                out[i + ido * l1 * q] = t[q] * twiddles(column, i, q);
            }
        }
    }
}

// The same pass for any odd prime p up to 998. buffer holds at least 6*p doubles.
template <class Twiddles>
void GenericPass(size_t p, size_t ido, size_t l1, const Cx* cc, Cx* ch, const Twiddles& twiddles,
                 double* buffer)
{
    Cx* roots = reinterpret_cast<Cx*>(buffer);   // exp(-j*2*pi*m/p), m = 0 ... p-1
    Cx* sums = roots + p;                         // t[j] + t[p-j], j = 1 ... (p-1)/2
    Cx* diffs = sums + p;                         // t[j] - t[p-j]
    const size_t half = (p - 1) / 2;
    for (size_t m = 0; m < p; ++m) {
        roots[m] = ExactRoot(m, p);
    }
    for (size_t k = 0; k < l1; ++k) {
        const Cx* in = cc + k * p * ido;
        Cx* out = ch + k * ido;
        for (size_t i = 0; i < ido; ++i) {
            const Cx t0 = in[i];
            Cx y0 = t0;
            for (size_t j = 1; j <= half; ++j) {
                const Cx a = in[i + ido * j];
                const Cx b = in[i + ido * (p - j)];
                sums[j] = a + b;
                diffs[j] = a - b;
                y0 = y0 + sums[j];
            }
            out[i] = y0;
            const Cx* column = (i > 0) ? twiddles.Column(i) : nullptr;
            for (size_t q = 1; q <= half; ++q) {
                // y_q = t0 + sum_j cos(2pi qj/p) s_j - j * sum_j sin(2pi qj/p) d_j,
                // y_{p-q} the same with +j.
                Cx re = t0;
                Cx im = {0.0, 0.0};
                size_t idx = 0;
                for (size_t j = 1; j <= half; ++j) {
                    idx += q;
                    if (idx >= p) {
                        idx -= p;
                    }
                    const double c = roots[idx].r;
                    const double s = -roots[idx].i;
                    re.r += c * sums[j].r;
                    re.i += c * sums[j].i;
                    im.r += s * diffs[j].r;
                    im.i += s * diffs[j].i;
                }
                Cx yq = re + MulNegI(im);
                Cx yr = re - MulNegI(im);
                if (i > 0) {
                    yq = yq * twiddles(column, i, q);
                    yr = yr * twiddles(column, i, p - q);
                }
                out[i + ido * l1 * q] = yq;
                out[i + ido * l1 * (p - q)] = yr;
            }
        }
    }
}

// Radices in the order the passes run (the reverse of extraction: extraction takes 10, 8,
// 5, 4, 3, 2 greedily, turns a trailing 8 ... 2 into 4, 4, then splits the rest into
// primes).
std::vector<size_t> Factorise(size_t n)
{
    std::vector<size_t> extracted;
    for (size_t radix : {size_t{10}, size_t{8}, size_t{5}, size_t{4}, size_t{3}, size_t{2}}) {
        while (n % radix == 0) {
            extracted.push_back(radix);
            n /= radix;
        }
    }
    if (!extracted.empty() && extracted.back() == 2) {
        for (size_t& f : extracted) {
            if (f == 8) {
                f = 4;
                extracted.back() = 4;
                break;
            }
        }
    }
    for (size_t d = 7; d * d <= n; d += 2) {
        while (n % d == 0) {
            extracted.push_back(d);
            n /= d;
        }
    }
    if (n > 1) {
        extracted.push_back(n);
    }
    return std::vector<size_t>(extracted.rbegin(), extracted.rend());
}

// Forward complex transform of n points. data and scratch hold n points each; the
// result ends in one of them, which Run returns.
bool HasGenericButterfly(size_t radix)
{
    return radix != 2 && radix != 3 && radix != 4 && radix != 5 && radix != 8 && radix != 10;
}

class ComplexFft {
public:
    explicit ComplexFft(size_t n) : n_(n), factors_(Factorise(n))
    {
        size_t largest = 1;
        for (size_t f : factors_) {
            largest = std::max(largest, f);
            needsBuffer_ = needsBuffer_ || HasGenericButterfly(f);
        }
        bluestein_ = largest > kLargestDirectPrime;
        if (bluestein_) {
            return;
        }
        if (factors_.empty()) {
            return;
        }
        roots_ = std::make_unique<UnitRoots>(n);
        size_t total = 0;
        {
            size_t l1 = factors_[0];
            for (size_t f = 1; f < factors_.size(); ++f) {
                const size_t p = factors_[f];
                const size_t ido = n / (l1 * p);
                total += (p - 1) * (ido - 1);
                l1 *= p;
            }
        }
        twiddles_ = Allocate<Cx>(std::max<size_t>(total, 1));
        const UnitRoots& roots = *roots_;
        Cx* w = twiddles_.get();
        size_t l1 = factors_[0];
        for (size_t f = 1; f < factors_.size(); ++f) {
            const size_t p = factors_[f];
            const size_t ido = n / (l1 * p);
            // exp(-j*2*pi*q*i/(p*ido)) = root of n with index q*i*l1.
            for (size_t i = 1; i < ido; ++i) {
                for (size_t q = 1; q < p; ++q) {
                    *w++ = roots(q * i * l1);
                }
            }
            l1 *= p;
        }
    }

    // The chirp-z path brings its own buffers and leaves Run's scratch untouched.
    bool UsesChirpZ() const { return bluestein_; }

    // buffer: a pooled work buffer for the generic butterfly, or null to take one here.
    Cx* Run(Cx* data, Cx* scratch, double* buffer = nullptr) const
    {
        if (bluestein_) {
            return Bluestein(data);
        }
        std::unique_ptr<PooledBuffer> pooled;
        if (needsBuffer_ && buffer == nullptr) {
            pooled = std::make_unique<PooledBuffer>();
            if (pooled->get() == nullptr) {
                throw std::bad_alloc();
            }
            buffer = pooled->get();
        }
        Cx* cc = data;
        Cx* ch = scratch;
        const Cx* wa = twiddles_.get();
        size_t l1 = 1;
        for (size_t p : factors_) {
            const size_t ido = n_ / (l1 * p);
            if (l1 == 1) {
                Pass(p, ido, l1, cc, ch, RootTwiddles{roots_.get()}, buffer);
            } else {
                Pass(p, ido, l1, cc, ch, TableTwiddles{wa, p - 1}, buffer);
                wa += (p - 1) * (ido - 1);
            }
            l1 *= p;
            std::swap(cc, ch);
        }
        return cc;
    }

private:
    template <class Twiddles>
    static void Pass(size_t p, size_t ido, size_t l1, const Cx* cc, Cx* ch, const Twiddles& twiddles,
                     double* buffer)
    {
        switch (p) {
        case 2: StockhamPass<Radix2>(ido, l1, cc, ch, twiddles); break;
        case 3: StockhamPass<Radix3>(ido, l1, cc, ch, twiddles); break;
        case 4: StockhamPass<Radix4>(ido, l1, cc, ch, twiddles); break;
        case 5: StockhamPass<Radix5>(ido, l1, cc, ch, twiddles); break;
        case 8: StockhamPass<Radix8>(ido, l1, cc, ch, twiddles); break;
        case 10: StockhamPass<Radix10>(ido, l1, cc, ch, twiddles); break;
        default: GenericPass(p, ido, l1, cc, ch, twiddles, buffer); break;
        }
    }

    // X[k] = c_k * sum_t (x_t c_t) conj(c_{k-t}) with c_m = exp(-j*pi*m^2/n): a circular
    // convolution of power-of-two length m >= 2n - 1, done with three transforms.
    // The result replaces data; the convolution needs buffers of its own length m.
    Cx* Bluestein(Cx* data) const
    {
        const size_t n = n_;
        const size_t m = std::bit_ceil(2 * n - 1);
        const UnitRoots roots2n(2 * n);
        auto chirp = Allocate<Cx>(n);
        // k^2 mod 2n, stepped as (k+1)^2 = k^2 + 2k + 1 to avoid a division per point.
        size_t square = 0;
        for (size_t k = 0; k < n; ++k) {
            chirp[k] = roots2n(square);
            square += 2 * k + 1;
            while (square >= 2 * n) {
                square -= 2 * n;
            }
        }
        auto a = Allocate<Cx>(m);
        auto kernel = Allocate<Cx>(m);
        auto work = Allocate<Cx>(m);
        const ComplexFft inner(m);

        // The 1/m of the inverse transform is folded into the kernel.
        const double invM = 1.0 / static_cast<double>(m);
        for (size_t k = 0; k < m; ++k) {
            kernel[k] = {0.0, 0.0};
        }
        kernel[0] = Scale(Conj(chirp[0]), invM);
        for (size_t k = 1; k < n; ++k) {
            kernel[k] = kernel[m - k] = Scale(Conj(chirp[k]), invM);
        }
        const Cx* kernelSpectrum = inner.Run(kernel.get(), work.get());

        for (size_t k = 0; k < n; ++k) {
            a[k] = data[k] * chirp[k];
        }
        for (size_t k = n; k < m; ++k) {
            a[k] = {0.0, 0.0};
        }
        Cx* spectrumBuffer = (kernelSpectrum == kernel.get()) ? work.get() : kernel.get();
        Cx* spectrum = inner.Run(a.get(), spectrumBuffer);
        Cx* other = (spectrum == a.get()) ? spectrumBuffer : a.get();
        // Inverse transform as conj(FFT(conj(.))).
        for (size_t k = 0; k < m; ++k) {
            spectrum[k] = Conj(spectrum[k] * kernelSpectrum[k]);
        }
        // The kernel spectrum lives in the third buffer, untouched by this last run.
        const Cx* conv = inner.Run(spectrum, other);
        for (size_t k = 0; k < n; ++k) {
            data[k] = Conj(conv[k]) * chirp[k];
        }
        return data;
    }

    size_t n_;
    std::vector<size_t> factors_;
    bool bluestein_ = false;
    bool needsBuffer_ = false;
    std::unique_ptr<UnitRoots> roots_;   // twiddles of the first pass
    std::unique_ptr<Cx[]> twiddles_;     // twiddles of the later passes, in pass order
};

void EvenLength(double* x, double* y, size_t n)
{
    // z_t = x_{2t} + j x_{2t+1}: one half-length complex transform gives Z, from which
    // E_k = (Z_k + conj Z_{h-k})/2 and O_k = -j (Z_k - conj Z_{h-k})/2 are the transforms
    // of the even and odd samples, and X_k = E_k + exp(-j 2pi k/n) O_k.
    const size_t h = n / 2;
    const ComplexFft fft(h);
    auto data = Allocate<Cx>(h);
    auto scratch = fft.UsesChirpZ() ? nullptr : Allocate<Cx>(h);
    const UnitRoots roots(n);
    for (size_t t = 0; t < h; ++t) {
        data[t] = {x[2 * t], x[2 * t + 1]};
    }
    const Cx* z = fft.Run(data.get(), scratch.get());

    x[0] = z[0].r + z[0].i;
    y[0] = 0.0;
    x[h] = z[0].r - z[0].i;
    y[h] = 0.0;
    // Bins k and h-k use the same Z values and twiddles exp(-j 2pi k/n) and
    // exp(-j 2pi (h-k)/n) = -conj(exp(-j 2pi k/n)): one root serves both.
    auto store = [&](size_t k, Cx value) {
        x[k] = value.r;
        y[k] = value.i;
        x[n - k] = value.r;
        y[n - k] = -value.i;
    };
    for (size_t k = 1; 2 * k <= h; ++k) {
        const Cx zk = z[k];
        const Cx zm = z[h - k];
        const Cx w = roots(k);
        const Cx e = Scale(zk + Conj(zm), 0.5);
        const Cx o = Scale(MulNegI(zk - Conj(zm)), 0.5);
        store(k, e + w * o);
        if (2 * k != h) {
            // The mirrored bin: E_{h-k} = conj(E_k), O_{h-k} = conj(O_k).
            const Cx wm = {-w.r, w.i};
            store(h - k, Conj(e) + wm * Conj(o));
        }
    }
}

void OddLength(double* x, double* y, size_t n)
{
    const ComplexFft fft(n);
    auto data = Allocate<Cx>(n);
    auto scratch = fft.UsesChirpZ() ? nullptr : Allocate<Cx>(n);
    for (size_t t = 0; t < n; ++t) {
        data[t] = {x[t], 0.0};
    }
    const Cx* z = fft.Run(data.get(), scratch.get());
    x[0] = z[0].r;
    y[0] = 0.0;
    for (size_t k = 1; k < n; ++k) {
        x[k] = z[k].r;
        y[k] = z[k].i;
    }
}

}   // namespace

AnalysisStatus RealDft(double* x, double* y, int N)
{
    if (N <= 0) {
        return kDftBadCount;
    }
    if (N == 1) {
        y[0] = 0.0;
        return kAnalysisOk;
    }
    try {
        const size_t n = static_cast<size_t>(N);
        if (n % 2 == 0) {
            EvenLength(x, y, n);
        } else {
            OddLength(x, y, n);
        }
    } catch (const std::bad_alloc&) {
        return kDftNoMemory;
    }
    return kAnalysisOk;
}
