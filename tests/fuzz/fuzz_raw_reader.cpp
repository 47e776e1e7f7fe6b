// Raw recordings (*.dat) from hostile bytes: the header, the first-record search, frame reads
// with steps (with and without damaged records and resynchronisation, forwards and backwards)
// and the moves of the playback window, in an order the control trailer chooses.
#include "FuzzSupport.h"

#include "ReadIshFile.h"
#include "RecordingPresenter.h"
#include "Settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {
// Channel maps a user can set, and one that is not a permutation (the header refuses it).
constexpr std::array<std::array<int32_t, 6>, 4> kChannelMaps{{
    {0, 1, 2, 3, 4, 5},
    {4, 5, 2, 3, 0, 1},
    {5, 4, 3, 2, 1, 0},
    {0, 0, 2, 3, 4, 5},
}};

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
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::SplitInput input = fuzz::Split(data, size);
    fuzz::Control control(input.control);
    const std::string path = fuzz::WriteScratchFile(
        "recording.dat", reinterpret_cast<const uint8_t*>(input.file.data()), input.file.size());

    RecordingPresenter presenter;
    Settings settings = DefaultSettings();
    settings.Chs = kChannelMaps[control.Next() % kChannelMaps.size()];

    TReadIshFile reader(path, settings);
    if (reader.Open() != 0)
        std::abort();   // the harness wrote the file: it must open
    uint16_t hours = 0, minutes = 0, seconds = 0;
    uint32_t rate = 0;
    if (reader.ReadHeader(hours, minutes, seconds, rate) != kRawHeaderOk) {
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
