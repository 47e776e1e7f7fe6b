// The batch tool on multichannel audio files: each test writes its files (with the audio library
// directly, so the reader is checked against an independent writer) into a fresh folder and
// points the settings store at a file there, so no run reads or writes the user's settings.
#include "CliCommands.h"
#include "CliFixture.h"

#include "AudioFile.h"
#include "PlaybackFrame.h"
#include "Recording.h"
#include "ReadWriteMyFile.h"
#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sndfile.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.141592653589793;

using Channels = std::vector<std::vector<double>>;

class CliAudioTest : public CliFixture {
protected:
    CliAudioTest() : CliFixture("cli_audio_") {}

    // A run with its settings from the store file named.
    static CliRun runWithStore(const std::string& store, std::vector<std::string> args)
    {
        args.insert(args.begin() + 1, {"--store", store});
        std::ostringstream out, err;
        CliRun r;
        r.code = RunCli(args, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    // The shell's exit code of a script run from the test's folder.
    int runScript(const std::string& lines) const
    {
        std::ofstream(path("run.sh")) << lines;
        const int status = std::system(("cd '" + dir_.string() + "' && sh run.sh").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // An audio file of the channels (volts) with fullScale volts at ±1.0.
    void writeAudio(const std::string& name, int format, int rate, const Channels& channels,
                    double fullScale = 1.0) const
    {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = static_cast<int>(channels.size());
        info.format = format;
        SNDFILE* file = sf_open(path(name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        const size_t frames = channels.front().size();
        std::vector<double> interleaved(frames * channels.size());
        for (size_t j = 0; j < frames; ++j)
            for (size_t c = 0; c < channels.size(); ++c)
                interleaved[j * channels.size() + c] = channels[c][j] / fullScale;
        EXPECT_EQ(sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(frames)),
                  static_cast<sf_count_t>(frames));
        sf_close(file);
    }
};

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ','))
        fields.push_back(field);
    return fields;
}

// The numbers of a one-row intensity CSV by column name.
std::map<std::string, double> intensityRow(const CliRun& r)
{
    const auto lines = splitLines(r.out);
    std::map<std::string, double> row;
    if (lines.size() != 2) {
        ADD_FAILURE() << r.out << r.err;
        return row;
    }
    const auto names = splitFields(lines[0]);
    const auto values = splitFields(lines[1]);
    for (size_t i = 5; i < names.size() && i < values.size(); ++i)
        row[names[i]] = std::stod(values[i]);
    return row;
}

// Every vector component and modulus of two rows agree within rel x the size of the quantity's
// kind: |I| for the intensities (J of a plane wave is next to nothing), |P| for the energies.
void expectSameVectors(const std::map<std::string, double>& a, const std::map<std::string, double>& b,
                       double rel)
{
    ASSERT_FALSE(a.empty());
    for (const char* q : {"I", "J", "K", "P"}) {
        const double scale = std::fabs(a.at(q[0] == 'I' || q[0] == 'J' ? "I_mod" : "P_mod"));
        for (const char* c : {"_x", "_y", "_z", "_mod"}) {
            const std::string name = std::string(q) + c;
            EXPECT_NEAR(a.at(name), b.at(name), rel * scale) << name;
        }
    }
}

RawRecordingSpec slowWave()
{
    RawRecordingSpec wave;
    wave.frequency = 40.0;
    wave.amplitude = 1000.0;
    wave.fiZ = 60.0;
    wave.fiX = 30.0;
    return wave;
}

// The six channels of a plane wave in ADC steps, as a segment file holds them.
std::array<std::vector<double>, 6> waveSteps(uint32_t rate, int64_t n)
{
    return PlaneWaveChannels(slowWave(), rate, n);
}

const std::array<double, 6> kSensitivities{50, 40, 30, 20, 10, 5};

std::string sensOption()
{
    std::string text;
    for (double s : kSensitivities)
        text += (text.empty() ? "" : ",") + std::to_string(static_cast<int>(s));
    return text;
}

// The volts microphones of these sensitivities give for the pressure a segment's steps stand for
// in the intensity routine (kFilePascalPerStep each).
Channels volts(const std::array<std::vector<double>, 6>& steps)
{
    Channels out(6);
    for (size_t m = 0; m < 6; ++m) {
        out[m] = steps[m];
        for (double& v : out[m])
            v *= 0.1220703125 * kSensitivities[m] / 1000.0;
    }
    return out;
}

}   // namespace

TEST_F(CliAudioTest, AWavGivesTheIntensityOfTheSameSamplesInASegment)
{
    const uint32_t rate = 8000;
    const int64_t n = 2 * rate;
    const auto steps = waveSteps(rate, n);
    std::string error;
    ASSERT_TRUE(
        WriteBytes(path("seg.kvnb"), SegmentFileContents(rate, 2.0, DefaultSettings().Chuv, steps), &error))
        << error;
    const std::vector<std::string> common = {"--signal", "periodic", "--window", "hanning",
                                             "--band",   "20:60",    "--sens",   sensOption()};
    std::vector<std::string> segmentArgs = {"intensity", path("seg.kvnb")};
    segmentArgs.insert(segmentArgs.end(), common.begin(), common.end());
    const CliRun segment = run(segmentArgs);
    ASSERT_EQ(segment.code, kExitOk) << segment.err;
    const auto expected = intensityRow(segment);
    // The audio options leave a segment as it is, and say so.
    segmentArgs.insert(segmentArgs.end(), {"--from", "1"});
    const CliRun stretchOfSegment = run(segmentArgs);
    EXPECT_EQ(stretchOfSegment.code, kExitOk) << stretchOfSegment.err;
    EXPECT_EQ(stretchOfSegment.out, segment.out);
    EXPECT_NE(stretchOfSegment.err.find("the segment was read whole"), std::string::npos)
        << stretchOfSegment.err;

    // The loudest channel reaches 6.1 V; 8 V at full scale. The tolerance is the quantisation's:
    // a 16-bit step of the quietest channel is 4e-4 of its amplitude. These volts are whole
    // multiples of 2^-16 V, which a float holds exactly.
    const struct {
        const char* name;
        int format;
        double rel;
    } formats[] = {
        {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1e-3},
        {"pcm24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2e-6},
        {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1e-9},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        writeAudio(f.name, f.format, static_cast<int>(rate), volts(steps), 8.0);
        std::vector<std::string> args = {"intensity", path(f.name), "--full-scale", "8"};
        args.insert(args.end(), common.begin(), common.end());
        const CliRun wav = run(args);
        ASSERT_EQ(wav.code, kExitOk) << wav.err;
        expectSameVectors(expected, intensityRow(wav), f.rel);
    }
}

TEST_F(CliAudioTest, ChannelsPickTheMicrophonesOutOfALargerFile)
{
    const uint32_t rate = 8000;
    const auto steps = waveSteps(rate, rate);
    const Channels mics = volts(steps);
    // Microphone m on file channel order[m] (1-based) of eight; the others hold a loud hum.
    const int order[6] = {8, 3, 5, 1, 7, 2};
    Channels file(8, std::vector<double>(rate));
    for (size_t c = 0; c < file.size(); ++c)
        for (size_t j = 0; j < rate; ++j)
            file[c][j] = 0.5 * std::sin(2 * kPi * 50.0 * j / rate + c);
    for (size_t m = 0; m < 6; ++m)
        file[static_cast<size_t>(order[m] - 1)] = mics[m];
    writeAudio("eight.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, static_cast<int>(rate), file, 8.0);
    writeAudio("six.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, static_cast<int>(rate), mics, 8.0);

    const std::vector<std::string> common = {"--full-scale", "8",     "--signal", "periodic",
                                             "--band",       "20:60", "--sens",   sensOption()};
    std::vector<std::string> six = {"intensity", path("six.wav")};
    six.insert(six.end(), common.begin(), common.end());
    std::vector<std::string> eight = {"intensity", path("eight.wav"), "--channels", "8,3,5,1,7,2"};
    eight.insert(eight.end(), common.begin(), common.end());
    const CliRun a = run(six), b = run(eight);
    ASSERT_EQ(a.code, kExitOk) << a.err;
    ASSERT_EQ(b.code, kExitOk) << b.err;
    expectSameVectors(intensityRow(a), intensityRow(b), 1e-12);

    // Without the map the first six channels are read: not the same probe.
    std::vector<std::string> unmapped = {"intensity", path("eight.wav")};
    unmapped.insert(unmapped.end(), common.begin(), common.end());
    const CliRun c = run(unmapped);
    ASSERT_EQ(c.code, kExitOk) << c.err;
    EXPECT_GT(std::fabs(intensityRow(c).at("I_mod") - intensityRow(a).at("I_mod")),
              1e-3 * intensityRow(a).at("I_mod"));

    // A channel the file does not have is the file's failure, not the command line's.
    const CliRun missing = run({"intensity", path("six.wav"), "--channels", "1,2,3,4,5,7"});
    EXPECT_EQ(missing.code, kExitSomeFailed);
    EXPECT_NE(missing.err.find("1 ... 6"), std::string::npos) << missing.err;
}

TEST_F(CliAudioTest, ABadChannelListIsABadCommandLine)
{
    writeAudio("six.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, Channels(6, std::vector<double>(800, 0.1)));
    for (const char* list : {"1,2,3,4,5", "1,2,3,4,5,6,7", "1,1,2,3,4,5", "0,1,2,3,4,5", "1.5,2,3,4,5,6",
                             "a,b,c,d,e,f", "-1,2,3,4,5,6", ""}) {
        SCOPED_TRACE(list);
        const CliRun r = run({"intensity", path("six.wav"), "--channels", list});
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_NE(r.err.find("--channels"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    for (const char* scale : {"0", "-1", "x", "nan"}) {
        SCOPED_TRACE(scale);
        EXPECT_EQ(run({"intensity", path("six.wav"), "--full-scale", scale}).code, kExitUsage);
    }
    EXPECT_EQ(run({"intensity", path("six.wav"), "--from", "2", "--to", "1"}).code, kExitUsage);
    EXPECT_EQ(run({"intensity", path("six.wav"), "--from", "x"}).code, kExitUsage);
}

TEST_F(CliAudioTest, AFileOfFewerThanSixChannelsIsRefusedWithItsCount)
{
    writeAudio("five.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000,
               Channels(5, std::vector<double>(800, 0.1)));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"intensity", path("five.wav")},
          std::vector<std::string>{"info", path("five.wav")},
          std::vector<std::string>{"spectra", path("five.wav"), "-o", path("five.csv")}}) {
        SCOPED_TRACE(args[0]);
        const CliRun r = run(args);
        EXPECT_EQ(r.code, kExitSomeFailed);
        EXPECT_NE(r.err.find("has 5 channel"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("six channels"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(path("five.csv")));
}

TEST_F(CliAudioTest, FromAndToReadOnlyTheirStretch)
{
    const uint32_t rate = 8000;
    const auto steps = waveSteps(rate, 3 * rate);
    const Channels whole = volts(steps);
    Channels middle(6);
    for (size_t m = 0; m < 6; ++m)
        middle[m].assign(whole[m].begin() + rate, whole[m].begin() + 2 * rate);
    writeAudio("whole.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, static_cast<int>(rate), whole, 8.0);
    writeAudio("middle.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, static_cast<int>(rate), middle, 8.0);
    const std::vector<std::string> common = {"--full-scale", "8",      "--signal",
                                             "impulse",      "--sens", sensOption()};

    std::vector<std::string> stretch = {"intensity", path("whole.wav"), "--from", "1", "--to", "0:02"};
    stretch.insert(stretch.end(), common.begin(), common.end());
    std::vector<std::string> alone = {"intensity", path("middle.wav")};
    alone.insert(alone.end(), common.begin(), common.end());
    const CliRun a = run(stretch), b = run(alone);
    ASSERT_EQ(a.code, kExitOk) << a.err;
    ASSERT_EQ(b.code, kExitOk) << b.err;
    const auto ra = intensityRow(a), rb = intensityRow(b);
    for (const auto& [name, value] : rb)
        EXPECT_EQ(ra.at(name), value) << name;

    const CliRun pastEnd = run({"intensity", path("whole.wav"), "--from", "2", "--to", "4"});
    EXPECT_EQ(pastEnd.code, kExitSomeFailed);
    EXPECT_NE(pastEnd.err.find("past the end of the recording (3 s)"), std::string::npos) << pastEnd.err;
    const CliRun startPastEnd = run({"intensity", path("whole.wav"), "--from", "3"});
    EXPECT_EQ(startPastEnd.code, kExitSomeFailed);
}

TEST_F(CliAudioTest, InfoTellsTheFormatOfAnAudioFileByItsExtensionOrItsContent)
{
    writeAudio("take.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, Channels(8, std::vector<double>(24000)));
    writeAudio("take.bin", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, Channels(6, std::vector<double>(44100)));
    std::string error;
    ASSERT_TRUE(WriteBytes(path("junk.bin"), std::vector<uint8_t>(1000, 7), &error));

    const CliRun r = run({"info", path("take.wav"), path("take.bin")});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], path("take.wav") +
                            ": audio, WAV (Microsoft), 24-bit, 8 channels, rate 48000 Hz, 24000 frames, "
                            "duration 0.5 s");
    EXPECT_NE(lines[1].find("FLAC"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("44100 frames, duration 1 s"), std::string::npos) << lines[1];

    const CliRun json = run({"info", "--json", path("take.wav")});
    ASSERT_EQ(json.code, kExitOk) << json.err;
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).array()[0].toObject();
    EXPECT_EQ(object.value("type").toString(), "audio");
    EXPECT_EQ(object.value("channels").toInt(), 8);
    EXPECT_EQ(object.value("rate").toInt(), 48000);
    EXPECT_EQ(object.value("frames").toInt(), 24000);
    EXPECT_EQ(object.value("duration_s").toDouble(), 0.5);

    // A file that is neither keeps the message it has always had.
    const CliRun junk = run({"info", path("junk.bin")});
    EXPECT_EQ(junk.code, kExitSomeFailed);
    EXPECT_NE(junk.err.find("unknown file type"), std::string::npos) << junk.err;
}

TEST_F(CliAudioTest, SpectraOfAnAudioFileAreInPascalsThroughEachSensitivity)
{
    // m whole cycles in N samples: exactly on bin m, so the periodic spectrum reads A there.
    const int rate = 4000, n = 4000, cycles = 50;
    const double pascals = 2.0;
    Channels mics(6, std::vector<double>(n));
    for (size_t m = 0; m < 6; ++m)
        for (int j = 0; j < n; ++j)
            mics[m][j] = pascals * kSensitivities[m] / 1000.0 * std::sin(2 * kPi * cycles * j / n);
    writeAudio("sine.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate, mics);
    for (const bool db : {false, true}) {
        SCOPED_TRACE(db ? "dB" : "Pa");
        std::vector<std::string> args = {
            "spectra",  path("sine.wav"), "-o",       path(db ? "db.csv" : "pa.csv"),
            "--signal", "periodic",       "--window", "none",
            "--sens",   sensOption()};
        if (db)
            args.push_back("--db");
        const CliRun r = run(args);
        ASSERT_EQ(r.code, kExitOk) << r.err;
        std::ifstream in(path(db ? "db.csv" : "pa.csv"));
        std::string header, line;
        std::getline(in, header);
        for (int k = 0; k <= cycles; ++k)
            std::getline(in, line);
        const auto fields = splitFields(line);
        ASSERT_EQ(fields.size(), 7u) << line;
        const double expected = db ? 20.0 * std::log10(pascals / 2e-5) : pascals;
        for (size_t m = 0; m < 6; ++m)
            EXPECT_NEAR(std::stod(fields[m + 1]), expected, 1e-5) << "microphone " << m + 1;
    }
}

namespace {

// A calibrator's tone of levelDb re 20 µPa at frequency on every microphone of these
// sensitivities (silent where the sensitivity is 0), with Gaussian noise of noise x the tone's RMS.
Channels calibratorTone(double levelDb, double frequency, int rate, double seconds,
                        const std::array<double, 6>& sensitivities, double noise = 0.0)
{
    const double rms = 20e-6 * std::pow(10.0, levelDb / 20.0);
    const size_t n = static_cast<size_t>(rate * seconds);
    std::mt19937 random(7);
    Channels out(6, std::vector<double>(n));
    for (size_t m = 0; m < 6; ++m) {
        const double voltsRms = rms * sensitivities[m] / 1000.0;
        std::normal_distribution<double> gauss(0.0, noise * voltsRms);
        for (size_t j = 0; j < n; ++j)
            out[m][j] =
                std::sqrt(2.0) * voltsRms * std::sin(2 * kPi * frequency * j / rate + m) + gauss(random);
    }
    return out;
}

QJsonArray jsonArray(const CliRun& r)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out;
    return doc.array();
}

// The store of the test's folder, as the program would load it.
Settings loadStore(const std::string& file)
{
    const QString previous = SettingsStore::FileName();
    SettingsStore::SetFileName(QString::fromStdString(file));
    Settings s = DefaultSettings();
    LoadSettings(s);
    SettingsStore::SetFileName(previous);
    return s;
}

void saveStore(const std::string& file, const Settings& s)
{
    const QString previous = SettingsStore::FileName();
    SettingsStore::SetFileName(QString::fromStdString(file));
    EXPECT_TRUE(SaveChannelOrderKeys(s).ok());
    SettingsStore::SetFileName(previous);
}

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}   // namespace

TEST_F(CliAudioTest, ACalibratorToneGivesTheMicrophonesSensitivities)
{
    const struct {
        double level, frequency, noise;
    } tones[] = {{94, 1000, 0.0}, {94, 250, 0.0}, {114, 1000, 0.1}};
    for (const auto& t : tones) {
        SCOPED_TRACE(std::to_string(t.frequency) + " Hz, noise " + std::to_string(t.noise));
        writeAudio("cal.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000,
                   calibratorTone(t.level, t.frequency, 16000, 4.0, kSensitivities, t.noise));
        const CliRun r = run({"calibrate", path("cal.wav"), "--level", std::to_string(t.level), "--freq",
                              std::to_string(t.frequency), "--json", "--sens", "50,50,50,50,50,50"});
        EXPECT_EQ(r.code, kExitOk) << r.err;
        const QJsonArray rows = jsonArray(r);
        ASSERT_EQ(rows.size(), 6);
        for (int m = 0; m < 6; ++m) {
            const QJsonObject row = rows[m].toObject();
            EXPECT_EQ(row.value("channel").toInt(), m + 1);
            EXPECT_NEAR(20 * std::log10(row.value("sensitivity").toDouble() / kSensitivities[m]), 0.0, 0.02)
                << m;
            EXPECT_NEAR(row.value("found_hz").toDouble(), t.frequency, 1.0);
            EXPECT_EQ(row.value("old_sensitivity").toDouble(), 50.0);
            EXPECT_NEAR(row.value("change_db").toDouble(), 20 * std::log10(kSensitivities[m] / 50.0), 0.02);
            // Read with the old sensitivity, the tone is as much too loud as the old one is too small.
            EXPECT_NEAR(row.value("level_db").toDouble(), t.level + row.value("change_db").toDouble(), 1e-9);
            EXPECT_LT(row.value("stability_db").toDouble(), 0.05);
        }
    }

    // The table holds the same numbers, and the large changes are warned about.
    const CliRun csv = run({"calibrate", path("cal.wav"), "--level", "114", "--freq", "1000", "--channel",
                            "6", "--sens", "50,50,50,50,50,50"});
    EXPECT_EQ(csv.code, kExitOk) << csv.err;
    const auto lines = splitLines(csv.out);
    ASSERT_EQ(lines.size(), 2u) << csv.out;
    EXPECT_EQ(lines[0], "file,channel,file_channel,found_hz,level_db,sensitivity,old_sensitivity,change_db,"
                        "stability_db,warnings");
    const auto fields = splitFields(lines[1]);
    EXPECT_EQ(fields[1], "6");
    EXPECT_NEAR(std::stod(fields[5]), 5.0, 5.0 * 0.003);
    EXPECT_NE(lines[1].find("The sensitivity changed by"), std::string::npos) << lines[1];
    EXPECT_NE(csv.err.find("microphone 6: The sensitivity changed by"), std::string::npos) << csv.err;
}

TEST_F(CliAudioTest, ASegmentIsCalibratedInVoltsOfItsAdcSteps)
{
    const Channels tone = calibratorTone(94, 1000, 16000, 2.0, kSensitivities);
    std::array<std::vector<double>, 6> steps;
    for (size_t m = 0; m < 6; ++m) {
        steps[m] = tone[m];
        for (double& v : steps[m])
            v /= 0.002;
    }
    std::string error;
    ASSERT_TRUE(
        WriteBytes(path("cal.kvnb"), SegmentFileContents(16000, 2.0, DefaultSettings().Chuv, steps), &error))
        << error;
    const CliRun r =
        run({"calibrate", path("cal.kvnb"), "--level", "94", "--freq", "1000", "--volt", "0.002", "--json"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const QJsonArray rows = jsonArray(r);
    ASSERT_EQ(rows.size(), 6);
    for (int m = 0; m < 6; ++m)
        EXPECT_NEAR(20 * std::log10(rows[m].toObject().value("sensitivity").toDouble() / kSensitivities[m]),
                    0.0, 0.02)
            << m;
}

TEST_F(CliAudioTest, AMicrophoneWithoutItsToneFailsTheRun)
{
    std::array<double, 6> sensitivities = kSensitivities;
    sensitivities[2] = 0.0;   // microphone 3 is silent
    writeAudio("cal.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 16000,
               calibratorTone(94, 1000, 16000, 3.0, sensitivities));
    const CliRun r = run({"calibrate", path("cal.wav"), "--level", "94", "--freq", "1000"});
    EXPECT_EQ(r.code, kExitSomeFailed);
    EXPECT_NE(r.err.find("microphone 3: tone not found"), std::string::npos) << r.err;
    EXPECT_EQ(splitLines(r.out).size(), 6u) << r.out;   // the header and the five others

    // A calibrator of another frequency than stated is no tone of this one.
    const CliRun elsewhere =
        run({"calibrate", path("cal.wav"), "--level", "94", "--freq", "250", "--channel", "1"});
    EXPECT_EQ(elsewhere.code, kExitSomeFailed);
    EXPECT_NE(elsewhere.err.find("The strongest component"), std::string::npos) << elsewhere.err;

    const CliRun one =
        run({"calibrate", path("cal.wav"), "--level", "94", "--freq", "1000", "--channel", "2"});
    EXPECT_EQ(one.code, kExitOk) << one.err;
    EXPECT_EQ(splitLines(one.out).size(), 2u) << one.out;

    const CliRun tooShort =
        run({"calibrate", path("cal.wav"), "--level", "94", "--freq", "1000", "--to", "0.2"});
    EXPECT_EQ(tooShort.code, kExitSomeFailed);
    EXPECT_NE(tooShort.err.find("too short"), std::string::npos) << tooShort.err;
}

TEST_F(CliAudioTest, CalibrateRefusesACommandLineItCannotRun)
{
    writeAudio("cal.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000,
               calibratorTone(94, 1000, 16000, 1.0, kSensitivities));
    const std::string file = path("cal.wav");
    const std::vector<std::vector<std::string>> lines = {
        {"calibrate", file, "--freq", "1000"},
        {"calibrate", file, "--level", "94"},
        {"calibrate", "--level", "94", "--freq", "1000"},
        {"calibrate", file, file, "--level", "94", "--freq", "1000"},
        {"calibrate", file, "--level", "x", "--freq", "1000"},
        {"calibrate", file, "--level", "94", "--freq", "-1"},
        {"calibrate", file, "--level", "94", "--freq", "1000", "--channel", "7"},
        {"calibrate", file, "--level", "94", "--freq", "1000", "--channels", "1,2,3"},
        {"calibrate", file, "--level", "94", "--freq", "1000", "--json", "--locale"},
    };
    for (const auto& args : lines) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, kExitUsage) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST_F(CliAudioTest, WriteKeepsTheNewSensitivitiesWithTheirMicrophones)
{
    // A store with a channel order that is not the identity, and sensitivities of its own.
    Settings before = DefaultSettings();
    before.Chs = {2, 0, 1, 5, 3, 4};
    before.Chuv = {11, 12, 13, 14, 15, 16};
    saveStore(path("store.ini"), before);
    const std::array<double, 6> old = ChannelSensitivities(loadStore(path("store.ini")));

    std::array<double, 6> sensitivities = kSensitivities;
    writeAudio("cal.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000,
               calibratorTone(94, 1000, 16000, 3.0, sensitivities));

    // Microphone 2 alone: only its sensitivity changes.
    const CliRun one = run({"calibrate", path("cal.wav"), "--level", "94", "--freq", "1000", "--channel", "2",
                            "--json", "--write", "--rho", "1.5"});
    ASSERT_EQ(one.code, kExitOk) << one.err;
    EXPECT_NE(one.err.find("written to the settings store"), std::string::npos) << one.err;
    const QJsonArray oneRow = jsonArray(one);
    ASSERT_EQ(oneRow.size(), 1);
    EXPECT_EQ(oneRow[0].toObject().value("old_sensitivity").toDouble(), old[1]);
    Settings after = loadStore(path("store.ini"));
    EXPECT_EQ(after.Chs, before.Chs);
    std::array<double, 6> expected = old;
    expected[1] = oneRow[0].toObject().value("sensitivity").toDouble();
    EXPECT_EQ(ChannelSensitivities(after), expected);
    EXPECT_EQ(after.plotnost, DefaultSettings().plotnost);   // the run's options are not stored

    // All six, read through another map of the file's channels: each microphone keeps its own.
    Channels shuffled = calibratorTone(94, 1000, 16000, 3.0, sensitivities);
    std::swap(shuffled[0], shuffled[5]);
    writeAudio("shuffled.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000, shuffled);
    const CliRun all = run({"calibrate", path("shuffled.wav"), "--level", "94", "--freq", "1000",
                            "--channels", "6,2,3,4,5,1", "--json", "--write"});
    ASSERT_EQ(all.code, kExitOk) << all.err;
    const QJsonArray rows = jsonArray(all);
    ASSERT_EQ(rows.size(), 6);
    after = loadStore(path("store.ini"));
    EXPECT_EQ(after.Chs, before.Chs);
    for (size_t m = 0; m < 6; ++m) {
        EXPECT_EQ(ChannelSensitivities(after)[m],
                  rows[static_cast<int>(m)].toObject().value("sensitivity").toDouble());
        EXPECT_NEAR(20 * std::log10(ChannelSensitivities(after)[m] / kSensitivities[m]), 0.0, 0.02) << m;
    }

    // Without every tone nothing is written.
    const std::string stored = readFile(path("store.ini"));
    sensitivities[4] = 0.0;
    writeAudio("silent.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000,
               calibratorTone(94, 1000, 16000, 3.0, sensitivities));
    const CliRun refused =
        run({"calibrate", path("silent.wav"), "--level", "94", "--freq", "1000", "--write"});
    EXPECT_EQ(refused.code, kExitSomeFailed);
    EXPECT_NE(refused.err.find("not written"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(path("store.ini")), stored);
}

namespace {

Segment readSegmentFile(const std::string& file)
{
    Segment segment;
    TReadWriteMyFile reader(file);
    EXPECT_FALSE(reader.OpenForReading() || reader.ReadSegment(segment)) << file;
    reader.Close();
    return segment;
}

Segment readWav(const std::string& file, double fullScale, const AudioChannelMap& map = {0, 1, 2, 3, 4, 5})
{
    Segment segment;
    const AudioResult r = ReadAudioStretch(file, map, 0, INT32_MAX, fullScale, segment);
    EXPECT_TRUE(r.ok()) << r.message;
    return segment;
}

std::string wavComment(const std::string& file)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
    const char* text = f ? sf_get_string(f, SF_STR_COMMENT) : nullptr;
    std::string comment = text ? text : "";
    if (f)
        sf_close(f);
    return comment;
}

}   // namespace

TEST_F(CliAudioTest, CutOfARecordingToWavReadsBackAsTheSegmentsVolts)
{
    RawRecordingSpec spec = slowWave();
    spec.rate = 4000;
    spec.seconds = 3;
    std::string error;
    ASSERT_TRUE(WriteRawRecording(path("rec.dat"), spec, &error)) << error;
    // 1000 x VOLT / sensitivity = 0.1220703125 Pa per step, the factor the intensity routine
    // gives a segment's steps: both files must then give the same vectors.
    const std::vector<std::string> constants = {"--volt", "0.00244140625", "--sens", "20,20,20,20,20,20"};
    for (const char* target : {"seg.kvnb", "seg.wav"}) {
        std::vector<std::string> args = {"cut", path("rec.dat"), "--from",       "0.5", "--to", "2.5",
                                         "-o",  path(target),    "--full-scale", "4"};
        args.insert(args.end(), constants.begin(), constants.end());
        const CliRun r = run(args);
        ASSERT_EQ(r.code, kExitOk) << r.err;
    }
    const Segment steps = readSegmentFile(path("seg.kvnb"));
    const Segment volts = readWav(path("seg.wav"), 4.0);
    ASSERT_EQ(volts.sampleCount, steps.sampleCount);
    EXPECT_EQ(volts.sampleRate, steps.sampleRate);
    for (size_t c = 0; c < 6; ++c)
        for (size_t j = 0; j < volts.channels[c].size(); ++j)
            ASSERT_NEAR(volts.channels[c][j], steps.channels[c][j] * 0.00244140625, 1e-6) << c << " " << j;
    EXPECT_EQ(wavComment(path("seg.wav")),
              "microphones=1..6; rate_hz=4000; sensitivities_mv_pa=20,20,20,20,20,20; full_scale_v=4");

    std::vector<std::string> a = {"intensity", path("seg.kvnb"), "--signal", "periodic", "--band", "20:60"};
    std::vector<std::string> b = {"intensity", path("seg.wav"), "--signal",     "periodic",
                                  "--band",    "20:60",         "--full-scale", "4"};
    a.insert(a.end(), constants.begin(), constants.end());
    b.insert(b.end(), constants.begin(), constants.end());
    const CliRun ra = run(a), rb = run(b);
    ASSERT_EQ(ra.code, kExitOk) << ra.err;
    ASSERT_EQ(rb.code, kExitOk) << rb.err;
    expectSameVectors(intensityRow(ra), intensityRow(rb), 1e-6);
}

TEST_F(CliAudioTest, CutOfAnAudioFileKeepsItsStretchInEitherForm)
{
    const int rate = 8000;
    Channels file(7, std::vector<double>(2 * rate));
    for (size_t c = 0; c < file.size(); ++c)
        for (size_t j = 0; j < file[c].size(); ++j)
            file[c][j] = 0.1 * (c + 1) * std::sin(2 * kPi * 100.0 * j / rate) + 1e-5 * j;
    writeAudio("take.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate, file);
    const std::vector<std::string> common = {"--from",      "0.5",    "--to",  "1.5",    "--channels",
                                             "7,1,2,3,4,5", "--volt", "0.001", "--sens", "1,2,3,4,5,6"};
    for (const char* target : {"part.kvnb", "part.wav"}) {
        std::vector<std::string> args = {"cut", path("take.wav"), "-o", path(target)};
        args.insert(args.end(), common.begin(), common.end());
        const CliRun r = run(args);
        ASSERT_EQ(r.code, kExitOk) << r.err;
        EXPECT_NE(r.out.find("8000 samples per channel at 8000 Hz"), std::string::npos) << r.out;
    }
    const Segment steps = readSegmentFile(path("part.kvnb"));
    const Segment volts = readWav(path("part.wav"), 1.0);
    ASSERT_EQ(steps.sampleCount, rate);
    ASSERT_EQ(volts.sampleCount, rate);
    const int map[6] = {6, 0, 1, 2, 3, 4};
    for (size_t m = 0; m < 6; ++m) {
        EXPECT_DOUBLE_EQ(steps.paPerVolt[m], 1000.0 / (m + 1));
        for (size_t j = 0; j < static_cast<size_t>(rate); j += 97) {
            const double expected = static_cast<float>(file[static_cast<size_t>(map[m])][j + rate / 2]);
            EXPECT_NEAR(steps.channels[m][j] * 0.001, expected, 1e-12);
            EXPECT_EQ(volts.channels[m][j], expected);
        }
    }

    // A segment keeps only an even rate; a WAV keeps any.
    writeAudio("odd.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 11025,
               Channels(6, std::vector<double>(11025, 0.1)));
    const CliRun odd = run({"cut", path("odd.wav"), "--from", "0", "--to", "0.5", "-o", path("odd.kvnb")});
    EXPECT_EQ(odd.code, kExitSomeFailed);
    EXPECT_NE(odd.err.find("11025"), std::string::npos) << odd.err;
    EXPECT_FALSE(fs::exists(path("odd.kvnb")));
    const CliRun oddWav = run({"cut", path("odd.wav"), "--from", "0", "--to", "0.5", "-o", path("odd2.wav")});
    EXPECT_EQ(oddWav.code, kExitOk) << oddWav.err;

    const CliRun tooShort =
        run({"cut", path("take.wav"), "--from", "0", "--to", "0.01", "-o", path("s.wav")});
    EXPECT_EQ(tooShort.code, kExitSomeFailed);
    EXPECT_NE(tooShort.err.find("The time interval is too short"), std::string::npos) << tooShort.err;
}

// A plane wave of 1 Pa (rms) at 250 Hz travelling along +x, recorded through microphones of
// 50 mV/Pa at 48 kHz: the pressure at microphone m is that of its own position (microphones 1,
// 3, 5 on the + side of their axes, 25 mm apart), its volts 0.05 x that. Written here from the
// wave itself, not from the program's formulas.
Channels onePascalWave(double millivoltsPerPascal)
{
    const int rate = 48000;
    const double f = 250.0, c = 340.0, dr = 0.025, amplitude = std::sqrt(2.0);
    const double k = 2.0 * kPi * f / c;
    const std::array<double, 6> x{dr / 2, -dr / 2, 0, 0, 0, 0};
    Channels out(6, std::vector<double>(rate));
    for (size_t m = 0; m < 6; ++m)
        for (int j = 0; j < rate; ++j)
            out[m][j] =
                millivoltsPerPascal / 1000.0 * amplitude * std::cos(2.0 * kPi * f * j / rate - k * x[m]);
    return out;
}

// The 250 Hz band's L_p of a `bands --json` run.
double levelAt250(const CliRun& r)
{
    const QJsonArray files = jsonArray(r);
    if (files.size() != 1)
        return std::nan("");
    for (const QJsonValue band : files[0].toObject().value("bands").toArray())
        if (band.toObject().value("nominal").toDouble() == 250.0)
            return band.toObject().value("L_p").toDouble();
    return std::nan("");
}

// One rule for every command: an audio file's volts become pascals through its microphones'
// sensitivities (the store's, the file's own comment, or --sens), once, whatever --calibrated
// and --volt say; so a 1 Pa wave reads 94.0 dB in `bands` and `power` alike.
TEST_F(CliAudioTest, AnAudioFilesPascalsFollowOneRule)
{
    Settings store = DefaultSettings();
    store.Chuv.fill(50.0);
    saveStore(path("store.ini"), store);
    writeAudio("wave.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, onePascalWave(50.0));
    const double truth = 20.0 * std::log10(1.0 / 2e-5);
    const std::vector<std::string> base = {
        "bands",     path("wave.wav"),    "--json", "--signal", "periodic", "--window", "hanning",
        "--spacing", "0.025,0.025,0.025", "--c",    "340"};
    struct Case {
        const char* name;
        std::vector<std::string> extra;
        double expected;
    };
    for (const Case& c : std::vector<Case>{
             {"the store's sensitivities", {}, truth},
             {"calibrated", {"--calibrated"}, truth},
             {"calibrated, another volt", {"--calibrated", "--volt", "0.004"}, truth},
             {"typed sensitivities of half", {"--sens", "25,25,25,25,25,25"}, truth + 20.0 * std::log10(2.0)},
         }) {
        std::vector<std::string> args = base;
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const CliRun r = run(args);
        ASSERT_EQ(r.code, kExitOk) << c.name << ": " << r.err;
        EXPECT_NEAR(levelAt250(r), c.expected, 0.05) << c.name;
        const QJsonArray pascals = jsonArray(r)[0].toObject().value("pascals").toArray();
        ASSERT_EQ(pascals.size(), 6) << c.name;
        EXPECT_EQ(pascals[0].toObject().value("source").toString(),
                  c.extra.size() == 2 && c.extra[0] == "--sens" ? "option" : "settings")
            << c.name;
    }

    // The same wave written by the program with its microphones in its comment: the comment
    // belongs to the recording and wins over a store that holds other microphones.
    Settings other = store;
    other.Chuv.fill(10.0);
    saveStore(path("store.ini"), other);
    Segment volts;
    const Channels wave = onePascalWave(50.0);
    volts.Allocate(static_cast<int32_t>(wave[0].size()));
    volts.sampleRate = 48000;
    for (size_t m = 0; m < 6; ++m)
        volts.channels[m] = wave[m];
    std::vector<char> bytes;
    ASSERT_TRUE(
        EncodeFloatWav(volts, 1.0, "microphones=1..6; sensitivities_mv_pa=50,50,50,50,50,50", bytes).ok());
    std::ofstream(path("own.wav"), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::vector<std::string> own = base;
    own[1] = path("own.wav");
    const CliRun r = run(own);
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NEAR(levelAt250(r), truth, 0.05);
    EXPECT_EQ(jsonArray(r)[0].toObject().value("pascals").toArray()[3].toObject().value("source").toString(),
              "audio comment");

    // `power` reads its points the same way.
    std::ofstream(path("survey.csv")) << "file,area,face,label\nown.wav,1,+x,P1\n";
    const CliRun power = run({"power", path("survey.csv"), "--json", "--spacing", "0.025,0.025,0.025", "--c",
                              "340", "--signal", "periodic", "--window", "hanning", "--calibrated"});
    ASSERT_EQ(power.code, kExitOk) << power.err;
    bool seen = false;
    for (const QJsonValue band : jsonArray(power)[0].toObject().value("bands").toArray())
        if (band.toObject().value("nominal").toDouble() == 250.0) {
            EXPECT_NEAR(band.toObject().value("L_p").toDouble(), truth, 0.05);
            seen = true;
        }
    EXPECT_TRUE(seen) << power.out;
}

// A store that cannot take the write is never reported as written: the run fails with the
// system's reason, and the file stays as it was.
TEST_F(CliAudioTest, WriteToAStoreThatCannotBeWrittenSaysWhy)
{
    writeAudio("cal.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000,
               calibratorTone(94, 1000, 16000, 2.0, kSensitivities));
    struct Case {
        std::string store;
        const char* says;
    };
    std::vector<Case> cases;
    // A folder in the store's path that is a file stops the superuser too.
    std::ofstream(path("folder")) << "a file";
    cases.push_back({path("folder/store.ini"), "Not a directory"});
    if (::geteuid() != 0) {
        fs::create_directory(path("locked"));
        std::ofstream(path("locked/store.ini")) << "[Mag]\nLCADR=3\n";
        ::chmod(path("locked").c_str(), 0500);
        cases.push_back({path("locked/store.ini"), "Permission denied"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.store);
        const std::string before = readFile(c.store);
        const CliRun r = runWithStore(c.store, {"calibrate", path("cal.wav"), "--level", "94", "--freq",
                                                "1000", "--channel", "1", "--write"});
        EXPECT_EQ(r.code, kExitSomeFailed) << r.err;
        // The tests run in English (LC_ALL=C.UTF-8), and so does the tool.
        EXPECT_NE(r.err.find("sensitivities not written to the settings store " + c.store + ": "),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("written to the settings store " + c.store + "\n"), std::string::npos) << r.err;
        EXPECT_EQ(readFile(c.store), before);
    }
    ::chmod(path("locked").c_str(), 0700);
}

#ifdef SONORIX_CLI_PATH
// Two runs writing one store at the same time, microphone 1 and microphone 2: each takes the
// store's lock, reads the file again under it and changes only its own key, so both stay.
// Thirty rounds, each from a store that does not exist yet, so the two also race to make it.
TEST_F(CliAudioTest, TwoCalibrationsWritingOneStoreAtOnceKeepBothMicrophones)
{
    writeAudio("cal.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000,
               calibratorTone(94, 1000, 16000, 2.0, kSensitivities));
    std::string script;
    for (int m : {1, 2})
        script += std::string("(timeout 60 '") + SONORIX_CLI_PATH +
                  "' calibrate --store store.ini cal.wav --level 94 --freq 1000 --channel " +
                  std::to_string(m) + " --write > out" + std::to_string(m) + ".txt 2> err" +
                  std::to_string(m) + ".txt; echo $? > code" + std::to_string(m) + ".txt) &\n";
    script += "wait\n";
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        fs::remove(path("store.ini"));
        ASSERT_EQ(runScript(script), 0);
        for (int m : {1, 2}) {
            EXPECT_EQ(readFile(path("code" + std::to_string(m) + ".txt")), "0\n")
                << readFile(path("err" + std::to_string(m) + ".txt"));
        }
        const std::array<double, 6> stored = ChannelSensitivities(loadStore(path("store.ini")));
        ASSERT_NEAR(20 * std::log10(stored[0] / kSensitivities[0]), 0.0, 0.02) << readFile(path("store.ini"));
        ASSERT_NEAR(20 * std::log10(stored[1] / kSensitivities[1]), 0.0, 0.02) << readFile(path("store.ini"));
    }
    EXPECT_FALSE(fs::exists(path("store.ini.lock")));
}

// A named pipe at the user's own store path (no --store) is refused at once, not waited on.
TEST_F(CliAudioTest, APipeInTheStoresPlaceIsRefusedWithoutWaiting)
{
    writeAudio("cal.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000,
               calibratorTone(94, 1000, 16000, 2.0, kSensitivities));
    fs::create_directories(path("config/Sonorix"));
    ASSERT_EQ(::mkfifo(path("config/Sonorix/Sonorix.ini").c_str(), 0600), 0);
    const int code = runScript(
        std::string("HOME=\"$PWD\" XDG_CONFIG_HOME=\"$PWD/config\" timeout 60 '") + SONORIX_CLI_PATH +
        "' calibrate cal.wav --level 94 --freq 1000 --channel 1 --write > out.txt 2> err.txt\n");
    EXPECT_NE(code, 0);
    EXPECT_NE(code, 124) << "the run waited on the pipe";
    const std::string err = readFile(path("err.txt"));
    EXPECT_TRUE(err.find("named pipe") != std::string::npos ||
                err.find("именованный канал") != std::string::npos)
        << err;
    EXPECT_TRUE(fs::is_fifo(path("config/Sonorix/Sonorix.ini")));
}
#endif
