// Segment files (*.kvnb) from hostile bytes, read as the processing window reads them: the
// whole segment at once, or the header first and the body into arrays sized from it; or only
// described, as the batch tool's info does. The reader takes no constants: the file is all.
#include "FuzzSupport.h"

#include "ReadWriteMyFile.h"
#include "RecordingPresenter.h"
#include "Segment.h"

#include <array>
#include <cmath>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::SplitInput input = fuzz::Split(data, size);
    fuzz::Control control(input.control);
    const std::string path = fuzz::WriteScratchFile(
        "segment.kvnb", reinterpret_cast<const uint8_t*>(input.file.data()), input.file.size());
    RecordingPresenter presenter;

    TReadWriteMyFile file(path);
    if (file.OpenForReading())
        std::abort();                          // the harness wrote the file: it must open
    const uint8_t mode = control.Next() % 3;   // 0 header then body, 1 whole, 2 header alone
    if (mode == 2) {
        SegmentHeader header;
        if (!file.ReadSegmentHeader(header) &&
            (header.sampleCount < 2 || header.evenRate % 2 != 0 ||
             SegmentFileBytes(header.sampleCount) > static_cast<int64_t>(input.file.size())))
            std::abort();
    } else if (mode == 1) {
        Segment segment;
        if (!file.ReadSegment(segment)) {
            // Nothing is allocated that the file does not hold.
            const auto n = static_cast<size_t>(segment.sampleCount);
            if (segment.sampleCount < 2 ||
                SegmentFileBytes(segment.sampleCount) > static_cast<int64_t>(input.file.size()))
                std::abort();
            for (const auto& c : segment.channels)
                if (c.size() != n)
                    std::abort();
            if (segment.time.size() != n || segment.sampleRate % 2 != 0)
                std::abort();
            // A segment that reads is all numbers.
            for (const auto& c : segment.channels)
                for (double v : c)
                    if (!std::isfinite(v))
                        std::abort();
        } else if (segment.sampleCount != 0 || !segment.time.empty()) {
            std::abort();   // a refused file leaves the segment empty
        }
    } else {
        uint32_t rate = 0;
        double duration = 0.0;
        if (!file.ReadHeader(rate, duration)) {
            const int64_t n = SegmentSampleCount(SegmentEvenRate(rate), duration);
            if (n < 2 || SegmentFileBytes(n) > static_cast<int64_t>(input.file.size()))
                std::abort();
            std::array<std::vector<double>, 6> channels;
            std::array<double*, 6> out{};
            for (int c = 0; c < 6; ++c) {
                channels[c].resize(static_cast<size_t>(n));
                out[c] = channels[c].data();
            }
            std::vector<double> time(static_cast<size_t>(n));
            std::array<double, 6> paPerVolt{};
            if (!file.ReadBody(SegmentEvenRate(rate), duration, out, time.data(), paPerVolt)) {
                for (double f : paPerVolt)
                    if (!std::isfinite(f))
                        std::abort();
                for (const auto& c : channels)
                    for (double v : c)
                        if (!std::isfinite(v))
                            std::abort();
            }
        }
    }
    file.Close();
    return 0;
}
