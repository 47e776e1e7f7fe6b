// calibrate: the microphones' sensitivities from a recording of a calibrator on each, and, when
// asked, the new sensitivities kept in the settings store with their microphones.
#include "CliAudio.h"
#include "CliContext.h"
#include "CliJson.h"

#include "Calibration.h"
#include "MicrophoneCalibration.h"
#include "PlaybackFrame.h"
#include "Recording.h"
#include "SettingLimits.h"
#include "SettingsStore.h"

#include <CLI/CLI.hpp>

#include <QStringList>

#include <array>
#include <vector>

namespace {

const char kCalibrateHelp[] =
    "Usage: sonorix-cli calibrate FILE --level DB --freq HZ [--channel N] [--from S --to S]\n"
    "                             [--channels A,B,C,D,E,F] [--full-scale V]\n"
    "                             [--json | --locale[=NAME]] [--write] [constants]\n"
    "Each microphone's sensitivity from a recording of a calibrator on it: the channel is\n"
    "filtered to the one-third-octave band around HZ, and the RMS after the filter's start-up is\n"
    "the voltage the calibrator's level gives. One CSV row per microphone:\n"
    "  file,channel,file_channel,found_hz,level_db,sensitivity,old_sensitivity,change_db,\n"
    "  stability_db,warnings\n"
    "found_hz is the strongest component, level_db the tone's level read with the old\n"
    "sensitivity, the sensitivities in mV/Pa, change_db = 20 lg(new / old), stability_db the\n"
    "max - min of the 1 s RMS levels (empty below 2 s of tone).\n"
    "  --level DB        the calibrator's level, dB re 20 uPa (94, 114, ...)\n"
    "  --freq HZ         the calibrator's frequency (1000, 250, ...)\n"
    "  --channel N       only microphone N (1..6); default all six\n"
    "  --json            a JSON array with an object per microphone instead of CSV\n"
    "  --locale[=NAME]   the program's own CSV form (see intensity --help)\n"
    "  --write           keep the new sensitivities in the settings store (the user's own, or\n"
    "                    the one --store names), each with its microphone whatever the channel\n"
    "                    order; only when every microphone asked for has its tone\n"
    "FILE is an audio file or a segment (*.kvnb, whose samples are ADC steps x VOLT volts).\n"
    "A microphone without its tone (nothing in the band, or the strongest component outside\n"
    "it) is reported on standard error, and the exit code is 1.\n";

// One microphone's result.
struct Row {
    int microphone = 0;    // 0-based
    int fileChannel = 0;   // 1-based
    ChannelCalibration result;
    std::vector<std::string> warnings;
};

std::optional<double> positiveNumber(const std::optional<std::string>& text)
{
    const std::optional<double> v = text ? ParseNumber(*text) : std::nullopt;
    return v && *v > 0 ? v : std::nullopt;
}

// A microphone whose result cannot be used, in words; empty when it can.
std::string failureText(const ChannelCalibration& r, const CalibratorTone& tone, double rate)
{
    return CalibrationFailureRu(r, tone, rate, [](double v) { return MachineNumber(v); });
}

QString optionalNumber(const Context& ctx, const std::optional<double>& v)
{
    return v ? OutputNumber(ctx, *v) : QString();
}

std::string optionalJson(const std::optional<double>& v)
{
    return v ? JsonNumber(*v) : std::string("null");
}

QString csvHeader(const Context& ctx)
{
    return ctx.localeForm ? QStringLiteral("Файл;Микрофон;Канал файла;Частота(Гц);Уровень(дБ);"
                                           "Чувствительность(мВ/Па);Прежняя(мВ/Па);Изменение(дБ);"
                                           "Стабильность(дБ);Предупреждения")
                          : QStringLiteral("file,channel,file_channel,found_hz,level_db,sensitivity,"
                                           "old_sensitivity,change_db,stability_db,warnings");
}

QString csvRow(const Context& ctx, const std::string& path, const Row& row)
{
    const char sepChar = ctx.localeForm ? ';' : ',';
    const QString sep = QString(QChar::fromLatin1(sepChar));
    std::string warnings;
    for (const std::string& w : row.warnings)
        warnings += (warnings.empty() ? "" : " ") + w;
    const ChannelCalibration& r = row.result;
    return QString::fromStdString(CsvField(path, sepChar)) + sep + QString::number(row.microphone + 1) + sep +
           QString::number(row.fileChannel) + sep + OutputNumber(ctx, r.foundFrequency) + sep +
           optionalNumber(ctx, r.levelWithOldDb) + sep + OutputNumber(ctx, r.sensitivity) + sep +
           OutputNumber(ctx, r.oldSensitivity) + sep + optionalNumber(ctx, r.changeDb) + sep +
           optionalNumber(ctx, r.stabilityDb) + sep + QString::fromStdString(CsvField(warnings, sepChar));
}

std::string jsonObject(const std::string& path, const Row& row)
{
    std::vector<std::string> warnings;
    for (const std::string& w : row.warnings)
        warnings.push_back(JsonString(w));
    const ChannelCalibration& r = row.result;
    return JsonObject()
        .string("file", path)
        .integer("channel", row.microphone + 1)
        .integer("file_channel", row.fileChannel)
        .number("found_hz", r.foundFrequency)
        .raw("level_db", optionalJson(r.levelWithOldDb))
        .number("sensitivity", r.sensitivity)
        .number("old_sensitivity", r.oldSensitivity)
        .raw("change_db", optionalJson(r.changeDb))
        .raw("stability_db", optionalJson(r.stabilityDb))
        .raw("warnings", JsonArray(warnings))
        .text();
}

// Files each new sensitivity under its microphone in the store, through the store's own rule
// for the channel order, changing no other key: another program writing the store at the same
// time (a second calibrate run, the desktop program) keeps its keys, and a write the store
// could not make (a read-only file system, a full disk, a lock held too long) is reported with
// its reason, never taken for done. Options of this run (--sens, --chs, ...) are not stored.
std::string storeSensitivities(const std::vector<Row>& rows)
{
    const std::string store = SettingsStore::FileName().toStdString();
    Settings stored = DefaultSettings();
    const StoreLoadReport report = LoadSettings(stored);
    if (!report.unreadable.isEmpty() || !report.refused.empty())
        return "хранилище настроек " + store +
               " содержит значения, которые программа не может использовать; чувствительности не записаны";
    std::vector<MicrophoneSensitivity> values;
    for (const Row& row : rows)
        values.push_back({row.microphone, row.result.sensitivity});
    if (const StoreStatus status = SaveMicrophoneSensitivities(values); !status.ok())
        return "чувствительности не записаны в хранилище настроек " + store + ": " +
               status.error.toStdString();
    return {};
}

class CalibrateCommand : public CliCommand {
public:
    const char* help() const override
    {
        static const std::string text = std::string(kCalibrateHelp) + AudioOptionsHelp(true);
        return text.c_str();
    }
    void addOptions(CLI::App& app, CommandLine& line) override
    {
        AddValueOption(app, "--level", level_);
        AddValueOption(app, "--freq", freq_);
        AddValueOption(app, "--channel", channel_);
        AddFlagOption(app, "--json", json_);
        AddFlagOption(app, "--write", write_);
        AddLocaleOption(app, line.locale);
        AddAudioOptions(app, audioOptions_, true);
    }
    std::string usageProblem(const CommandLine& line) const override;
    int run(const Context& ctx, const CommandLine& line) override;

private:
    bool load(const Context& ctx, const std::string& path, const AudioPlan& audio, Segment& volts) const;

    std::optional<std::string> level_, freq_, channel_;
    bool json_ = false;
    bool write_ = false;
    AudioOptions audioOptions_;
};

std::string CalibrateCommand::usageProblem(const CommandLine& line) const
{
    if (line.files.size() != 1)
        return "calibrate needs one file";
    if (!level_ || !freq_)
        return "calibrate needs --level and --freq";
    // Beyond 200 dB no calibrator sounds, and 10^(L/20) soon leaves the doubles.
    if (!positiveNumber(level_) || *positiveNumber(level_) > 200.0)
        return "--level: нужен уровень калибратора в дБ, положительное число не более 200, получено \"" +
               *level_ + "\"";
    if (!positiveNumber(freq_))
        return "--freq: нужна частота калибратора в Гц, положительное число, получено \"" + *freq_ + "\"";
    if (channel_) {
        const std::optional<int> n = ParseInteger(*channel_);
        if (!n || *n < 1 || *n > 6)
            return "--channel: нужен номер микрофона от 1 до 6, получено \"" + *channel_ + "\"";
    }
    if (json_ && !line.locale.empty())
        return "--json and --locale exclude each other";
    AudioPlan audio;
    return MakeAudioPlan(audioOptions_, audio);
}

// The recording in volts: an audio file's samples as read, a segment's ADC steps times VOLT.
bool CalibrateCommand::load(const Context& ctx, const std::string& path, const AudioPlan& audio,
                            Segment& volts) const
{
    Recording recording;
    if (!LoadRecording(ctx, path, audio, recording))
        return false;
    volts = std::move(recording.samples);
    if (recording.scale.voltsPerUnit != 1.0)
        for (std::vector<double>& channel : volts.channels)
            for (double& sample : channel)
                sample *= recording.scale.voltsPerUnit;
    return true;
}

int CalibrateCommand::run(const Context& ctx, const CommandLine& line)
{
    const CalibratorTone tone{*positiveNumber(level_), *positiveNumber(freq_)};
    AudioPlan audio;
    (void)MakeAudioPlan(audioOptions_, audio);   // refused before the run when it cannot be made
    const bool audioFile = IsAudioInput(line.files[0]);
    const std::string& path = line.files[0];
    ctx.presenter.setFile(path);
    Segment volts;
    const bool loaded = Guarded(ctx, path, [&] { return load(ctx, path, audio, volts); });
    ctx.presenter.setFile({});
    if (!loaded)
        return kExitSomeFailed;

    const std::array<double, 6> old = ChannelSensitivities(ctx.settings);
    const double rate = volts.sampleRate;
    std::optional<int> only;
    if (channel_)
        only = *ParseInteger(*channel_) - 1;
    std::vector<Row> rows;
    bool anyFailed = false;
    for (const MicrophoneCalibration& calibrated : CalibrateMicrophones(volts, tone, old, only)) {
        const int m = calibrated.microphone;
        Row row;
        row.microphone = m;
        row.fileChannel = audioFile ? audio.map[static_cast<size_t>(m)] + 1 : m + 1;
        row.result = calibrated.result;
        const std::string prefix = "микрофон " + std::to_string(m + 1) + ": ";
        if (const std::string failure = failureText(row.result, tone, rate); !failure.empty()) {
            ctx.fail(path, prefix + failure);
            anyFailed = true;
            continue;
        }
        // A tone elsewhere than the band stated is no calibrator tone of this level.
        anyFailed = anyFailed || !calibrated.toneFound();
        row.warnings = calibrated.warnings;
        for (const std::string& warning : row.warnings)
            ctx.fail(path, prefix + warning);
        rows.push_back(row);
    }

    if (json_) {
        std::vector<std::string> objects;
        for (const Row& row : rows)
            objects.push_back(jsonObject(path, row));
        ctx.out << JsonDocument(objects);
    } else {
        QStringList csv{csvHeader(ctx)};
        for (const Row& row : rows)
            csv << csvRow(ctx, path, row);
        ctx.out << EncodeLines(csv, ctx.localeForm);
    }
    ctx.out.flush();

    if (write_) {
        for (const Row& row : rows)
            if (!IsValidSensitivity(row.result.sensitivity)) {
                ctx.fail(path, "микрофон " + std::to_string(row.microphone + 1) + ": чувствительность " +
                                   MachineNumber(row.result.sensitivity) +
                                   " мВ/Па программа использовать не может");
                anyFailed = true;
            }
        if (anyFailed) {
            ctx.fail("", "чувствительности не записаны: не у всех микрофонов найден тон калибратора");
            return kExitSomeFailed;
        }
        if (const std::string error = storeSensitivities(rows); !error.empty()) {
            ctx.fail("", error);
            return kExitSomeFailed;
        }
        std::string list;
        for (const Row& row : rows)
            list += (list.empty() ? "" : ", ") + std::to_string(row.microphone + 1);
        ctx.fail("", "чувствительности микрофонов " + list + " записаны в хранилище настроек " +
                         SettingsStore::FileName().toStdString());
    }
    return anyFailed ? kExitSomeFailed : kExitOk;
}

}   // namespace

std::unique_ptr<CliCommand> MakeCalibrateCommand()
{
    return std::make_unique<CalibrateCommand>();
}
