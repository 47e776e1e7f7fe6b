// Multichannel audio recordings: the formats and sample widths recorders write, the channel
// map, the stretch, a header that promises more than the file holds, refusals, and the float
// WAV the program writes back.
#include "AudioFile.h"
#include "IoTestSupport.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <vector>

namespace {

// Channel c, frame j of the test recording: a distinct slow sine per channel, within ±0.9.
double Sample(int c, int64_t j)
{
    return 0.9 * std::sin(0.001 * static_cast<double>(j + 1) * (c + 1) + c);
}

void WriteRecording(const std::string& path, int format, int channels, int64_t frames, int rate = 48000)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    // Integer formats get integer codes, as a recorder writes them: full scale is 2^31 in the
    // library's int interface whatever the file's width, and reads back as 1.0.
    const int subtype = format & SF_FORMAT_SUBMASK;
    const bool floating = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
    std::vector<double> frame(static_cast<size_t>(channels));
    std::vector<int> codes(static_cast<size_t>(channels));
    for (int64_t j = 0; j < frames; ++j) {
        for (int c = 0; c < channels; ++c) {
            frame[static_cast<size_t>(c)] = Sample(c, j);
            codes[static_cast<size_t>(c)] = static_cast<int>(std::lround(Sample(c, j) * 2147483648.0));
        }
        ASSERT_EQ(floating ? sf_writef_double(file, frame.data(), 1) : sf_writef_int(file, codes.data(), 1),
                  1);
    }
    sf_close(file);
}

const AudioChannelMap kIdentity = {0, 1, 2, 3, 4, 5};

struct FormatCase {
    const char* name;
    int format;
    double tolerance;   // of a full-scale sample after the format's rounding
};

class AudioFormats : public testing::TestWithParam<FormatCase> {
protected:
    ScratchDir scratch;
};

}   // namespace

TEST_P(AudioFormats, SixChannelsReadAsVoltsWithTheirRateAndTime)
{
    const FormatCase& c = GetParam();
    const std::string path = scratch.Path(std::string("rec.") + c.name);
    WriteRecording(path, c.format, 8, 3000, 44100);
    AudioFileInfo info;
    ASSERT_TRUE(ReadAudioInfo(path, info).ok());
    EXPECT_EQ(info.channels, 8);
    EXPECT_EQ(info.frames, 3000);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_FALSE(info.formatText.empty());

    // Microphones from channels 7, 0, 2, 3, 5, 1, a stretch of 1000 from frame 500, 2.5 V at full scale.
    const AudioChannelMap map = {7, 0, 2, 3, 5, 1};
    Segment segment;
    ASSERT_TRUE(ReadAudioStretch(path, map, 500, 1000, 2.5, segment).ok());
    ASSERT_EQ(segment.sampleCount, 1000);
    EXPECT_EQ(segment.sampleRate, 44100u);
    EXPECT_EQ(segment.time[0], 0.0);
    EXPECT_DOUBLE_EQ(segment.time[999], 999.0 / 44100);
    for (int m = 0; m < 6; ++m)
        for (int64_t j = 0; j < 1000; j += 37)
            EXPECT_NEAR(segment.channels[m][static_cast<size_t>(j)], 2.5 * Sample(map[m], 500 + j),
                        2.5 * c.tolerance)
                << c.name << " microphone " << m << " frame " << j;
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioFormats,
                         testing::Values(FormatCase{"wav16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768},
                                         FormatCase{"wav24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1.0 / 8388608},
                                         FormatCase{"wavfloat", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1e-7},
                                         FormatCase{"wav64", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1e-15},
                                         FormatCase{"w64", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 1.0 / 8388608},
                                         FormatCase{"rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_32,
                                                    1.0 / 2147483648.0},
                                         FormatCase{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1.0 / 8388608},
                                         FormatCase{"caf", SF_FORMAT_CAF | SF_FORMAT_FLOAT, 1e-7},
                                         FormatCase{"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1.0 / 32768}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AudioFile, FewerThanSixChannelsAreRefusedWithTheirCount)
{
    ScratchDir scratch;
    const std::string path = scratch.Path("five.wav");
    WriteRecording(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 5, 100);
    AudioFileInfo info;
    const AudioResult result = ReadAudioInfo(path, info);
    EXPECT_EQ(result.status, AudioStatus::TooFewChannels);
    EXPECT_NE(result.message.find(" 5 "), std::string::npos) << result.message;
    Segment segment;
    EXPECT_EQ(ReadAudioStretch(path, kIdentity, 0, 10, 1.0, segment).status, AudioStatus::TooFewChannels);
}

TEST(AudioFile, BadMapsStretchesAndInputsAreRefused)
{
    ScratchDir scratch;
    const std::string path = scratch.Path("six.wav");
    WriteRecording(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6, 100);
    Segment segment;
    EXPECT_EQ(ReadAudioStretch(path, {0, 1, 2, 3, 4, 6}, 0, 10, 1.0, segment).status,
              AudioStatus::BadChannelMap);
    EXPECT_EQ(ReadAudioStretch(path, {0, 1, 2, 3, 4, 4}, 0, 10, 1.0, segment).status,
              AudioStatus::BadChannelMap);
    EXPECT_EQ(ReadAudioStretch(path, {-1, 1, 2, 3, 4, 5}, 0, 10, 1.0, segment).status,
              AudioStatus::BadChannelMap);
    EXPECT_EQ(ReadAudioStretch(path, kIdentity, 100, 10, 1.0, segment).status, AudioStatus::BadStretch);
    EXPECT_EQ(ReadAudioStretch(path, kIdentity, -1, 10, 1.0, segment).status, AudioStatus::BadStretch);
    EXPECT_EQ(ReadAudioStretch(path, kIdentity, 0, 0, 1.0, segment).status, AudioStatus::BadStretch);
    // A stretch running past the end is cut there.
    ASSERT_TRUE(ReadAudioStretch(path, kIdentity, 90, 50, 1.0, segment).ok());
    EXPECT_EQ(segment.sampleCount, 10);

    std::ofstream(scratch.Path("text.wav")) << "not a recording";
    AudioFileInfo info;
    EXPECT_EQ(ReadAudioInfo(scratch.Path("text.wav"), info).status, AudioStatus::CannotOpen);
    EXPECT_EQ(ReadAudioInfo(scratch.Path("missing.wav"), info).status, AudioStatus::CannotOpen);
    ASSERT_EQ(::mkfifo(scratch.Path("pipe.wav").c_str(), 0600), 0);
    EXPECT_EQ(ReadAudioInfo(scratch.Path("pipe.wav"), info).status, AudioStatus::CannotOpen);   // never waits
    EXPECT_EQ(ReadAudioInfo(scratch.Dir().string(), info).status, AudioStatus::CannotOpen);
}

TEST(AudioFile, AHeaderThatPromisesMoreIsReadToTheRealEnd)
{
    ScratchDir scratch;
    const std::string path = scratch.Path("cut.wav");
    WriteRecording(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6, 1000);
    // Cut the data short: the header still says 1000 frames of 12 bytes.
    const auto size = std::filesystem::file_size(path);
    std::filesystem::resize_file(path, size - 12 * 400 - 6);
    AudioFileInfo info;
    ASSERT_TRUE(ReadAudioInfo(path, info).ok());
    Segment segment;
    ASSERT_TRUE(ReadAudioStretch(path, kIdentity, 0, info.frames, 1.0, segment).ok());
    EXPECT_LE(segment.sampleCount, 600);
    EXPECT_GE(segment.sampleCount, 599);
    EXPECT_EQ(segment.time.size(), static_cast<size_t>(segment.sampleCount));
    EXPECT_NEAR(segment.channels[5][598], Sample(5, 598), 1.0 / 32768);
}

TEST(AudioFile, FloatWavKeepsTheSamplesRateAndComment)
{
    ScratchDir scratch;
    Segment segment;
    segment.Allocate(2000);
    segment.sampleRate = 96000;
    for (int m = 0; m < 6; ++m)
        for (int j = 0; j < 2000; ++j)
            segment.channels[m][j] = 3.0 * Sample(m, j) * (m + 1);   // beyond full scale for m > 0
    std::vector<char> bytes;
    ASSERT_TRUE(EncodeFloatWav(segment, 3.0, "Chuv=50;50;50;50;50;50", bytes).ok());
    const std::string path = scratch.Path("out.wav");
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_STREQ(sf_get_string(file, SF_STR_COMMENT), "Chuv=50;50;50;50;50;50");
    sf_close(file);
    Segment back;
    ASSERT_TRUE(ReadAudioStretch(path, kIdentity, 0, 2000, 3.0, back).ok());
    EXPECT_EQ(back.sampleRate, 96000u);
    for (int m = 0; m < 6; ++m)
        for (int j = 0; j < 2000; j += 101)
            EXPECT_NEAR(back.channels[m][j], segment.channels[m][j], 1e-6 * (m + 1) * 3) << m << " " << j;
    Segment empty;
    EXPECT_FALSE(EncodeFloatWav(empty, 1.0, "", bytes).ok());
}
