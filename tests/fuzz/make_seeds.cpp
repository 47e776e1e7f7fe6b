// sonorix-fuzz-seeds OUTDIR: writes the seed corpora of the fuzz targets, one folder per
// target (raw, segment, ini, settings): good files from the sample generator, and damaged,
// truncated and lying ones made from them, each followed by a control trailer
// (FuzzSupport.h) that picks a sequence of reader operations. The files are small on purpose:
// a few seconds at a low rate exercise every branch a long recording does.
#include "FuzzSupport.h"

#include "SampleGen.h"

#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// Control trailers: for the raw target (operation, argument) pairs; for the segment target the
// first byte picks the read path (0 header then body, 1 whole, 2 header alone).
const std::vector<Bytes> kRawScripts = {
    {0, 0xF8, 0, 0xF9, 2, 0, 1, 0x21, 3, 0, 0, 0x10, 6, 1, 1, 0xFA},
    {4, 0, 0, 0xF8, 6, 1, 0, 0x0B, 2, 0, 0, 0x33, 5, 0, 0, 1, 0},
    {5, 0x80, 0, 0, 0, 0x08, 5, 0x01, 0, 2, 0, 0xFF, 3, 0, 4, 0},
};

// The raw target's constants in front of the file (fuzz_raw_reader.cpp): NULL_ADC, how it is
// taken (1: modulo 16384, 0: as it stands), and the channel map's permutation number.
Bytes rawConstants(int32_t nullAdc, uint8_t takeAs, uint16_t permutation)
{
    const auto raw = static_cast<uint32_t>(nullAdc);
    return {static_cast<uint8_t>(raw),
            static_cast<uint8_t>(raw >> 8),
            static_cast<uint8_t>(raw >> 16),
            static_cast<uint8_t>(raw >> 24),
            takeAs,
            0,
            static_cast<uint8_t>(permutation),
            static_cast<uint8_t>(permutation >> 8)};
}

Bytes withConstants(const Bytes& constants, const Bytes& file)
{
    Bytes out = constants;
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

Bytes withTrailer(Bytes file, const Bytes& script)
{
    Bytes trailer = script;
    trailer.resize(fuzz::kControlBytes, 0);
    file.insert(file.end(), trailer.begin(), trailer.end());
    return file;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write(const fs::path& dir, const std::string& name, const Bytes& bytes)
{
    std::string error;
    if (!WriteBytes((dir / name).string(), bytes, &error)) {
        std::fprintf(stderr, "sonorix-fuzz-seeds: %s\n", error.c_str());
        std::exit(1);
    }
}

Bytes rawRecording(const fs::path& dir, const RawRecordingSpec& spec)
{
    const std::string path = (dir / "tmp.dat").string();
    std::string error;
    if (!WriteRawRecording(path, spec, &error)) {
        std::fprintf(stderr, "sonorix-fuzz-seeds: %s\n", error.c_str());
        std::exit(1);
    }
    Bytes bytes = readFile(path);
    fs::remove(path);
    return bytes;
}

void rawSeeds(const fs::path& dir)
{
    RawRecordingSpec good;
    good.rate = 64;
    good.seconds = 3;
    good.frequency = 5.0;
    good.noise = 50.0;

    std::vector<std::pair<std::string, Bytes>> files;
    files.emplace_back("good", rawRecording(dir, good));

    RawRecordingSpec damaged = good;
    damaged.damage = {{3, 16}, {20, 5}, {70, 33}, {130, 1}};
    files.emplace_back("damaged", rawRecording(dir, damaged));

    RawRecordingSpec wrap = good;
    wrap.startHour = 23;
    wrap.startMinute = 59;
    wrap.startSecond = 58;
    wrap.extraRecords = 7;
    wrap.chs = {4, 5, 2, 3, 0, 1};
    files.emplace_back("daywrap", rawRecording(dir, wrap));

    RawRecordingSpec invalid = good;
    invalid.invalidStamps = true;
    files.emplace_back("invalid-stamps", rawRecording(dir, invalid));

    Bytes reversed = files[0].second;   // end stamp before the start stamp on the same day
    std::swap_ranges(reversed.begin(), reversed.begin() + 4, reversed.end() - 4);
    files.emplace_back("reversed-stamps", reversed);

    const Bytes& whole = files[0].second;
    files.emplace_back("truncated-record", Bytes(whole.begin(), whole.begin() + 4 + 16 * 100 + 7));
    files.emplace_back("truncated-short", Bytes(whole.begin(), whole.begin() + 9));
    Bytes shifted = whole;   // starts mid-record: the first-record search has work to do
    shifted.erase(shifted.begin() + 4, shifted.begin() + 4 + 5);
    files.emplace_back("shifted", shifted);

    // The default constants with every file; the ends of the zero's range, zeros the reader
    // must refuse, a reordered map and one that is not a permutation with the good one.
    const Bytes defaults = rawConstants(1120, 1, 0);
    for (const auto& [name, bytes] : files)
        for (size_t s = 0; s < kRawScripts.size(); ++s)
            write(dir, name + "-" + std::to_string(s),
                  withTrailer(withConstants(defaults, bytes), kRawScripts[s]));
    Bytes notAPermutation = rawConstants(1120, 1, 0);
    notAPermutation[5] = 0x80;   // Chs all 0
    const std::pair<const char*, Bytes> constantSeeds[] = {
        {"zero-0", rawConstants(0, 1, 0)},
        {"zero-16383", rawConstants(16383, 1, 0)},
        {"zero-int32-min", rawConstants(INT32_MIN, 0, 0)},
        {"zero-int32-max", rawConstants(INT32_MAX, 0, 0)},
        {"zero-minus-1", rawConstants(-1, 0, 0)},
        {"map-reversed", rawConstants(1120, 1, 719)},
        {"map-not-a-permutation", notAPermutation},
    };
    for (const auto& [name, constants] : constantSeeds)
        write(dir, std::string("good-") + name,
              withTrailer(withConstants(constants, files[0].second), kRawScripts[0]));
}

void patchDouble(Bytes& bytes, size_t offset, double value)
{
    std::memcpy(bytes.data() + offset, &value, 8);
}

void patchRate(Bytes& bytes, uint32_t value)
{
    std::memcpy(bytes.data(), &value, 4);
}

void segmentSeeds(const fs::path& dir)
{
    RawRecordingSpec wave;
    wave.frequency = 10.0;
    const std::array<double, 6> sens{50, 50, 45, 45, 60, 60};
    const Bytes good = SegmentFileContents(100, 0.5, sens, PlaneWaveChannels(wave, 100, 50));

    std::vector<std::pair<std::string, Bytes>> files;
    files.emplace_back("good", good);
    files.emplace_back("odd-rate-truncated-product",
                       SegmentFileContents(1001, 0.0995, sens, PlaneWaveChannels(wave, 1000, 99)));
    files.emplace_back("truncated", Bytes(good.begin(), good.end() - 9));
    files.emplace_back("header-only", Bytes(good.begin(), good.begin() + 60));
    files.emplace_back("short-header", Bytes(good.begin(), good.begin() + 30));
    Bytes zeroSens = good;
    patchDouble(zeroSens, 12 + 8 * 3, 0.0);
    files.emplace_back("zero-sensitivity", zeroSens);
    Bytes nanDuration = good;
    patchDouble(nanDuration, 4, std::nan(""));
    files.emplace_back("nan-duration", nanDuration);
    Bytes huge = good;   // a header claiming 10^12 samples per channel
    patchRate(huge, 1000000);
    patchDouble(huge, 4, 1e6);
    files.emplace_back("claims-1e12-samples", huge);
    Bytes justOver = good;   // 2^31 samples: one past what a count can hold
    patchRate(justOver, 2);
    patchDouble(justOver, 4, 1073741824.0);
    files.emplace_back("claims-2p31-samples", justOver);
    Bytes nanSample = good;   // channel 3, sample 10
    patchDouble(nanSample, 60 + 8 * (2 * 50 + 10), std::nan(""));
    files.emplace_back("nan-sample", nanSample);

    for (const auto& [name, bytes] : files) {
        write(dir, name + "-whole", withTrailer(bytes, {1}));
        write(dir, name + "-parts", withTrailer(bytes, {0}));
        write(dir, name + "-header", withTrailer(bytes, {2}));
    }
}

// A small six-channel recording in each of a few formats, whole and cut short, written by the
// library itself; each followed by a control trailer choosing the map and the stretch.
void audioSeeds(const fs::path& dir)
{
    const int formats[] = {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                           SF_FORMAT_W64 | SF_FORMAT_PCM_24, SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
                           SF_FORMAT_AIFF | SF_FORMAT_PCM_32};
    int index = 0;
    for (const int format : formats) {
        const fs::path scratch = dir / "scratch.bin";
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = 7;
        info.format = format;
        SNDFILE* file = sf_open(scratch.c_str(), SFM_WRITE, &info);
        if (file == nullptr)
            continue;
        std::vector<double> frames(7 * 200);
        for (size_t i = 0; i < frames.size(); ++i)
            frames[i] = 0.5 * std::sin(0.05 * static_cast<double>(i));
        sf_writef_double(file, frames.data(), 200);
        sf_close(file);
        std::ifstream in(scratch, std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fs::remove(scratch);
        const std::string name = "format-" + std::to_string(index++);
        write(dir, name + "-whole", withTrailer(bytes, {0, 1, 2, 3, 4, 5, 0, 12}));
        write(dir, name + "-shuffled", withTrailer(bytes, {6, 5, 4, 3, 2, 1, 3, 200}));
        write(
            dir, name + "-cut",
            withTrailer(Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2), {0, 1, 2, 3, 4, 5, 10, 100}));
    }
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

void iniSeeds(const fs::path& dir)
{
    const Bytes values = text(" \"a'=;[x]\r\n\xC0\xE9\xD0\xB0");
    write(dir, "exported-1251",
          withTrailer(text("[Ust]\r\nplotnost=1,4\r\nskorost=340\r\nVOLT=0,00263\r\nlmic1=0,5\r\n"
                           "lmic2=0,5\r\nlmic3=0,5\r\nChuv1=50\r\nChuv2=50\r\nChuv3=\xC0\r\n"
                           "Chuv4=1\r\nChuv5=1\r\nChuv6=1\r\nLCADR=1\r\nprorezM=10\r\n"
                           "NULL_ADC=1120\r\n"),
                      values));
    write(dir, "utf8-bom-mixed",
          withTrailer(text("\xEF\xBB\xBF; \xD0\xBA\xD0\xBE\xD0\xBC\n[other]\nx=1\n\n[ust]\n"
                           "  PLOTNOST = \"1,4\" \nLCADR=0x7fffffff\nprorezM=$10\nNULL_ADC=-2147483648\n"
                           "[Ust]\nskorost=9\n[broken\nlmic1"),
                      values));
    write(dir, "no-keys", withTrailer(text("[Ust]"), {}));
    write(dir, "empty", withTrailer({}, values));
}

void settingsSeeds(const fs::path& dir)
{
    write(dir, "written-by-program",
          text("[Chs]\nChs1=4\nChs2=5\nChs3=2\nChs4=3\nChs5=0\nChs6=1\n\n"
               "[Demo]\ntype_sig=0\nfreq_sig=10\nampl_sig=3276\nFI_Z=45\nFI_X=45\n"
               "ampl_noise_sig=10\nfreq_ocifr=100000\ndlit=1\n\n"
               "[Mag]\nLCADR=1\nPA_OR_VOLT=0\nFmin=0\nFmax=1000\nFOrder=0\nprorezM=1\nzader=0\n"
               "NULL_ADC=1120\nG_Auto1=1\nG_Max1=5\nG_Min1=-5\nG_Setka1=1\nG_Color1=16711680\n"
               "G_Tol1=1\nG_Vis1=1\nChuv5=50.5\n\n"
               "[Sav]\nS_PA_OR_VOLT=0\nplotnost=1.4\nVOLT=0.00263\nskorost=340\nlmic1=0.5\n"
               "S_Fmin=0\nS_Fmax=100\nimpuls=7\n"));
    write(dir, "foreign-types",
          text("[Mag]\nLCADR=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\nG_Max1=\"1.5, 2\"\n"
               "G_Auto1=true\nG_Vis1=@ByteArray(1)\nNULL_ADC=@Invalid()\nFmin=99999999999\n"
               "G_Min1=nan\nG_Color1=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\nQStringList\\0\\0\\0\\0\\x2)\n"
               "[Sav]\nimpuls=@Size(1 2)\nVOLT=@Rect(1 2 3 4)\nskorost=1e400\n"
               "[Chs]\nChs1=-1\nChs%32=%5B\n"));
}
}   // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sonorix-fuzz-seeds OUTDIR\n");
        return 2;
    }
    const fs::path out = argv[1];
    const std::pair<const char*, void (*)(const fs::path&)> targets[] = {{"raw", rawSeeds},
                                                                         {"segment", segmentSeeds},
                                                                         {"ini", iniSeeds},
                                                                         {"audio", audioSeeds},
                                                                         {"settings", settingsSeeds}};
    for (const auto& [name, make] : targets) {
        fs::create_directories(out / name);
        make(out / name);
    }
    return 0;
}
