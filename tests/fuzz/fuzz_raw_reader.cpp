// Raw recordings (*.dat) from hostile bytes: the header, the first-record search, frame reads
// with steps (with and without damaged records and resynchronisation, forwards and backwards)
// and the moves of the playback window, in an order the control trailer chooses. The
// constants the reader takes (the ADC zero NULL_ADC and the channel map) come from the
// input's first kConstantBytes bytes, so hostile settings are fuzzed with hostile files.
#include "FuzzSupport.h"

#include "ReadIshFile.h"
#include "RecordingPresenter.h"
#include "SettingLimits.h"
#include "Settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {
// The constants in front of the file's bytes (make_seeds.cpp writes them the same way):
//   0..3  int32, little-endian: NULL_ADC as it stands when byte 4 is a multiple of 4 (the
//         whole int32 range, mostly refused), otherwise taken modulo 16384 (a usable zero)
//   4     how bytes 0..3 are taken
//   5..7  channel map: with bit 7 of byte 5 clear, permutation number (byte 6 | byte 7 << 8)
//         modulo 720 of the six channels (0 is the identity); with it set, Chs[k] is bits
//         3k..3k+2 of bytes 5..7, values 0..7 that need not be a permutation
constexpr size_t kConstantBytes = 8;

struct Constants {
    int32_t nullAdc = 1120;
    std::array<int32_t, 6> chs{0, 1, 2, 3, 4, 5};
};

Constants takeConstants(std::string_view& file)
{
    Constants c;
    if (file.size() < kConstantBytes)
        return c;
    const auto* b = reinterpret_cast<const uint8_t*>(file.data());
    const uint32_t raw = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    c.nullAdc = b[4] % 4 == 0 ? static_cast<int32_t>(raw) : static_cast<int32_t>(raw % 16384);
    if (b[5] & 0x80) {
        const uint32_t bits = uint32_t{b[5]} | uint32_t{b[6]} << 8 | uint32_t{b[7]} << 16;
        for (int k = 0; k < 6; ++k)
            c.chs[k] = static_cast<int32_t>((bits >> (3 * k)) & 7);
    } else {
        // Permutation number in the factorial base: digit k picks among the channels left.
        unsigned number = (unsigned{b[6]} | unsigned{b[7]} << 8) % 720;
        std::array<int32_t, 6> left{0, 1, 2, 3, 4, 5};
        int count = 6;
        for (int k = 0; k < 6; ++k) {
            const int pick = static_cast<int>(number % static_cast<unsigned>(count));
            number /= static_cast<unsigned>(count);
            c.chs[k] = left[pick];
            std::copy(left.begin() + pick + 1, left.begin() + count, left.begin() + pick);
            --count;
        }
    }
    file.remove_prefix(kConstantBytes);
    return c;
}

bool isPermutation(const std::array<int32_t, 6>& chs)
{
    std::array<int32_t, 6> sorted = chs;
    std::sort(sorted.begin(), sorted.end());
    return sorted == std::array<int32_t, 6>{0, 1, 2, 3, 4, 5};
}

// Frame reads in the playback window are at most a few seconds of records; bounded here so a
// large rate does not turn each input into a long run.
constexpr int kMaxFrame = 4096;

void checkFrame(int count, const std::vector<double>& time,
                const std::array<std::vector<double>, 6>& channels, int32_t nullAdc)
{
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(time[i]))
            std::abort();
        // Spike suppression only copies samples, so every value is a 14-bit code minus the zero.
        for (const auto& c : channels)
            if (!(c[i] >= -nullAdc && c[i] <= 16383 - nullAdc))
                std::abort();
    }
}
}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::SplitInput input = fuzz::Split(data, size);
    fuzz::Control control(input.control);
    std::string_view file = input.file;
    const Constants constants = takeConstants(file);
    const std::string path =
        fuzz::WriteScratchFile("recording.dat", reinterpret_cast<const uint8_t*>(file.data()), file.size());

    RecordingPresenter presenter;
    Settings settings = DefaultSettings();
    settings.NULL_ADC = constants.nullAdc;
    settings.Chs = constants.chs;

    TReadIshFile reader(path, settings);
    if (reader.Open() != 0)
        std::abort();   // the harness wrote the file: it must open
    uint16_t hours = 0, minutes = 0, seconds = 0;
    uint32_t rate = 0;
    const int status = reader.ReadHeader(hours, minutes, seconds, rate);
    // Constants the decoding cannot use are refused before a sample is read.
    if ((!IsValidNullAdc(constants.nullAdc) || !isPermutation(constants.chs)) && status != kRawHeaderRefused)
        std::abort();
    if (status != kRawHeaderOk) {
        (void)reader.Close();
        return 0;
    }
    if (rate == 0 || reader.DataStart() < 0 || reader.DataStart() > reader.FileSize())
        std::abort();

    std::vector<double> time;
    std::array<std::vector<double>, 6> channels;
    // Without control bytes: one frame of a second, as the playback window's first frame.
    int ops = control.Done() ? 1 : 0;
    while (!control.Done() || ops-- > 0) {
        const uint8_t op = control.Done() ? 0 : control.Next();
        const uint8_t arg = control.Next();
        switch (op % 7) {
        case 0:
        case 1: {
            const int step = 1 + (arg & 7);
            const int count = (arg >> 3) == 31
                                  ? static_cast<int>(std::min<uint32_t>(rate / step + 1, kMaxFrame))
                                  : ((arg >> 3) + 1) * 8;
            time.assign(count, 0.0);
            std::array<double*, 6> out{};
            for (int c = 0; c < 6; ++c) {
                channels[c].assign(count, 0.0);
                out[c] = channels[c].data();
            }
            if (reader.ReadFrame(step, count, time.data(), out, op % 2) == 0)
                checkFrame(count, time, channels, settings.NULL_ADC);
            break;
        }
        case 2:
            (void)reader.BackOneSecond();
            break;
        case 3:
            reader.ToStart();
            break;
        case 4:
            reader.ToEnd();
            break;
        case 5: {
            const uint8_t m = control.Next();
            const uint8_t s = control.Next();
            // The top bit asks for an hour count far past any recording (and past the limit).
            const uint32_t h = (arg & 0x80) ? (arg & 0x7F) * 100000u : (arg & 0x7F) % 4;
            (void)reader.SeekTo(h, m, s);
            break;
        }
        case 6:
            reader.SetBackward(arg & 1);
            break;
        }
    }
    (void)reader.Close();
    return 0;
}
