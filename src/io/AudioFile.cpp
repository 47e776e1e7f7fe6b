#include "AudioFile.h"

#include "CoreText.h"
#include "SafeFile.h"
#include "SettingLimits.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <system_error>

namespace {

// Samples read from the library at a time (all channels of a frame together): a few megabytes,
// whatever the channel count a header claims.
constexpr int64_t kChunkSamples = int64_t{1} << 19;
constexpr int64_t kChunkFrames = 65536;   // of the six-channel files the encoder writes

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

AudioResult Failure(AudioStatus status, std::string message)
{
    return {status, std::move(message)};
}

std::string readError(SNDFILE* file)
{
    return FillArgs(CoreText("AudioFile", "Ошибка чтения: %1"), {sf_strerror(file)});
}

// Seconds in the program's Russian form: a decimal comma, no trailing zeros.
std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", seconds);
    std::string out = text;
    for (char& c : out)
        if (c == '.')
            c = ',';
    return out;
}

// A NaN or an infinity would pass through every routine and come out as a plausible zero
// intensity, and a huge value would overflow the spectra's products: the first is named.
AudioResult badSample(const std::string& path, int fileChannel, int64_t frame, int rate, double value)
{
    const std::string place = FillArgs(CoreText("AudioFile", "в канале %1 отсчет %2 (%3 с от начала записи)"),
                                       {std::to_string(fileChannel + 1), std::to_string(frame),
                                        secondsText(static_cast<double>(frame) / rate)});
    if (!std::isfinite(value))
        return Failure(AudioStatus::BadSample,
                       FillArgs(CoreText("AudioFile", "Файл %1: %2 не является числом."), {path, place}));
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", setting_limits::kSampleMagnitudeMax);
    return Failure(AudioStatus::BadSample,
                   FillArgs(CoreText("AudioFile", "Файл %1: %2 по модулю больше %3 полных шкал."),
                            {path, place, limit}));
}

std::string writeError(SNDFILE* file)
{
    return FillArgs(CoreText("AudioFile", "Ошибка записи: %1"), {sf_strerror(file)});
}

std::string FormatText(int format)
{
    SF_FORMAT_INFO major{};
    major.format = format & SF_FORMAT_TYPEMASK;
    std::string text =
        sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0 && major.name ? major.name : "?";
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
        return text + CoreText("AudioFile", ", 8 бит");
    case SF_FORMAT_PCM_16:
        return text + CoreText("AudioFile", ", 16 бит");
    case SF_FORMAT_PCM_24:
        return text + CoreText("AudioFile", ", 24 бит");
    case SF_FORMAT_PCM_32:
        return text + CoreText("AudioFile", ", 32 бит");
    case SF_FORMAT_FLOAT:
        return text + CoreText("AudioFile", ", 32 бит с плавающей точкой");
    case SF_FORMAT_DOUBLE:
        return text + CoreText("AudioFile", ", 64 бит с плавающей точкой");
    default:
        return text;
    }
}

// Opens a regular file only (a pipe or a device is never waited on) and hands its descriptor
// to the library, which closes it.
AudioResult Open(const std::string& path, SndfilePtr& file, SF_INFO& info)
{
    std::error_code error;
    const int fd = OpenRegularFileForReading(path, error);
    if (fd < 0)
        return Failure(
            AudioStatus::CannotOpen,
            FillArgs(CoreText("AudioFile", "Не удается открыть файл %1: %2"), {path, error.message()}));
    info = SF_INFO{};
    file.reset(sf_open_fd(fd, SFM_READ, &info, SF_TRUE));
    if (!file) {
        // The library has closed the descriptor already, refusal or not.
        return Failure(
            AudioStatus::CannotOpen,
            FillArgs(CoreText("AudioFile", "Файл %1 не является звукозаписью известного формата: %2"),
                     {path, sf_strerror(nullptr)}));
    }
    if (info.channels < 6)
        return Failure(
            AudioStatus::TooFewChannels,
            FillArgs(CoreText("AudioFile", "В файле %1 %2 канал(а); для шести микрофонов зонда нужно "
                                           "не менее шести каналов."),
                     {path, std::to_string(info.channels)}));
    return {};
}

}   // namespace

AudioResult ReadAudioInfo(const std::string& path, AudioFileInfo& info)
{
    SndfilePtr file;
    SF_INFO sf{};
    AudioResult result = Open(path, file, sf);
    info.channels = sf.channels;
    info.frames = sf.frames;
    info.sampleRate = sf.samplerate;
    info.formatText = file ? FormatText(sf.format) : std::string();
    const char* comment = file ? sf_get_string(file.get(), SF_STR_COMMENT) : nullptr;
    info.comment = comment ? comment : "";
    return result;
}

int64_t AudioStretchFrames(const AudioFileInfo& info, int64_t startFrame, int64_t frameCount)
{
    if (startFrame < 0 || frameCount <= 0 || startFrame >= info.frames)
        return -1;
    return std::min(frameCount, info.frames - startFrame);
}

AudioResult ReadAudioStretch(const std::string& path, const AudioChannelMap& map, int64_t startFrame,
                             int64_t frameCount, double voltsFullScale, Segment& out)
{
    SndfilePtr file;
    SF_INFO sf{};
    if (AudioResult opened = Open(path, file, sf); !opened.ok())
        return opened;
    const std::set<int> distinct(map.begin(), map.end());
    if (distinct.size() != map.size() || *distinct.begin() < 0 || *distinct.rbegin() >= sf.channels)
        return Failure(
            AudioStatus::BadChannelMap,
            FillArgs(CoreText("AudioFile", "Каналы микрофонов должны быть разными каналами файла 1 ... %1."),
                     {std::to_string(sf.channels)}));
    AudioFileInfo info;
    info.frames = sf.frames;
    const int64_t frames = AudioStretchFrames(info, startFrame, frameCount);
    if (frames < 0 || frames > INT32_MAX)
        return Failure(AudioStatus::BadStretch,
                       FillArgs(CoreText("AudioFile",
                                         "Выбранный участок лежит вне записи (в ней %1 отсчетов на канал)."),
                                {std::to_string(sf.frames)}));
    if (!IsValidFullScale(voltsFullScale))
        return Failure(AudioStatus::BadStretch,
                       CoreText("AudioFile", "Напряжение полной шкалы лежит вне допустимых пределов."));
    if (sf_seek(file.get(), startFrame, SEEK_SET) < 0)
        return Failure(AudioStatus::ReadError, readError(file.get()));

    out.Clear();
    out.Allocate(static_cast<int32_t>(frames));
    out.sampleRate = static_cast<uint32_t>(sf.samplerate);
    out.paPerVolt = {};
    const size_t width = static_cast<size_t>(sf.channels);
    const int64_t chunkFrames = std::max<int64_t>(1, kChunkSamples / sf.channels);
    std::vector<double> chunk(static_cast<size_t>(std::min(frames, chunkFrames)) * width);
    int64_t done = 0;
    while (done < frames) {
        const sf_count_t want = std::min(frames - done, chunkFrames);
        const sf_count_t got = sf_readf_double(file.get(), chunk.data(), want);
        for (sf_count_t j = 0; j < got; ++j)
            for (int m = 0; m < 6; ++m) {
                const int channel = map[static_cast<size_t>(m)];
                const double sample = chunk[static_cast<size_t>(j) * width + static_cast<size_t>(channel)];
                if (!IsValidSample(sample)) {
                    out.Clear();
                    return badSample(path, channel, startFrame + done + j, sf.samplerate, sample);
                }
                out.channels[static_cast<size_t>(m)][static_cast<size_t>(done + j)] = sample * voltsFullScale;
            }
        done += got;
        if (got < want) {
            if (sf_error(file.get()) != SF_ERR_NO_ERROR)
                return Failure(AudioStatus::ReadError, readError(file.get()));
            break;   // the data end before the header said: keep what is there
        }
    }
    if (done < frames) {
        if (done == 0)
            return Failure(AudioStatus::BadStretch,
                           CoreText("AudioFile", "В выбранном участке записи нет ни одного отсчета."));
        for (auto& channel : out.channels)
            channel.resize(static_cast<size_t>(done));
        out.time.resize(static_cast<size_t>(done));
        out.sampleCount = static_cast<int32_t>(done);
    }
    for (int64_t j = 0; j < out.sampleCount; ++j)
        out.time[static_cast<size_t>(j)] = static_cast<double>(j) / sf.samplerate;
    return {};
}

namespace {

// The library writes through these into a growing byte array.
struct MemoryFile {
    std::vector<char>* bytes;
    sf_count_t position = 0;
};

sf_count_t MemoryLength(void* user)
{
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes->size());
}

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_CUR   ? file->position
                            : whence == SEEK_END ? static_cast<sf_count_t>(file->bytes->size())
                                                 : 0;
    file->position = std::max<sf_count_t>(0, base + offset);
    return file->position;
}

sf_count_t MemoryRead(void* data, sf_count_t count, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t available =
        std::max<sf_count_t>(0, static_cast<sf_count_t>(file->bytes->size()) - file->position);
    const sf_count_t n = std::min(count, available);
    std::memcpy(data, file->bytes->data() + file->position, static_cast<size_t>(n));
    file->position += n;
    return n;
}

sf_count_t MemoryWrite(const void* data, sf_count_t count, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    const size_t end = static_cast<size_t>(file->position + count);
    if (end > file->bytes->size())
        file->bytes->resize(end);
    std::memcpy(file->bytes->data() + file->position, data, static_cast<size_t>(count));
    file->position += count;
    return count;
}

sf_count_t MemoryTell(void* user)
{
    return static_cast<MemoryFile*>(user)->position;
}

}   // namespace

AudioResult EncodeFloatWav(const Segment& segment, double fullScale, const std::string& comment,
                           std::vector<char>& bytes)
{
    bytes.clear();
    if (segment.sampleCount <= 0 || segment.sampleRate == 0 || !(fullScale > 0))
        return Failure(AudioStatus::BadStretch, CoreText("AudioFile", "Нечего записывать."));
    SF_INFO info{};
    info.samplerate = static_cast<int>(segment.sampleRate);
    info.channels = 6;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
    MemoryFile memory{&bytes};
    SndfilePtr file(sf_open_virtual(&io, SFM_WRITE, &info, &memory));
    if (!file)
        return Failure(AudioStatus::ReadError, writeError(nullptr));
    sf_set_string(file.get(), SF_STR_COMMENT, comment.c_str());
    sf_set_string(file.get(), SF_STR_SOFTWARE, "Sonorix");
    // Floats are stored as they are: no clipping of values beyond full scale.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_FALSE);
    std::vector<float> chunk(static_cast<size_t>(kChunkFrames) * 6);
    const double scale = 1.0 / fullScale;
    for (int64_t done = 0; done < segment.sampleCount;) {
        const int64_t n = std::min<int64_t>(segment.sampleCount - done, kChunkFrames);
        for (int64_t j = 0; j < n; ++j)
            for (size_t m = 0; m < 6; ++m)
                chunk[static_cast<size_t>(j) * 6 + m] =
                    static_cast<float>(segment.channels[m][static_cast<size_t>(done + j)] * scale);
        if (sf_writef_float(file.get(), chunk.data(), n) != n)
            return Failure(AudioStatus::ReadError, writeError(file.get()));
        done += n;
    }
    file.reset();   // closing writes the final chunk sizes
    return {};
}
