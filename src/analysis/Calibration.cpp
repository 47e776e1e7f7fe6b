#include "Calibration.h"

#include "CoreText.h"
#include "Filters.h"
#include "NumberText.h"
#include "RealDft.h"
#include "Windows.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kReferencePressure = 20e-6;   // Pa
constexpr int kBandFilterOrder = 3;
// The band-pass filter's start-up: left out of every RMS. Ten periods of the band's width are
// ample for a third-order Butterworth band to settle to well below 0.001 dB.
constexpr double kSettlingBandwidths = 10.0;

double ThirdOctaveFactor()
{
    return std::pow(10.0, 0.3 / 6.0);   // G^(1/6), G = 10^(3/10): the edges of a one-third-octave band
}

double Rms(const double* x, int count)
{
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += x[i] * x[i];
    return count > 0 ? std::sqrt(sum / count) : 0.0;
}

// The frequency of the strongest component above 10 Hz (below, drift and handling noise): the
// Hann-weighted spectrum's largest bin, refined by a parabola through the log magnitudes of it
// and its neighbours. A calibrator drowns everything else, so this is its tone wherever it is.
double StrongestFrequency(const double* x, int count, double rate)
{
    std::vector<double> weighted(x, x + count);
    WindowConstants constants;
    ApplyWindowListItem(weighted.data(), count, 2, constants);   // Hanning
    const int half = count / 2;
    std::vector<double> re(static_cast<size_t>(half) + 1), im(static_cast<size_t>(half) + 1);
    if (RealDftHalf(weighted.data(), re.data(), im.data(), count) != 0)
        return 0.0;
    const double df = rate / count;
    const int lo = std::max(1, static_cast<int>(std::ceil(10.0 / df)));
    const int hi = half - 1;
    int best = -1;
    double bestMagnitude = 0.0;
    for (int k = lo; k <= hi; ++k) {
        const double magnitude = std::hypot(re[k], im[k]);
        if (magnitude > bestMagnitude) {
            bestMagnitude = magnitude;
            best = k;
        }
    }
    if (best < 1)
        return 0.0;
    const double a = std::log(std::hypot(re[best - 1], im[best - 1]) + 1e-300);
    const double b = std::log(bestMagnitude);
    const double c = std::log(std::hypot(re[best + 1], im[best + 1]) + 1e-300);
    const double denominator = a - 2 * b + c;
    const double offset = denominator < 0 ? 0.5 * (a - c) / denominator : 0.0;
    return (best + std::clamp(offset, -0.5, 0.5)) * df;
}

double Db(double ratio)
{
    return 20.0 * std::log10(ratio);
}

}   // namespace

ChannelCalibration CalibrateChannel(const double* volts, int count, double rate, const CalibratorTone& tone,
                                    double oldSensitivity)
{
    ChannelCalibration out;
    out.oldSensitivity = oldSensitivity;
    if (!(tone.levelDb > 0 && std::isfinite(tone.levelDb) && tone.frequency > 0 &&
          std::isfinite(tone.frequency)) ||
        !(rate > 0)) {
        out.status = CalibrationStatus::BadTone;
        return out;
    }
    const double lower = tone.frequency / ThirdOctaveFactor();
    const double upper = tone.frequency * ThirdOctaveFactor();
    if (upper >= rate / 2) {
        out.status = CalibrationStatus::ToneAboveNyquist;
        return out;
    }
    const int settling = static_cast<int>(std::ceil(kSettlingBandwidths / (upper - lower) * rate));
    const int usable = count - settling;
    if (usable < kCalibrationMinSeconds * rate) {
        out.status = CalibrationStatus::TooShort;
        return out;
    }
    std::vector<double> band(static_cast<size_t>(count));
    if (ButterworthBandPass(volts, count, rate, lower, upper, kBandFilterOrder, band.data()) != 0) {
        out.status = CalibrationStatus::ToneAboveNyquist;
        return out;
    }
    const double* steady = band.data() + settling;
    out.rmsVolts = Rms(steady, usable);
    if (!(out.rmsVolts > 0) || !std::isfinite(out.rmsVolts)) {
        out.status = CalibrationStatus::NoSignal;
        return out;
    }
    const double pressure = kReferencePressure * std::pow(10.0, tone.levelDb / 20.0);
    out.sensitivity = 1000.0 * out.rmsVolts / pressure;
    out.foundFrequency = StrongestFrequency(volts + settling, usable, rate);
    out.toneElsewhere = !(out.foundFrequency >= lower && out.foundFrequency <= upper);
    if (oldSensitivity > 0 && std::isfinite(oldSensitivity)) {
        out.levelWithOldDb = Db(out.rmsVolts / (oldSensitivity / 1000.0) / kReferencePressure);
        out.changeDb = Db(out.sensitivity / oldSensitivity);
        out.largeChange = std::fabs(*out.changeDb) > kCalibrationChangeLimitDb;
    }
    const int second = static_cast<int>(rate);
    if (usable >= 2 * second) {
        double lowest = INFINITY, highest = -INFINITY;
        for (int start = 0; start + second <= usable; start += second) {
            const double level = Db(Rms(steady + start, second));
            lowest = std::min(lowest, level);
            highest = std::max(highest, level);
        }
        out.stabilityDb = highest - lowest;
        out.unstable = *out.stabilityDb > kCalibrationStabilityLimitDb;
    }
    return out;
}

std::vector<std::string> CalibrationWarningsRu(const ChannelCalibration& result, const CalibratorTone& tone)
{
    std::vector<std::string> warnings;
    if (result.toneElsewhere)
        warnings.push_back(
            FillArgs(CoreText("Calibration", "Сильнейшая составляющая на %1 Гц, а не около %2 Гц: "
                                             "проверьте калибратор и частоту."),
                     {NumberText(result.foundFrequency, 1), NumberText(tone.frequency, 1)}));
    if (result.unstable)
        warnings.push_back(
            FillArgs(CoreText("Calibration", "Уровень меняется на %1 дБ за запись: калибратор или "
                                             "микрофон сидят неплотно."),
                     {NumberText(*result.stabilityDb, 2)}));
    if (result.largeChange)
        warnings.push_back(
            FillArgs(CoreText("Calibration", "Чувствительность изменилась на %1 дБ против прежней."),
                     {NumberText(*result.changeDb, 2)}));
    return warnings;
}
