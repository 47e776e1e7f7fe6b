// The transform runs on FFTW's real-to-complex plans. A plan is costly to make and cheap to
// run, and the windows and the batch tool transform six channels of one length in a row, so
// plans are kept per length and shared by every thread. FFTW's planner is not thread-safe;
// running a plan on new arrays is, as long as the arrays have the alignment the plan was
// made for, which the page-aligned mappings of the work arrays here give.
#include "RealDft.h"

#include "LargeBuffer.h"

#include <fftw3.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>

namespace {

// Where a transform of this thread goes when FFTW cannot have memory; null outside one.
thread_local std::jmp_buf* tNoMemoryExit = nullptr;

}   // namespace

// FFTW takes every block of its own (plans, twiddle tables, buffers) through this function and
// aborts the process when it returns null. This definition replaces the library's (the library
// calls it through its symbol table, FFTW 3.3.10 as built by the distributions): a request
// that cannot be had inside a planning or a transform of this file leaves FFTW for the caller,
// which reports the memory refusal; anywhere else it is refused as before.
extern "C" void* fftw_kernel_malloc(size_t n)
{
    void* p = nullptr;
    if (posix_memalign(&p, 64, n == 0 ? 1 : n) != 0)
        p = nullptr;
    if (p == nullptr && tNoMemoryExit != nullptr)
        std::longjmp(*tNoMemoryExit, 1);
    return p;
}

namespace {

// Runs FFTW's planner or a plan with the failure path above. Nothing between the setjmp and a
// longjmp out of FFTW's C code has a destructor, so leaving that way skips none; what FFTW had
// taken for the failed call stays taken (the process is short of memory and reports it).
fftw_plan PlanOrNull(int n, double* in, fftw_complex* out)
{
    std::jmp_buf exit;
    if (setjmp(exit) != 0) {
        tNoMemoryExit = nullptr;
        return nullptr;
    }
    tNoMemoryExit = &exit;
    // FFTW_ESTIMATE leaves the arrays alone while planning, so the caller's data is safe.
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    tNoMemoryExit = nullptr;
    return plan;
}

bool ExecuteOrFail(fftw_plan plan, double* in, fftw_complex* out)
{
    std::jmp_buf exit;
    if (setjmp(exit) != 0) {
        tNoMemoryExit = nullptr;
        return false;
    }
    tNoMemoryExit = &exit;
    fftw_execute_dft_r2c(plan, in, out);   // a buffered plan takes its buffers here
    tNoMemoryExit = nullptr;
    return true;
}

// Recursive: a plan pushed out of the cache is destroyed while the cache is being changed.
std::recursive_mutex& PlannerLock()
{
    static std::recursive_mutex lock;
    return lock;
}

struct Plan {
    int n = 0;
    fftw_plan plan = nullptr;
    ~Plan()
    {
        if (plan != nullptr) {
            std::lock_guard<std::recursive_mutex> guard(PlannerLock());   // destroying is planning too
            fftw_destroy_plan(plan);
        }
    }
};

std::shared_ptr<Plan> PlanFor(int n, double* in, fftw_complex* out)
{
    std::lock_guard<std::recursive_mutex> guard(PlannerLock());
    // Made after the lock, so it is destroyed before it at exit and its plans can still lock.
    static std::list<std::shared_ptr<Plan>> cache;   // most recently used first
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if ((*it)->n == n) {
            cache.splice(cache.begin(), cache, it);
            return cache.front();
        }
    }
    auto plan = std::make_shared<Plan>();
    plan->n = n;
    plan->plan = PlanOrNull(n, in, out);
    if (plan->plan == nullptr) {
        return nullptr;
    }
    cache.push_front(plan);
    if (cache.size() > static_cast<size_t>(kDftCachedPlans)) {
        cache.pop_back();   // destroyed now, or by the last thread still running it
    }
    return plan;
}

// Work arrays of the calling thread, kept between calls: six channels of one length are
// transformed in a row, and fresh arrays of a few megabytes cost page faults each time.
// Arrays beyond kKeptDoubles are given back after the call, so a rare huge transform does not
// hold its memory for the rest of the program.
constexpr size_t kKeptDoubles = size_t{1} << 21;

// Kept between calls of a thread, mapped in huge pages: a fresh 8 MB output array per call
// would cost its thread two thousand page faults before the transform starts.
struct WorkArrays {
    LargeBlock in;
    LargeBlock out;
};

double* RealArray(WorkArrays& work, size_t count)
{
    return static_cast<double*>(work.in.reserve(count * sizeof(double)));
}

fftw_complex* ComplexArray(WorkArrays& work, size_t count)
{
    return static_cast<fftw_complex*>(work.out.reserve(count * sizeof(fftw_complex)));
}

void TrimWorkArrays(WorkArrays& work)
{
    if (work.in.size() > kKeptDoubles * sizeof(double))
        work.in.release();
    if (work.out.size() > kKeptDoubles * sizeof(double))
        work.out.release();
}

const fftw_complex* Transform(const double* x, int n, WorkArrays& work)
{
    const size_t count = static_cast<size_t>(n);
    fftw_complex* out = ComplexArray(work, count / 2 + 1);
    if (out == nullptr) {
        return nullptr;
    }
    // Plans are made for SIMD-aligned arrays; an input that is not aligned so is copied.
    double* in = const_cast<double*>(x);
    if (fftw_alignment_of(in) != 0) {
        in = RealArray(work, count);
        if (in == nullptr) {
            return nullptr;
        }
        std::memcpy(in, x, count * sizeof(double));
    }
    const std::shared_ptr<Plan> plan = PlanFor(n, in, out);
    if (!plan) {
        return nullptr;
    }
    if (!ExecuteOrFail(plan->plan, in, out)) {
        return nullptr;
    }
    return out;
}

WorkArrays& ThreadWorkArrays()
{
    thread_local WorkArrays work;
    return work;
}

}   // namespace

AnalysisStatus RealDftBins(const double* x, double* re, double* im, int N, int count)
{
    if (N <= 0) {
        return kDftBadCount;
    }
    WorkArrays& work = ThreadWorkArrays();
    const fftw_complex* out = Transform(x, N, work);
    if (out == nullptr) {
        TrimWorkArrays(work);
        return kDftNoMemory;
    }
    const size_t half = static_cast<size_t>(N) / 2;
    const size_t bins = std::min(static_cast<size_t>(std::max(count, 0)), half + 1);
    for (size_t k = 0; k < bins; ++k) {
        re[k] = out[k][0];
        im[k] = out[k][1];
    }
    // The ends of a real signal's spectrum are real; the contract promises an exact 0.
    if (bins > 0) {
        im[0] = 0.0;
    }
    if (N % 2 == 0 && bins > half) {
        im[half] = 0.0;
    }
    TrimWorkArrays(work);
    return kAnalysisOk;
}

AnalysisStatus RealDftHalf(const double* x, double* re, double* im, int N)
{
    return RealDftBins(x, re, im, N, N / 2 + 1);
}

AnalysisStatus RealDft(double* x, double* y, int N)
{
    // The half transform reads all of x before it writes the first bin, so x may take it.
    const AnalysisStatus status = RealDftBins(x, x, y, N, N / 2 + 1);
    if (status != kAnalysisOk) {
        return status;
    }
    const size_t n = static_cast<size_t>(N);
    for (size_t k = n / 2 + 1; k < n; ++k) {
        x[k] = x[n - k];
        y[k] = -y[n - k];
    }
    return kAnalysisOk;
}

AnalysisStatus RealDftInto(const double* x, int N, double* out)
{
    if (N <= 0) {
        return kDftBadCount;
    }
    const size_t count = static_cast<size_t>(N);
    auto* bins = reinterpret_cast<fftw_complex*>(out);
    // The plans are made for SIMD-aligned arrays: where either array is not, the work arrays
    // stand in.
    WorkArrays& work = ThreadWorkArrays();
    double* in = const_cast<double*>(x);
    if (fftw_alignment_of(in) != 0) {
        in = RealArray(work, count);
        if (in != nullptr) {
            std::memcpy(in, x, count * sizeof(double));
        }
    }
    const bool direct = fftw_alignment_of(out) == 0;
    fftw_complex* target = direct ? bins : ComplexArray(work, count / 2 + 1);
    const std::shared_ptr<Plan> plan = in && target ? PlanFor(N, in, target) : nullptr;
    if (!plan) {
        TrimWorkArrays(work);
        return kDftNoMemory;
    }
    if (!ExecuteOrFail(plan->plan, in, target)) {
        TrimWorkArrays(work);
        return kDftNoMemory;
    }
    if (!direct) {
        std::memcpy(bins, target, (count / 2 + 1) * sizeof(fftw_complex));
    }
    TrimWorkArrays(work);
    bins[0][1] = 0.0;
    if (N % 2 == 0) {
        bins[N / 2][1] = 0.0;
    }
    return kAnalysisOk;
}

double* AllocateDftArray(size_t doubles)
{
    return doubles > 0 ? fftw_alloc_real(doubles) : nullptr;
}

void FreeDftArray(double* array)
{
    if (array != nullptr)
        fftw_free(array);
}

RealDftPlan::RealDftPlan(int N) : n_(N)
{
    if (N <= 0)
        return;
    // The planner only looks at these arrays' alignment (an estimated plan), so any aligned
    // pair stands for the caller's.
    double* in = fftw_alloc_real(static_cast<size_t>(N));
    fftw_complex* out = fftw_alloc_complex(static_cast<size_t>(N) / 2 + 1);
    if (in != nullptr && out != nullptr) {
        std::shared_ptr<Plan> plan = PlanFor(N, in, out);
        if (plan) {
            plan_ = plan->plan;
            holder_ = std::move(plan);
        }
    }
    if (in != nullptr)
        fftw_free(in);
    if (out != nullptr)
        fftw_free(out);
}

void RealDftPlan::execute(double* in, double* out) const
{
    fftw_execute_dft_r2c(static_cast<fftw_plan>(plan_), in, reinterpret_cast<fftw_complex*>(out));
}
