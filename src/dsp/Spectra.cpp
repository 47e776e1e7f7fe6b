// Amplitude spectra of the six channels for the processing window's spectrum command.
#include "Spectra.h"

#include "RealDft.h"
#include "Windows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

bool ComputeAmplitudeSpectra(int N, int windowItem, bool periodic, double scale,
                             const double* const channels[6], double* const spectra[6])
{
    if (N <= 1) {
        return false;
    }
    const size_t n = static_cast<size_t>(N);
    const size_t bins = n / 2;

    // The half spectrum (bins 0 ... N/2) and, for a window, a work array for the weighted
    // samples; without one the channel is transformed as it is.
    const bool weighted = periodic && windowItem != kWindowItemNone;
    std::unique_ptr<double[]> work(weighted ? new (std::nothrow) double[n] : nullptr);
    std::unique_ptr<double[]> re(new (std::nothrow) double[bins + 1]);
    std::unique_ptr<double[]> im(new (std::nothrow) double[bins + 1]);
    bool failed = !re || !im || (weighted && !work);

    // The window's weights are the same for the six channels: made once, applied to each.
    WindowWeights windowWeights;
    AnalysisStatus windowStatus = kAnalysisOk;
    if (weighted && !failed) {
        try {
            windowStatus = MakeWindowWeights(N, windowItem, windowWeights);
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    }
    const double factor = 2.0 * (periodic ? 1.0 : scale) / static_cast<double>(N);
    for (int k = 0; k < 6 && !failed; ++k) {
        const double* samples = channels[k];
        if (weighted) {
            ApplyWindowWeights(windowWeights, channels[k], work.get());
            samples = work.get();
        }
        if (RealDftHalf(samples, re.get(), im.get(), N) != kAnalysisOk) {
            failed = true;
            break;
        }
        if (periodic) {
            re[0] = 0.0;
            im[0] = 0.0;
        }
        double* out = spectra[k];
        for (size_t i = 0; i < bins; ++i) {
            out[i] = std::sqrt(re[i] * re[i] + im[i] * im[i]) * factor;
        }
    }
    if (failed) {
        for (int k = 0; k < 6; ++k) {
            std::fill(spectra[k], spectra[k] + bins, 0.0);
        }
        return true;
    }
    return windowStatus != kAnalysisOk;
}
