// Multichannel audio recordings from hostile bytes, read as the processing window and the
// batch tool read them: the header's facts first, then a stretch of six mapped channels
// chosen by the control bytes. Nothing may be read past what the file holds, and a stretch
// that reads is as long as it says and all finite numbers, whatever the format holds.
#include "FuzzSupport.h"

#include "AudioFile.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::SplitInput input = fuzz::Split(data, size);
    fuzz::Control control(input.control);
    const std::string path = fuzz::WriteScratchFile(
        "recording.wav", reinterpret_cast<const uint8_t*>(input.file.data()), input.file.size());

    AudioFileInfo info;
    const AudioResult described = ReadAudioInfo(path, info);
    if (!described.ok()) {
        if (described.message.empty())
            std::abort();   // every refusal says why
        return 0;
    }
    AudioChannelMap map;
    for (int m = 0; m < 6; ++m)
        map[static_cast<size_t>(m)] = control.Next() % (info.channels + 1);   // sometimes out of range
    const int64_t start = control.Next() % 64;
    const int64_t length = 1 + control.Next() * 16;
    Segment segment;
    const AudioResult read = ReadAudioStretch(path, map, start, length, 1.0, segment);
    if (!read.ok()) {
        if (read.message.empty())
            std::abort();
        return 0;
    }
    const auto n = static_cast<size_t>(segment.sampleCount);
    if (segment.sampleCount < 1 || segment.sampleCount > length || segment.time.size() != n)
        std::abort();
    for (const auto& channel : segment.channels) {
        if (channel.size() != n)
            std::abort();
        // A float file may hold NaN or infinities: a stretch that reads holds neither.
        for (double v : channel)
            if (!std::isfinite(v))
                std::abort();
    }
    return 0;
}
