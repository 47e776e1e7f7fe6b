#include "SampleGen.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace {
// A hash of (seed, channel, record) so that any sample can be worked out on its own.
uint64_t mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double uniformNoise(uint32_t seed, int channel, int64_t record)
{
    const uint64_t h = mix(mix(seed * 8ull + static_cast<uint64_t>(channel)) ^ static_cast<uint64_t>(record));
    return static_cast<double>(h >> 11) / 9007199254740992.0 * 2.0 - 1.0;   // [-1, 1)
}

uint8_t reverse(uint8_t b)
{
    static const auto table = [] {
        std::array<uint8_t, 256> t{};
        for (int v = 0; v < 256; ++v)
            for (int n = 0; n < 8; ++n)
                if (v & (1 << n))
                    t[v] = static_cast<uint8_t>(t[v] | 1u << (7 - n));
        return t;
    }();
    return table[b];
}

// Phase lead of each channel over the first microphone of its pair, rad.
std::array<double, 6> phaseLeads(const RawRecordingSpec& s)
{
    const double w = 2.0 * std::numbers::pi * s.frequency;
    const double tz = s.fiZ * std::numbers::pi / 180.0;
    const double tx = s.fiX * std::numbers::pi / 180.0;
    return {0.0, w * s.lmic[0] * std::sin(tz) * std::cos(tx) / s.soundSpeed,
            0.0, w * s.lmic[1] * std::sin(tz) * std::sin(tx) / s.soundSpeed,
            0.0, w * s.lmic[2] * std::cos(tz) / s.soundSpeed};
}

double waveValue(const RawRecordingSpec& s, const std::array<double, 6>& leads, int channel, int64_t record,
                 uint32_t rate)
{
    const double t = static_cast<double>(record) / rate;
    double v = s.amplitude * std::sin(2.0 * std::numbers::pi * s.frequency * t + leads[channel]);
    if (s.noise > 0.0)
        v += s.noise * uniformNoise(s.seed, channel, record);
    return std::round(v);
}

void stamp(uint8_t* out, int day, int hour, int minute, int second)
{
    out[0] = static_cast<uint8_t>(day);
    out[1] = static_cast<uint8_t>(hour);
    out[2] = static_cast<uint8_t>(minute);
    out[3] = static_cast<uint8_t>(second);
}

bool fail(std::string* error, const std::string& what)
{
    if (error)
        *error = what;
    return false;
}
}   // namespace

int64_t RawRecordCount(const RawRecordingSpec& spec)
{
    return static_cast<int64_t>(spec.rate) * spec.seconds + spec.extraRecords;
}

int RawSampleCode(const RawRecordingSpec& spec, int channel, int64_t record)
{
    const auto leads = phaseLeads(spec);
    const double code = waveValue(spec, leads, channel, record, spec.rate) + spec.nullAdc;
    return static_cast<int>(std::clamp(code, 0.0, 16383.0));
}

std::array<uint8_t, 16> EncodeRawRecord(const std::array<int, 6>& slotCodes)
{
    static constexpr uint8_t tags[6] = {3, 3, 1, 1, 2, 2};
    std::array<uint8_t, 16> record{};
    for (int k = 0; k < 6; ++k) {
        const int code = slotCodes[k] & 0x3FFF;
        record[2 * k] = reverse(static_cast<uint8_t>(code & 0xFF));
        // Code bits 8..13 go to bits 5..0 of the high byte, below the tag.
        record[2 * k + 1] =
            static_cast<uint8_t>(tags[k] << 6 | reverse(static_cast<uint8_t>((code >> 8) << 2)));
    }
    return record;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return fail(error, path + ": " + std::strerror(errno));
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return ok && closed ? true : fail(error, path + ": write failed");
}

bool WriteRawRecording(const std::string& path, const RawRecordingSpec& spec, std::string* error)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return fail(error, path + ": " + std::strerror(errno));

    const int startOfDay = spec.startHour * 3600 + spec.startMinute * 60 + spec.startSecond;
    int endOfDay = startOfDay + static_cast<int>(spec.seconds);
    int endDay = spec.startDay + endOfDay / 86400;
    endOfDay %= 86400;
    if (spec.invalidStamps)
        endDay = spec.startDay + 2;
    uint8_t head[4];
    uint8_t tail[4];
    stamp(head, spec.startDay, spec.startHour, spec.startMinute, spec.startSecond);
    stamp(tail, endDay, endOfDay / 3600, endOfDay / 60 % 60, endOfDay % 60);

    bool ok = std::fwrite(head, 1, 4, f) == 4;
    const auto leads = phaseLeads(spec);
    const int64_t records = RawRecordCount(spec);
    std::vector<uint8_t> chunk;
    chunk.reserve(1 << 20);
    size_t nextDamage = 0;
    uint64_t garbage = spec.seed;
    for (int64_t i = 0; i < records && ok; ++i) {
        while (nextDamage < spec.damage.size() && spec.damage[nextDamage].record == i) {
            // Tag bits 00 in every byte: nothing in a damaged stretch can read as a marker.
            for (int b = 0; b < spec.damage[nextDamage].bytes; ++b) {
                garbage = mix(garbage);
                chunk.push_back(static_cast<uint8_t>(garbage & 0x3F));
            }
            ++nextDamage;
        }
        std::array<int, 6> slotCodes{};
        for (int k = 0; k < 6; ++k) {
            const int channel = spec.chs[k];
            const double code = waveValue(spec, leads, channel, i, spec.rate) + spec.nullAdc;
            slotCodes[k] = static_cast<int>(std::clamp(code, 0.0, 16383.0));
        }
        const auto record = EncodeRawRecord(slotCodes);
        chunk.insert(chunk.end(), record.begin(), record.end());
        if (chunk.size() >= (1u << 20) - 64) {
            ok = std::fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size();
            chunk.clear();
        }
    }
    if (ok && !chunk.empty())
        ok = std::fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size();
    ok = ok && std::fwrite(tail, 1, 4, f) == 4;
    const bool closed = std::fclose(f) == 0;
    return ok && closed ? true : fail(error, path + ": write failed");
}

std::vector<uint8_t> SegmentFileContents(uint32_t rate, double duration,
                                         const std::array<double, 6>& sensitivities,
                                         const std::array<std::vector<double>, 6>& channels)
{
    const uint32_t even = rate & ~1u;
    const double product = static_cast<double>(even) * duration;
    const int64_t n = product > 0.0 ? static_cast<int64_t>(std::trunc(product)) : 0;
    std::vector<uint8_t> bytes;
    auto put = [&bytes](const void* p, size_t size) {
        // The format is little-endian; the generator is only built for little-endian hosts.
        const auto* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + size);
    };
    put(&rate, 4);
    put(&duration, 8);
    put(sensitivities.data(), 48);
    for (const auto& c : channels)
        for (int64_t j = 0; j < n; ++j) {
            const double v = j < static_cast<int64_t>(c.size()) ? c[j] : 0.0;
            put(&v, 8);
        }
    return bytes;
}

std::array<std::vector<double>, 6> PlaneWaveChannels(const RawRecordingSpec& wave, uint32_t rate,
                                                     int64_t count)
{
    const auto leads = phaseLeads(wave);
    std::array<std::vector<double>, 6> channels;
    for (int c = 0; c < 6; ++c) {
        channels[c].resize(static_cast<size_t>(count));
        for (int64_t j = 0; j < count; ++j)
            channels[c][j] = waveValue(wave, leads, c, j, rate);
    }
    return channels;
}
