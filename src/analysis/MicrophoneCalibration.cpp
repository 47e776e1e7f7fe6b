#include "MicrophoneCalibration.h"

#include "CoreText.h"

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
        return CoreText("MicrophoneCalibration", "уровень и частота тона должны быть положительными числами");
    case CalibrationStatus::ToneAboveNyquist:
        return FillArgs(CoreText("MicrophoneCalibration",
                                 "полоса тона %1 Гц доходит до половины частоты оцифровки "
                                 "(%2 Гц)"),
                        {number(tone.frequency), number(rate)});
    case CalibrationStatus::TooShort:
        return FillArgs(CoreText("MicrophoneCalibration",
                                 "запись слишком коротка: после установления фильтра "
                                 "нужно не меньше %1 с"),
                        {number(kCalibrationMinSeconds)});
    case CalibrationStatus::NoSignal:
        break;
    }
    return FillArgs(CoreText("MicrophoneCalibration", "тон не найден: в полосе около %1 Гц нет сигнала"),
                    {number(tone.frequency)});
}

std::string ReadSegmentStretchVolts(const std::string& path, const SegmentHeader& header, int64_t first,
                                    int64_t count, double volt, Segment& out)
{
    out.Clear();
    const int64_t n = header.sampleCount;
    if (first < 0 || count < 1 || first >= n || count > n - first || count > INT32_MAX)
        return CoreText("MicrophoneCalibration", "выбранный участок лежит за пределами записи");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return FillArgs(CoreText("MicrophoneCalibration", "не удалось открыть файл %1"), {path});
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
            return FillArgs(
                CoreText("MicrophoneCalibration", "файл %1 кончается раньше, чем сказано в его заголовке"),
                {path});
        }
        for (size_t j = 0; j < channel.size(); ++j) {
            if (!std::isfinite(channel[j])) {
                const int64_t at = first + static_cast<int64_t>(j);
                out.Clear();
                return FillArgs(CoreText("MicrophoneCalibration", "в канале %1 отсчет %2 не является числом"),
                                {std::to_string(c + 1), std::to_string(at + 1)});
            }
            channel[j] *= volt;
        }
    }
    for (size_t j = 0; j < out.time.size(); ++j)
        out.time[j] = static_cast<double>(j) / header.evenRate;
    return {};
}
