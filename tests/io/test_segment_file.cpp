// Segment files: layout against an independent encoder, the N derivation, refusal of damaged
// files, and writes that never cost the old file.
#include "IoTestSupport.h"
#include "ReadWriteMyFile.h"
#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sys/resource.h>

namespace {
const std::array<double, 6> kSensitivities{50.0, 40.0, 25.0, 62.5, 80.0, 100.0};

// Sample j of channel c is c * 100000 + j: every value says where it came from.
std::array<std::vector<double>, 6> Labelled(int64_t n)
{
    std::array<std::vector<double>, 6> channels;
    for (int c = 0; c < 6; ++c)
        for (int64_t j = 0; j < n; ++j)
            channels[c].push_back(c * 100000.0 + static_cast<double>(j));
    return channels;
}

std::array<const double*, 6> Pointers(const std::array<std::vector<double>, 6>& channels)
{
    std::array<const double*, 6> out{};
    for (int c = 0; c < 6; ++c)
        out[c] = channels[c].data();
    return out;
}

class SegmentFileTest : public testing::Test {
protected:
    std::string Put(const std::vector<uint8_t>& bytes, const std::string& name = "seg.kvnb")
    {
        const std::string path = scratch.Path(name);
        std::string error;
        EXPECT_TRUE(WriteBytes(path, bytes, &error)) << error;
        return path;
    }

    ScratchDir scratch;
    RecordingPresenter rec;
};

TEST(SegmentCount, EvenRateAndTruncatedProduct)
{
    EXPECT_EQ(SegmentEvenRate(40001), 40000u);
    EXPECT_EQ(SegmentEvenRate(40000), 40000u);
    EXPECT_EQ(SegmentSampleCount(40001, 0.5), 20000);
    EXPECT_EQ(SegmentSampleCount(1000, 0.0995), 99);
    EXPECT_EQ(SegmentSampleCount(1, 100.0), 0);   // R' = 0
    EXPECT_EQ(SegmentSampleCount(40000, -0.5), -1);
    EXPECT_EQ(SegmentSampleCount(40000, std::nan("")), -1);
    EXPECT_EQ(SegmentSampleCount(40000, 1e6), -1);   // 4e10 samples
    EXPECT_EQ(SegmentFileBytes(20000), 960060);
}

TEST_F(SegmentFileTest, WriterMatchesTheLayoutByteForByteAndReadsBack)
{
    // An odd rate of 40001 is used as 40000: D = 0.5 gives 20000 samples per channel.
    const auto channels = Labelled(20000);
    const std::string path = scratch.Path("out.kvnb");
    TReadWriteMyFile writer(path);
    ASSERT_FALSE(writer.OpenForWriting(false));
    ASSERT_FALSE(writer.WriteSegment(40001, 0.5, kSensitivities, Pointers(channels), 20000));
    ASSERT_FALSE(writer.Close());
    const auto bytes = ReadAll(path);
    EXPECT_EQ(bytes.size(), 960060u);
    EXPECT_EQ(bytes, SegmentFileContents(40001, 0.5, kSensitivities, channels));

    TReadWriteMyFile reader(path);
    ASSERT_FALSE(reader.OpenForReading());
    Segment segment;
    ASSERT_FALSE(reader.ReadSegment(segment));
    EXPECT_EQ(segment.sampleRate, 40000u);
    EXPECT_EQ(segment.sampleCount, 20000);
    EXPECT_EQ(segment.channels, channels);
    EXPECT_EQ(segment.time[1], 1.0 / 40000);
    EXPECT_EQ(segment.time[19999], 19999.0 / 40000);
    EXPECT_EQ(segment.paPerVolt, (std::array<double, 6>{20.0, 25.0, 40.0, 16.0, 12.5, 10.0}));
    EXPECT_FALSE(reader.Close());
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(SegmentFileTest, ChannelTwoStartsAfterNSamplesOfChannelOne)
{
    // R = 1000, D = 0.0995: N = 99, so channel 2's block begins at byte 60 + 8 * 99.
    const auto channels = Labelled(99);
    std::vector<uint8_t> bytes = SegmentFileContents(1000, 0.0995, kSensitivities, channels);
    ASSERT_EQ(bytes.size(), 60u + 48 * 99);
    double first;
    std::memcpy(&first, bytes.data() + 60 + 8 * 99, 8);
    EXPECT_EQ(first, 100000.0);

    TReadWriteMyFile reader(Put(bytes));
    ASSERT_FALSE(reader.OpenForReading());
    uint32_t rate;
    double duration;
    ASSERT_FALSE(reader.ReadHeader(rate, duration));
    EXPECT_EQ(rate, 1000u);
    EXPECT_EQ(duration, 0.0995);
    Segment segment;
    segment.Allocate(99);
    std::array<double*, 6> out{};
    for (int c = 0; c < 6; ++c)
        out[c] = segment.channels[c].data();
    ASSERT_FALSE(reader.ReadBody(1000, duration, out, segment.time.data(), segment.paPerVolt));
    EXPECT_EQ(segment.channels, channels);
}

TEST_F(SegmentFileTest, WriterAndReaderAgreeOnNWhereverTheProductRounds)
{
    // Visible windows of the playback export, ending just short of a whole frame.
    for (double duration : {0.999975, 0.1 + 0.2, 0.7, 1.0 / 3.0, 2.4999999}) {
        const int64_t n = SegmentSampleCount(40000, duration);
        const auto channels = Labelled(n);
        const std::string path = scratch.Path("agree.kvnb");
        TReadWriteMyFile writer(path);
        ASSERT_FALSE(writer.OpenForWriting(true));
        ASSERT_FALSE(writer.WriteSegment(40000, duration, kSensitivities, Pointers(channels), n));
        ASSERT_FALSE(writer.Close());
        TReadWriteMyFile reader(path);
        ASSERT_FALSE(reader.OpenForReading());
        Segment segment;
        ASSERT_FALSE(reader.ReadSegment(segment)) << duration;
        EXPECT_EQ(segment.sampleCount, n) << duration;
        EXPECT_EQ(segment.channels[5].back(), channels[5].back()) << duration;
    }
}

// A header as given followed by room for the given number of samples per channel.
std::vector<uint8_t> WithHeader(uint32_t rate, double duration, int64_t samples)
{
    std::vector<uint8_t> bytes(60 + 48 * samples, 0);
    std::memcpy(bytes.data(), &rate, 4);
    std::memcpy(bytes.data() + 4, &duration, 8);
    std::memcpy(bytes.data() + 12, kSensitivities.data(), 48);
    return bytes;
}

std::vector<uint8_t> WithSensitivity(int channel, double value)
{
    auto s = kSensitivities;
    s[channel] = value;
    return SegmentFileContents(1000, 0.01, s, Labelled(10));
}

// A good segment of 10 samples per channel at 1000 Hz with one sample replaced.
std::vector<uint8_t> WithSample(int channel, int index, double value)
{
    auto channels = Labelled(10);
    channels[channel][index] = value;
    return SegmentFileContents(1000, 0.01, kSensitivities, channels);
}

struct DamagedCase {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string text;
};

const char* const kTooShort =
    "Файл сегмента поврежден: он короче, чем требует его заголовок. Файл не может быть открыт.";

std::string BadHeader(uint32_t rate)
{
    return "Файл сегмента поврежден: в заголовке неверная частота дискретизации (" + std::to_string(rate) +
           ") или длительность. Файл не может быть открыт.";
}

std::string NotANumber(int channel, int index, const char* time)
{
    return "Файл сегмента поврежден: в канале " + std::to_string(channel) + " отсчет " +
           std::to_string(index) + " (" + time +
           " с от начала) не является числом. Файл не может быть открыт.";
}

std::string BadSensitivity(int channel)
{
    return "Файл сегмента поврежден: неверная чувствительность микрофона канала " + std::to_string(channel) +
           ". Файл не может быть открыт.";
}

class DamagedSegment : public SegmentFileTest, public testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedSegment, IsRefusedWithOneMessageAndNothingFilled)
{
    TReadWriteMyFile reader(Put(GetParam().bytes));
    ASSERT_FALSE(reader.OpenForReading());
    Segment segment;
    segment.Allocate(5);
    EXPECT_TRUE(reader.ReadSegment(segment));
    EXPECT_EQ(segment.sampleCount, 0);
    EXPECT_TRUE(segment.channels[0].empty());
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].caption, "ВНИМАНИЕ");
    EXPECT_EQ(rec.messages[0].text, GetParam().text);
    EXPECT_EQ(reader.ErrorText(), GetParam().text);
}

const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedSegment,
    testing::Values(
        DamagedCase{"empty", {}, kTooShort},
        DamagedCase{"header cut short", std::vector<uint8_t>(59, 0), kTooShort},
        DamagedCase{"one byte missing",
                    [] {
                        auto b = WithHeader(1000, 0.01, 10);
                        b.pop_back();
                        return b;
                    }(),
                    kTooShort},
        DamagedCase{"header asks for more than the file holds", WithHeader(40000, 1000.0, 10), kTooShort},
        DamagedCase{"a single sample", WithHeader(1000, 0.001, 1), BadHeader(1000)},
        DamagedCase{"rate 1 is rate 0", WithHeader(1, 10.0, 10), BadHeader(1)},
        DamagedCase{"zero duration", WithHeader(1000, 0.0, 10), BadHeader(1000)},
        DamagedCase{"negative duration", WithHeader(1000, -0.01, 10), BadHeader(1000)},
        DamagedCase{"NaN duration", WithHeader(1000, std::nan(""), 10), BadHeader(1000)},
        DamagedCase{"infinite duration", WithHeader(1000, kInf, 10), BadHeader(1000)},
        DamagedCase{"more samples than an int holds", WithHeader(4000000000u, 1.0, 10),
                    BadHeader(4000000000u)},
        DamagedCase{"zero sensitivity", WithSensitivity(3, 0.0), BadSensitivity(4)},
        DamagedCase{"negative sensitivity", WithSensitivity(0, -50.0), BadSensitivity(1)},
        DamagedCase{"NaN sensitivity", WithSensitivity(5, std::nan("")), BadSensitivity(6)},
        DamagedCase{"infinite sensitivity", WithSensitivity(1, kInf), BadSensitivity(2)},
        // Found by fuzzing: positive and finite, but 1000 / s overflows to infinity.
        DamagedCase{"subnormal sensitivity", WithSensitivity(2, 4.9406564584124654e-324), BadSensitivity(3)},
        // 10^6 * 10^6 = 10^12 samples per channel: refused from the header alone, before any
        // allocation (one that size would abort the test).
        DamagedCase{"header claiming 10^12 samples", WithHeader(1000000, 1e6, 10), BadHeader(1000000)},
        // Samples that are not numbers: the first in the file's order is named.
        DamagedCase{"NaN sample", WithSample(2, 7, std::nan("")), NotANumber(3, 7, "0,007")},
        DamagedCase{"infinite first sample", WithSample(0, 0, kInf), NotANumber(1, 0, "0")},
        DamagedCase{"negative infinity in the last channel's last sample", WithSample(5, 9, -kInf),
                    NotANumber(6, 9, "0,009")},
        DamagedCase{"two, the earlier channel named",
                    [] {
                        auto channels = Labelled(10);
                        channels[4][1] = std::nan("");
                        channels[1][8] = kInf;
                        return SegmentFileContents(1000, 0.01, kSensitivities, channels);
                    }(),
                    NotANumber(2, 8, "0,008")}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(SegmentFileTest, OpenFailuresShowTheSystemReason)
{
    TReadWriteMyFile reader(scratch.Path("absent.kvnb"));
    EXPECT_TRUE(reader.OpenForReading());
    TReadWriteMyFile writer(scratch.Path("no-such-folder/out.kvnb"));
    EXPECT_TRUE(writer.OpenForWriting(true));
    ASSERT_EQ(rec.messages.size(), 2u);
    for (const auto& m : rec.messages) {
        EXPECT_EQ(m.caption, "GetLastError");
        EXPECT_EQ(m.text, std::strerror(ENOENT));
        EXPECT_EQ(m.flags, MB_OK | MB_ICONINFORMATION);
    }
}

TEST_F(SegmentFileTest, ExistingFileIsReplacedOnlyWhenAskedAndOnlyByACompleteWrite)
{
    const std::string path = Put({1, 2, 3}, "old.kvnb");
    const auto channels = Labelled(100);

    // Without the caller's consent the file is not touched.
    TReadWriteMyFile refused(path);
    EXPECT_TRUE(refused.OpenForWriting(false));
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].caption, "GetLastError");
    EXPECT_EQ(rec.messages[0].text, std::strerror(EEXIST));
    EXPECT_EQ(refused.ErrorText(), std::strerror(EEXIST));
    EXPECT_TRUE(refused.TargetExists()) << "the one failure that replacing would cure";

    // A write abandoned half-way (the object goes before Close) leaves the old file and no
    // temporary file behind.
    {
        TReadWriteMyFile abandoned(path);
        ASSERT_FALSE(abandoned.OpenForWriting(true));
        abandoned.WriteHeader(1000, 0.1);
        EXPECT_EQ(ReadAll(path), (std::vector<uint8_t>{1, 2, 3}));
    }
    EXPECT_EQ(ReadAll(path), (std::vector<uint8_t>{1, 2, 3}));

    // A stretch longer than the samples at hand is not written.
    TReadWriteMyFile shortOfSamples(path);
    ASSERT_FALSE(shortOfSamples.OpenForWriting(true));
    EXPECT_TRUE(shortOfSamples.WriteSegment(1000, 0.2, kSensitivities, Pointers(channels), 100));
    shortOfSamples.WriteDoubles(1, nullptr);   // a failed write is remembered ...
    EXPECT_TRUE(shortOfSamples.Close());       // ... and the commit refused
    EXPECT_EQ(ReadAll(path), (std::vector<uint8_t>{1, 2, 3}));

    rec.messages.clear();
    TReadWriteMyFile writer(path);
    ASSERT_FALSE(writer.OpenForWriting(true));
    ASSERT_FALSE(writer.WriteSegment(1000, 0.1, kSensitivities, Pointers(channels), 100));
    ASSERT_FALSE(writer.Close());
    EXPECT_EQ(ReadAll(path), SegmentFileContents(1000, 0.1, kSensitivities, channels));
    EXPECT_TRUE(rec.messages.empty());
    // Only the target is left in the folder.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.Dir()))
        files += entry.path().filename() == "old.kvnb" ? 1 : 100;
    EXPECT_EQ(files, 1);
}

TEST_F(SegmentFileTest, FailedWritesKeepWhatIsInTheTargetsPlaceAndSayWhy)
{
    const auto channels = Labelled(100);

    // A folder in the target's place is refused before anything is written.
    const std::string folder = scratch.Path("folder.kvnb");
    std::filesystem::create_directories(folder + "/inside");
    TReadWriteMyFile intoFolder(folder);
    EXPECT_TRUE(intoFolder.OpenForWriting(true));
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/inside"));
    EXPECT_EQ(intoFolder.ErrorText(), std::strerror(EISDIR));
    EXPECT_FALSE(intoFolder.TargetExists());

    // A disk that fills up half-way (here the process's file-size limit, which fails the same
    // write calls): the commit is refused, the old file stays, the system's reason is shown.
    const std::string path = Put({1, 2, 3}, "old.kvnb");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    TReadWriteMyFile writer(path);
    ASSERT_FALSE(writer.OpenForWriting(true));
    // Whether the write or only the commit notices depends on buffering; Close must refuse.
    static_cast<void>(writer.WriteSegment(1000, 0.1, kSensitivities, Pointers(channels), 100));
    EXPECT_TRUE(writer.Close());
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(writer.ErrorText(), std::strerror(EFBIG));
    EXPECT_FALSE(writer.TargetExists());
    EXPECT_EQ(ReadAll(path), (std::vector<uint8_t>{1, 2, 3}));

    ASSERT_EQ(rec.messages.size(), 2u);
    EXPECT_EQ(rec.messages[0].caption, "GetLastError");
    EXPECT_EQ(rec.messages[0].text, std::strerror(EISDIR));
    EXPECT_EQ(rec.messages[1].caption, "GetLastError");
    EXPECT_EQ(rec.messages[1].text, std::strerror(EFBIG));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.Dir()))
        files += entry.path().filename().string().find(".part") == std::string::npos ? 1 : 100;
    EXPECT_EQ(files, 2) << "a temporary file was left behind";
}

TEST_F(SegmentFileTest, HeaderAloneIsReadWhateverTheSegmentsSize)
{
    // 2 * 10^8 samples per channel, 9.6 GB: a sparse file, so no disk space is used, and
    // nothing of that size may be allocated to describe it.
    auto bytes = WithHeader(40001, 5000.0, 0);
    const std::string path = Put(bytes, "large.kvnb");
    const int64_t n = 200000000;
    std::filesystem::resize_file(path, static_cast<uintmax_t>(SegmentFileBytes(n)));
    TReadWriteMyFile reader(path);
    ASSERT_FALSE(reader.OpenForReading());
    SegmentHeader header;
    ASSERT_FALSE(reader.ReadSegmentHeader(header)) << reader.ErrorText();
    EXPECT_EQ(header.rate, 40001u);
    EXPECT_EQ(header.evenRate, 40000u);
    EXPECT_EQ(header.duration, 5000.0);
    EXPECT_EQ(header.sampleCount, n);
    EXPECT_EQ(header.sensitivities, kSensitivities);
    EXPECT_FALSE(reader.Close());

    // One byte short, the same header is refused as the whole read refuses it.
    std::filesystem::resize_file(path, static_cast<uintmax_t>(SegmentFileBytes(n) - 1));
    TReadWriteMyFile shorter(path);
    ASSERT_FALSE(shorter.OpenForReading());
    EXPECT_TRUE(shorter.ReadSegmentHeader(header));
    EXPECT_EQ(header.sampleCount, 0);
    EXPECT_EQ(shorter.ErrorText(), kTooShort);
    EXPECT_EQ(rec.messages.size(), 1u);
}

TEST(SegmentTestSignal, HeaderComesFromTheSettings)
{
    Settings settings = DefaultSettings();
    settings.freq_ocifr = 1001;
    settings.dlit = 3;
    uint32_t rate = 0;
    double duration = 0;
    TReadWriteMyFile::TestSignalHeader(settings, rate, duration);
    EXPECT_EQ(rate, 1001u);
    EXPECT_EQ(duration, 3.0);
}
}   // namespace
