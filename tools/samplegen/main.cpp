// sonorix-samplegen: writes sample raw recordings (*.dat) and segment files (*.kvnb).
#include "ReadWriteMyFile.h"
#include "SampleGen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char* const kHelp =
    "Usage:\n"
    "  sonorix-samplegen raw OUT.dat [options]\n"
    "  sonorix-samplegen segment OUT.kvnb [options]\n"
    "\n"
    "Writes a recording of a plane wave reaching the three-axis probe.\n"
    "\n"
    "Common options:\n"
    "  --rate R            samples (records) per second per channel [40000]\n"
    "  --freq F            wave frequency, Hz [500]\n"
    "  --amplitude A       wave amplitude, ADC steps [1000]\n"
    "  --fi-z DEG          arrival direction from the Z axis, degrees [45]\n"
    "  --fi-x DEG          its projection on the XY plane from the X axis, degrees [45]\n"
    "  --noise N           uniform noise, ADC steps peak [0]\n"
    "  --seed S            noise and garbage seed [1]\n"
    "  --null-adc C        ADC code of zero [1120]\n"
    "\n"
    "raw options:\n"
    "  --seconds S         duration, s [10]\n"
    "  --start D:H:M:S     start stamp (day of month, hour, minute, second) [5:10:0:0];\n"
    "                      a start near midnight gives a day-wrap end stamp\n"
    "  --invalid-stamps    end stamp two days after the start (unusable stamps)\n"
    "  --damage REC:BYTES  insert BYTES garbage bytes before good record REC (repeatable)\n"
    "\n"
    "segment options:\n"
    "  --duration D        duration, s [1]\n"
    "  --sensitivity S     microphone sensitivity of every channel, mV/Pa [50]\n";

[[noreturn]] void usage(const char* message)
{
    if (message)
        std::fprintf(stderr, "sonorix-samplegen: %s\n\n", message);
    std::fputs(kHelp, message ? stderr : stdout);
    std::exit(message ? 2 : 0);
}

double number(const char* text, const char* option)
{
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0')
        usage((std::string("bad value for ") + option).c_str());
    return v;
}
}   // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")))
        usage(nullptr);
    if (argc < 3)
        usage("a command and an output file are needed");
    const std::string command = argv[1];
    const std::string out = argv[2];
    if (command != "raw" && command != "segment")
        usage("unknown command");

    RawRecordingSpec spec;
    double duration = 1.0;
    double sensitivity = 50.0;
    for (int i = 3; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--help")
            usage(nullptr);
        if (opt == "--invalid-stamps") {
            spec.invalidStamps = true;
            continue;
        }
        if (i + 1 >= argc)
            usage(("missing value for " + opt).c_str());
        const char* value = argv[++i];
        if (opt == "--rate")
            spec.rate = static_cast<uint32_t>(number(value, "--rate"));
        else if (opt == "--freq")
            spec.frequency = number(value, "--freq");
        else if (opt == "--amplitude")
            spec.amplitude = number(value, "--amplitude");
        else if (opt == "--fi-z")
            spec.fiZ = number(value, "--fi-z");
        else if (opt == "--fi-x")
            spec.fiX = number(value, "--fi-x");
        else if (opt == "--noise")
            spec.noise = number(value, "--noise");
        else if (opt == "--seed")
            spec.seed = static_cast<uint32_t>(number(value, "--seed"));
        else if (opt == "--null-adc")
            spec.nullAdc = static_cast<int32_t>(number(value, "--null-adc"));
        else if (opt == "--seconds")
            spec.seconds = static_cast<uint32_t>(number(value, "--seconds"));
        else if (opt == "--duration")
            duration = number(value, "--duration");
        else if (opt == "--sensitivity")
            sensitivity = number(value, "--sensitivity");
        else if (opt == "--start") {
            int d, h, m, s;
            if (std::sscanf(value, "%d:%d:%d:%d", &d, &h, &m, &s) != 4)
                usage("--start wants D:H:M:S");
            spec.startDay = static_cast<uint8_t>(d);
            spec.startHour = static_cast<uint8_t>(h);
            spec.startMinute = static_cast<uint8_t>(m);
            spec.startSecond = static_cast<uint8_t>(s);
        } else if (opt == "--damage") {
            long long record;
            int bytes;
            if (std::sscanf(value, "%lld:%d", &record, &bytes) != 2 || record < 0 || bytes < 1)
                usage("--damage wants REC:BYTES");
            spec.damage.push_back({record, bytes});
        } else {
            usage(("unknown option " + opt).c_str());
        }
    }
    std::sort(spec.damage.begin(), spec.damage.end(),
              [](const RawDamage& a, const RawDamage& b) { return a.record < b.record; });

    std::string error;
    if (command == "raw") {
        if (!WriteRawRecording(out, spec, &error)) {
            std::fprintf(stderr, "sonorix-samplegen: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    const int64_t n = SegmentSampleCount(spec.rate, duration);
    if (n < 2) {
        std::fprintf(stderr, "sonorix-samplegen: rate and duration give fewer than 2 samples\n");
        return 2;
    }
    std::array<double, 6> sensitivities;
    sensitivities.fill(sensitivity);
    const auto channels = PlaneWaveChannels(spec, SegmentEvenRate(spec.rate), n);
    if (!WriteBytes(out, SegmentFileContents(spec.rate, duration, sensitivities, channels), &error)) {
        std::fprintf(stderr, "sonorix-samplegen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
