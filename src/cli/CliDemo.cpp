#include "CliDemo.h"

#include "CliContext.h"

#include "ProcessingData.h"
#include "ReadWriteMyFile.h"
#include "ResultText.h"
#include "TestSignal.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <climits>

void AddDemoOptions(CLI::App& app, DemoOptions& options)
{
    AddValueOption(app, "--type", options.type);
    AddValueOption(app, "--freq", options.freq);
    AddValueOption(app, "--amplitude", options.amplitude);
    AddValueOption(app, "--fi-z", options.fiZ);
    AddValueOption(app, "--fi-x", options.fiX);
    AddValueOption(app, "--noise", options.noise);
    AddValueOption(app, "--rate", options.rate);
    AddValueOption(app, "--duration", options.duration);
}

namespace {

std::string applySignalType(const std::optional<std::string>& type, Settings& s)
{
    if (!type)
        return {};
    if (*type == "sine")
        s.type_sig = 0;
    else if (*type == "meander")
        s.type_sig = 1;
    else if (*type == "impulse")
        s.type_sig = 2;
    else
        return "--type: expected sine, meander or impulse, got \"" + *type + "\"";
    return {};
}

// A whole-number parameter of the dialog, its option, its key in the record and its range.
struct IntParameter {
    const char* name;
    const std::optional<std::string>* text;
    const char* key;
    int32_t* field;
    int64_t min;
    int64_t max;
};

std::string applyIntParameter(const IntParameter& p)
{
    const std::string range =
        "expected a whole number from " + std::to_string(p.min) + " to " + std::to_string(p.max) + ", got ";
    if (const std::optional<std::string>& text = *p.text) {
        const std::optional<int> v = ParseInteger(*text);
        if (!v || *v < p.min || *v > p.max)
            return std::string(p.name) + " (" + p.key + "): " + range + "\"" + *text + "\"";
        *p.field = *v;
    } else if (*p.field < p.min || *p.field > p.max) {
        // A stored value the dialog would not have let through.
        return std::string("the settings store's ") + p.key + ": " + range + std::to_string(*p.field) +
               "; give " + p.name;
    }
    return {};
}

}   // namespace

std::string ApplyDemoOptions(const DemoOptions& options, Settings& s)
{
    if (std::string error = applySignalType(options.type, s); !error.empty())
        return error;
    // The amplitude is entered in the dialog as 0 ... 1000 V and stored as trunc(V / VOLT + 1)
    // ADC steps, so it is never 0 steps.
    const int64_t maxAmplitude = std::min<int64_t>(
        INT32_MAX, static_cast<int64_t>(std::min(1000.0 / s.VOLT + 1.0, static_cast<double>(INT32_MAX))));
    const IntParameter parameters[] = {
        {"--freq", &options.freq, "freq_sig", &s.freq_sig, 1, 10000},
        {"--amplitude", &options.amplitude, "ampl_sig", &s.ampl_sig, 1, maxAmplitude},
        {"--fi-z", &options.fiZ, "FI_Z", &s.FI_Z, 0, 360},
        {"--fi-x", &options.fiX, "FI_X", &s.FI_X, 0, 360},
        {"--noise", &options.noise, "ampl_noise_sig", &s.ampl_noise_sig, 0, 100},
        {"--rate", &options.rate, "freq_ocifr", &s.freq_ocifr, 64, 100000000},
        {"--duration", &options.duration, "dlit", &s.dlit, 1, 10},
    };
    for (const IntParameter& p : parameters)
        if (std::string error = applyIntParameter(p); !error.empty())
            return error;
    // A tone at or above half the rate the processing window uses is sampled as another one.
    const double nyquist = SegmentEvenRate(static_cast<uint32_t>(s.freq_ocifr)) / 2.0;
    if (!(s.freq_sig < nyquist))
        return "--freq (freq_sig): " + std::to_string(s.freq_sig) +
               " Hz is not below the Nyquist frequency " + MachineNumber(nyquist) +
               " Hz of the sampling rate (--rate " + std::to_string(s.freq_ocifr) +
               " Hz); a higher rate or a lower frequency is needed";
    return {};
}
