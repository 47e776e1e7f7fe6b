#include "MicrophoneCalibration.h"

#include <cmath>
#include <fstream>

std::vector<MicrophoneCalibration> CalibrateMicrophones(const Segment& volts, const CalibratorTone& tone,
                                                        const std::array<double, 6>& oldSensitivities,
                                                        std::optional<int> only,
                                                        const std::function<bool(double)>& progress)
{
    std::vector<MicrophoneCalibration> rows;
    for (int m = 0; m < 6; ++m) {
        if (only && *only != m)
            continue;
        MicrophoneCalibration row;
        row.microphone = m;
        row.result = CalibrateChannel(volts.channels[static_cast<size_t>(m)].data(), volts.sampleCount,
                                      static_cast<double>(volts.sampleRate), tone,
                                      oldSensitivities[static_cast<size_t>(m)]);
        if (row.result.status == CalibrationStatus::Ok)
            row.warnings = CalibrationWarningsRu(row.result, tone);
        rows.push_back(std::move(row));
        if (progress && !progress((m + 1) / 6.0))
            break;
    }
    return rows;
}

std::string CalibrationFailureRu(const ChannelCalibration& r, const CalibratorTone& tone, double rate,
                                 const std::function<std::string(double)>& number)
{
    switch (r.status) {
    case CalibrationStatus::Ok:
        return {};
    case CalibrationStatus::BadTone:
        return "уровень и частота тона должны быть положительными числами";
    case CalibrationStatus::ToneAboveNyquist:
        return "полоса тона " + number(tone.frequency) + " Гц доходит до половины частоты оцифровки (" +
               number(rate) + " Гц)";
    case CalibrationStatus::TooShort:
        return "запись слишком коротка: после установления фильтра нужно не меньше " +
               number(kCalibrationMinSeconds) + " с";
    case CalibrationStatus::NoSignal:
        break;
    }
    return "тон не найден: в полосе около " + number(tone.frequency) + " Гц нет сигнала";
}

std::string ReadSegmentStretchVolts(const std::string& path, const SegmentHeader& header, int64_t first,
                                    int64_t count, double volt, Segment& out)
{
    out.Clear();
    const int64_t n = header.sampleCount;
    if (first < 0 || count < 1 || first >= n || count > n - first || count > INT32_MAX)
        return "выбранный участок лежит за пределами записи";
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "не удалось открыть файл " + path;
    out.Allocate(static_cast<int32_t>(count));
    out.sampleRate = header.evenRate;
    const std::streamsize bytes = static_cast<std::streamsize>(count * 8);
    for (size_t c = 0; c < 6; ++c) {
        std::vector<double>& channel = out.channels[c];
        in.seekg(
            static_cast<std::streamoff>(kSegmentHeaderBytes + 8 * (static_cast<int64_t>(c) * n + first)));
        in.read(reinterpret_cast<char*>(channel.data()), bytes);
        if (!in || in.gcount() != bytes) {
            out.Clear();
            return "файл " + path + " кончается раньше, чем сказано в его заголовке";
        }
        for (size_t j = 0; j < channel.size(); ++j) {
            if (!std::isfinite(channel[j])) {
                const int64_t at = first + static_cast<int64_t>(j);
                out.Clear();
                return "в канале " + std::to_string(c + 1) + " отсчет " + std::to_string(at + 1) +
                       " не является числом";
            }
            channel[j] *= volt;
        }
    }
    for (size_t j = 0; j < out.time.size(); ++j)
        out.time[j] = static_cast<double>(j) / header.evenRate;
    return {};
}
