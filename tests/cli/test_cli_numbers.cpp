// The batch tool on values beyond what its arithmetic can take, and on surveys written in ways
// a spreadsheet or a file system produce: samples that are not numbers or are huge, options and
// survey values out of range, a result that is not finite, a process short of memory, repeated
// points, a survey reached through a link, a Windows-1251 survey and control characters in names.
// Each test writes its files into a fresh folder and points the settings store at a file there.
#include "CliFixture.h"
#include "CliCommands.h"
#include "CliJson.h"
#include "CliSupport.h"

#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

using Channels = std::array<std::vector<double>, 6>;

const std::vector<std::string> kPeriodic = {"--signal", "periodic", "--window", "hanning"};

class CliNumbersTest : public CliFixture {
protected:
    CliNumbersTest() : CliFixture("cli_numbers_") {}

    // The executable under a shell's prefix (a limit), for what only a process shows.
    CliRun runUnder(const std::string& prefix, const std::vector<std::string>& args) const
    {
        CliRun r;
#ifdef SONORIX_CLI_PATH
        std::string command =
            std::string(SONORIX_CLI_PATH) + " " + args[0] + " --store '" + path("store.ini") + "'";
        for (size_t i = 1; i < args.size(); ++i)
            command += " '" + args[i] + "'";
        const std::string line = "bash -c \"" + prefix + "; exec timeout 120 " + command + "\" > '" +
                                 path("stdout.txt") + "' 2> '" + path("stderr.txt") + "'";
        const int status = std::system(line.c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.out = fileText(path("stdout.txt"));
        r.err = fileText(path("stderr.txt"));
#else
        (void)prefix;
        (void)args;
#endif
        return r;
    }

    // A 63 Hz plane wave along +x, in ADC steps.
    static Channels wave(uint32_t rate, double duration)
    {
        RawRecordingSpec spec;
        spec.frequency = 63.0;
        spec.amplitude = 1000.0;
        spec.fiZ = 90.0;
        spec.fiX = 0.0;
        return PlaneWaveChannels(spec, rate, SegmentSampleCount(rate, duration));
    }

    void writeSegment(const std::string& name, const Channels& channels, uint32_t rate, double duration) const
    {
        std::string error;
        ASSERT_TRUE(WriteBytes(path(name),
                               SegmentFileContents(rate, duration, DefaultSettings().Chuv, channels), &error))
            << error;
    }

    // A six-channel 32-bit float WAV of the channels (full scales).
    void writeFloatWav(const std::string& name, const Channels& channels, int rate) const
    {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = 6;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(path(name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        sf_command(file, SFC_SET_CLIPPING, nullptr, SF_FALSE);
        const size_t frames = channels[0].size();
        std::vector<float> interleaved(frames * 6);
        for (size_t j = 0; j < frames; ++j)
            for (size_t c = 0; c < 6; ++c)
                interleaved[j * 6 + c] = static_cast<float>(channels[c][j]);
        EXPECT_EQ(sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames)),
                  static_cast<sf_count_t>(frames));
        sf_close(file);
    }

    // Ten positions of a +x face, each its own copy of one recording.
    void writePoints(int count) const
    {
        fs::create_directories(dir_ / "points");
        writeSegment("points/p1.kvnb", wave(2000, 1.0), 2000, 1.0);
        for (int i = 2; i <= count; ++i)
            fs::copy_file(path("points/p1.kvnb"), path("points/p" + std::to_string(i) + ".kvnb"));
    }
};

// The comma-separated fields of line `index` of a text.
std::vector<std::string> fields(const std::string& text, size_t index)
{
    std::istringstream lines(text);
    std::string line;
    for (size_t i = 0; i <= index; ++i)
        std::getline(lines, line);
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ','))
        out.push_back(field);
    if (!line.empty() && line.back() == ',')
        out.emplace_back();
    return out;
}

QJsonObject firstObject(const std::string& json)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(json)).array().at(0).toObject();
}

}   // namespace

TEST_F(CliNumbersTest, AnAudioSampleThatIsNoNumberOrHugeIsRefusedWithItsPlace)
{
    struct Case {
        double value;
        const char* says;
    };
    const Case cases[] = {
        {std::numeric_limits<double>::quiet_NaN(), "is not a number"},
        {std::numeric_limits<double>::infinity(), "is not a number"},
        {-std::numeric_limits<double>::infinity(), "is not a number"},
        {1e31, "exceeds 1e+30 full scales in magnitude"},
    };
    for (const Case& c : cases) {
        Channels channels;
        for (auto& channel : channels)
            channel.assign(2000, 0.01);
        channels[2][1500] = c.value;   // file channel 3, 0.75 s at 2 kHz
        writeFloatWav("bad.wav", channels, 2000);
        // The tests run in English (LC_ALL=C.UTF-8), and so does the tool.
        const std::string place = "sample 1500 of channel 3 (0";

        const CliRun intensity = run({"intensity", path("bad.wav"), "--signal", "periodic"});
        EXPECT_EQ(intensity.code, kExitSomeFailed) << c.value << intensity.out;
        EXPECT_NE(intensity.err.find(place), std::string::npos) << intensity.err;
        EXPECT_NE(intensity.err.find(c.says), std::string::npos) << intensity.err;
        EXPECT_EQ(intensity.out.find("bad.wav"), std::string::npos) << intensity.out;

        // cut refuses the stretch instead of writing a file its reader would refuse.
        const CliRun cut = run({"cut", path("bad.wav"), "--from", "0", "--to", "1", "-o", path("cut.kvnb")});
        EXPECT_EQ(cut.code, kExitSomeFailed) << cut.err;
        EXPECT_NE(cut.err.find(place), std::string::npos) << cut.err;
        EXPECT_FALSE(fs::exists(path("cut.kvnb")));
    }

    // In a survey the point is left out, not counted as a zero or a "negative power".
    std::ofstream(path("survey.csv")) << "file,area,face,label\nbad.wav,1,+x,P1\n";
    const CliRun power = run({"power", path("survey.csv")});
    EXPECT_EQ(power.code, kExitSomeFailed);
    EXPECT_NE(power.err.find("sample 1500 of channel 3"), std::string::npos) << power.err;
    EXPECT_TRUE(power.out.empty()) << power.out;
}

TEST_F(CliNumbersTest, ACutThatWouldStoreAHugeValueWritesNothing)
{
    // 1e29 full scales are readable, but at 1e6 V per full scale they are 1e35 V: as ADC steps
    // of the default VOLT no segment can hold them.
    Channels channels;
    for (auto& channel : channels)
        channel.assign(2000, 0.01);
    channels[4][100] = 1e29;
    writeFloatWav("big.wav", channels, 2000);
    const CliRun cut = run(
        {"cut", path("big.wav"), "--from", "0", "--to", "1", "--full-scale", "1e6", "-o", path("cut.kvnb")});
    EXPECT_EQ(cut.code, kExitSomeFailed) << cut.out;
    EXPECT_NE(cut.err.find("microphone 5, sample 100"), std::string::npos) << cut.err;
    EXPECT_FALSE(fs::exists(path("cut.kvnb")));
}

TEST_F(CliNumbersTest, AHugeSegmentSampleIsRefused)
{
    Channels channels = wave(2000, 1.0);
    channels[1][10] = 1e308;
    writeSegment("huge.kvnb", channels, 2000, 1.0);
    const CliRun r = run({"intensity", path("huge.kvnb"), "--signal", "periodic"});
    EXPECT_EQ(r.code, kExitSomeFailed) << r.out;
    EXPECT_NE(r.err.find("sample 10 of channel 2 (0"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("exceeds 1e+30 in magnitude"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("huge.kvnb"), std::string::npos) << r.out;
}

TEST_F(CliNumbersTest, ValuesOutsideTheirRangesAreRefusedWithTheirPlace)
{
    Channels channels;
    for (auto& channel : channels)
        channel.assign(2000, 0.01);
    writeFloatWav("ok.wav", channels, 2000);
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"intensity", path("ok.wav"), "--full-scale", "1e308"}, "--full-scale"},
        {{"intensity", path("ok.wav"), "--full-scale", "1e-300"}, "--full-scale"},
        {{"intensity", path("ok.wav"), "--full-scale", "1e-320"}, "--full-scale"},
        {{"bands", path("ok.wav"), "--full-scale", "2e6"}, "--full-scale"},
        {{"intensity", path("ok.wav"), "--from", "100000000000000000000"}, "--from"},
        {{"calibrate", path("ok.wav"), "--level", "1e308", "--freq", "1000"}, "--level"},
        {{"intensity", path("ok.wav"), "--rho", "1e308"}, "--rho"},
    };
    for (const Case& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.code, kExitUsage) << c.args[3] << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST_F(CliNumbersTest, SurveyAreasAndNormalsOutsideTheirRangesAreRefused)
{
    writePoints(1);
    struct Case {
        const char* name;
        const char* text;
        const char* says;   // null where the survey is taken
    };
    const Case cases[] = {
        {"area.csv", "file,area,face\npoints/p1.kvnb,1e308,+x\n", "line 2: the area must be"},
        {"area.json", R"({"points": [{"file": "points/p1.kvnb", "area": 1e308, "face": "+x"}]})",
         "point 1: \"area\""},
        {"tiny.csv", "file,area,nx,ny,nz\npoints/p1.kvnb,1,1e-320,0,0\n",
         "line 2: the normal has no direction"},
        {"tiny.json", R"({"points": [{"file": "points/p1.kvnb", "area": 1, "normal": [1e-320, 0, 0]}]})",
         "point 1: \"normal\" has no direction"},
        {"large.csv", "file,area,nx,ny,nz\npoints/p1.kvnb,1,1e200,1e200,0\n", nullptr},
        {"large.json", R"({"points": [{"file": "points/p1.kvnb", "area": 1, "normal": [1e200, 1e200, 0]}]})",
         nullptr},
    };
    for (const Case& c : cases) {
        std::ofstream(path(c.name)) << c.text;
        const CliRun r = run({"power", path(c.name), "--json", "--band", "63:63", "--signal", "periodic"});
        if (c.says) {
            EXPECT_EQ(r.code, kExitUsage) << c.name << ": " << r.err;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
            EXPECT_TRUE(r.out.empty()) << r.out;
            continue;
        }
        // Both forms read a huge normal as its direction, not as (0, 0, 0) or no direction.
        EXPECT_EQ(r.code, kExitOk) << c.name << ": " << r.err;
        const QJsonArray normal =
            firstObject(r.out).value("points").toArray().at(0).toObject().value("normal").toArray();
        ASSERT_EQ(normal.size(), 3) << r.out;
        EXPECT_NEAR(normal.at(0).toDouble(), std::sqrt(0.5), 1e-12) << c.name;
        EXPECT_NEAR(normal.at(1).toDouble(), std::sqrt(0.5), 1e-12) << c.name;
        EXPECT_EQ(normal.at(2).toDouble(), 0.0);
    }
}

TEST_F(CliNumbersTest, AVectorOfZeroHasNoAngles)
{
    // Denormal samples: every product of two is zero, and so is the intensity.
    Channels channels;
    for (auto& channel : channels)
        channel.assign(static_cast<size_t>(SegmentSampleCount(2000, 1.0)), 1e-320);
    writeSegment("tiny.kvnb", channels, 2000, 1.0);

    const CliRun csv = run({"intensity", path("tiny.kvnb"), "--signal", "periodic"});
    ASSERT_EQ(csv.code, kExitOk) << csv.err;
    const std::vector<std::string> header = fields(csv.out, 0), row = fields(csv.out, 1);
    ASSERT_EQ(row.size(), header.size()) << csv.out;
    for (size_t i = 0; i < header.size(); ++i) {
        if (header[i] == "I_mod") {
            EXPECT_EQ(std::stod(row[i]), 0.0) << csv.out;
        }
        if (header[i].rfind("I_angle", 0) == 0) {
            EXPECT_EQ(row[i], "") << header[i] << ": " << csv.out;
        }
    }

    const CliRun json = run({"intensity", path("tiny.kvnb"), "--signal", "periodic", "--json"});
    ASSERT_EQ(json.code, kExitOk) << json.err;
    const QJsonObject I = firstObject(json.out).value("I").toObject();
    EXPECT_EQ(I.value("modulus").toDouble(), 0.0);
    for (const char* angle : {"angle_x", "angle_y", "angle_z"})
        EXPECT_TRUE(I.value(angle).isNull()) << angle << json.out;

    const CliRun bands =
        run({"bands", path("tiny.kvnb"), "--signal", "periodic", "--band", "63:63", "--json"});
    ASSERT_EQ(bands.code, kExitOk) << bands.err;
    const QJsonObject band = firstObject(bands.out).value("bands").toArray().at(0).toObject();
    EXPECT_TRUE(band.value("angle_x").isNull()) << bands.out;
    const CliRun bandsCsv = run({"bands", path("tiny.kvnb"), "--signal", "periodic", "--band", "63:63"});
    const std::vector<std::string> bandHeader = fields(bandsCsv.out, 0), bandRow = fields(bandsCsv.out, 1);
    ASSERT_EQ(bandRow.size(), bandHeader.size()) << bandsCsv.out;
    for (size_t i = 0; i < bandHeader.size(); ++i) {
        if (bandHeader[i].rfind("angle_", 0) == 0) {
            EXPECT_EQ(bandRow[i], "") << bandHeader[i] << ": " << bandsCsv.out;
        }
    }
}

TEST_F(CliNumbersTest, ASilentSurveyHasNoLevelsInEitherForm)
{
    // Silence at every point: no intensity, and no level of it. Both forms leave the levels
    // and indicators out (empty, null) rather than printing "-inf" or "nan".
    fs::create_directories(dir_ / "points");
    Channels silence;
    for (auto& channel : silence)
        channel.assign(static_cast<size_t>(SegmentSampleCount(2000, 1.0)), 0.0);
    std::ofstream survey(path("silent.csv"));
    survey << "file,area,face\n";
    for (int i = 1; i <= 10; ++i) {
        writeSegment("points/s" + std::to_string(i) + ".kvnb", silence, 2000, 1.0);
        survey << "points/s" << i << ".kvnb,0.25,+x\n";
    }
    survey.close();
    const CliRun csv = run({"power", path("silent.csv"), "--band", "63:63"});
    EXPECT_EQ(csv.code, kExitOk) << csv.err;
    EXPECT_EQ(csv.out.find("inf"), std::string::npos) << csv.out;
    EXPECT_EQ(csv.out.find("nan"), std::string::npos) << csv.out;
    const CliRun json = run({"power", path("silent.csv"), "--band", "63:63", "--json"});
    EXPECT_EQ(json.code, kExitOk) << json.err;
    const QJsonObject band = firstObject(json.out).value("bands").toArray().at(0).toObject();
    for (const char* level : {"L_W", "L_p", "F2", "F3", "F4"})
        EXPECT_TRUE(band.value(level).isNull()) << level << json.out;
}

TEST(CliResultGuard, EveryNumberThatIsNotFiniteIsCountedWhereverItIsWritten)
{
    // The commands compare the count around each result: one such number refuses the result.
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    uint64_t before = NonFiniteNumbersSeen();
    (void)MachineNumber(1e308);
    (void)LocaleNumber(-1e-320);
    (void)JsonNumber(0.0);
    EXPECT_EQ(NonFiniteNumbersSeen(), before);
    (void)MachineNumber(nan);
    (void)LocaleNumber(-inf);
    EXPECT_EQ(JsonNumber(inf), "null");
    EXPECT_EQ(NonFiniteNumbersSeen(), before + 3);
}

// A sanitizer's shadow memory cannot run under an address-space limit: plain builds only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SONORIX_NO_MEMORY_LIMIT_TEST
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define SONORIX_NO_MEMORY_LIMIT_TEST
#endif
#endif
#if defined(SONORIX_CLI_PATH) && !defined(SONORIX_NO_MEMORY_LIMIT_TEST)
TEST_F(CliNumbersTest, AProcessShortOfMemoryIsRefusedNotAborted)
{
    // 200 000 samples a channel, a prime count: FFTW's plan for it needs work arrays of its own.
    const uint32_t rate = 100000;
    const double duration = 1.99999;
    writeSegment("long.kvnb", wave(rate, duration), rate, duration);
    const CliRun free = runUnder("true", {"intensity", path("long.kvnb"), "--signal", "periodic"});
    ASSERT_EQ(free.code, kExitOk) << free.err;
    // Too little for the samples, for the spectra, for the transform's plan: each limit is
    // either enough or refused with the memory message, never an abort (134) or a stray failure.
    int refused = 0;
    for (int megabytes : {96, 128, 192}) {
        const CliRun r = runUnder("ulimit -v " + std::to_string(megabytes * 1024),
                                    {"intensity", path("long.kvnb"), "--signal", "periodic"});
        if (r.code == 127 && r.err.find("error while loading shared libraries") != std::string::npos)
            continue;   // too little for the program to start at all
        ASSERT_TRUE(r.code == kExitOk || r.code == kExitSomeFailed)
            << megabytes << " MB: " << r.code << r.err;
        if (r.code == kExitOk)
            continue;
        ++refused;
        EXPECT_TRUE(r.err.find("Недостаточно памяти") != std::string::npos ||
                    r.err.find("ot enough memory") != std::string::npos)
            << megabytes << " MB: " << r.err;
        EXPECT_EQ(r.err.find("unexpected failure"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("fftw"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.find("long.kvnb") == std::string::npos) << r.out;
    }
    EXPECT_GT(refused, 0);
}
#endif

TEST_F(CliNumbersTest, ARepeatedRecordingCountsAsOnePosition)
{
    writePoints(10);
    std::ofstream(path("ten.csv")) << [] {
        std::string text = "file,area,face,label\n";
        for (int i = 1; i <= 10; ++i)
            text += "points/p" + std::to_string(i) + ".kvnb,0.25,+x,P" + std::to_string(i) + "\n";
        return text;
    }();
    // Ten lines of five recordings, one named another way.
    std::ofstream(path("five.csv")) << [] {
        std::string text = "file,area,face,label\n";
        for (int i = 1; i <= 10; ++i)
            text += (i == 6 ? std::string("./points/../points/p1")
                            : "points/p" + std::to_string((i - 1) % 5 + 1)) +
                    ".kvnb,0.25,+x,P" + std::to_string(i) + "\n";
        return text;
    }();
    const CliRun ten = run({"power", path("ten.csv"), "--json", "--band", "63:63", "--signal", "periodic"});
    ASSERT_EQ(ten.code, kExitOk) << ten.err;
    EXPECT_EQ(ten.err.find("repeats"), std::string::npos) << ten.err;
    const QJsonObject tenBand = firstObject(ten.out).value("bands").toArray().at(0).toObject();
    EXPECT_TRUE(tenBand.value("criterion_N").toBool()) << ten.out;

    const CliRun five = run({"power", path("five.csv"), "--json", "--band", "63:63", "--signal", "periodic"});
    ASSERT_EQ(five.code, kExitOk) << five.err;
    EXPECT_NE(five.err.find("warning: point 6 (P6, ./points/../points/p1.kvnb) repeats the recording of "
                            "point 1 (P1, points/p1.kvnb)"),
              std::string::npos)
        << five.err;
    EXPECT_NE(five.err.find("10 points hold 5 distinct recordings"), std::string::npos) << five.err;
    const QJsonObject fiveBand = firstObject(five.out).value("bands").toArray().at(0).toObject();
    EXPECT_FALSE(fiveBand.value("criterion_N").toBool()) << five.out;
    EXPECT_TRUE(fiveBand.value("grade").isNull()) << five.out;
}

TEST_F(CliNumbersTest, ASurveyReachedThroughALinkReadsItsPointsBesideItsFile)
{
    fs::create_directories(dir_ / "real" / "points");
    fs::create_directories(dir_ / "elsewhere");
    writeSegment("real/points/p1.kvnb", wave(2000, 1.0), 2000, 1.0);
    std::ofstream(path("real/survey.csv")) << "file,area,face\npoints/p1.kvnb,1,+x\n";
    fs::create_symlink(dir_ / "real" / "survey.csv", dir_ / "elsewhere" / "survey.csv");
    const CliRun r = run({"power", path("elsewhere/survey.csv"), "--band", "63:63", "--signal", "periodic"});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find("\n3,63,1,"), std::string::npos) << r.out;
}

TEST_F(CliNumbersTest, AWindows1251SurveyIsDecodedAndControlCharactersAreEscaped)
{
    writePoints(1);
    // "Точка 1" in Windows-1251, and a point whose label and file name carry ESC and NUL-free
    // control characters.
    std::ofstream(path("cp1251.csv"), std::ios::binary)
        << "file,area,face,label\npoints/p1.kvnb,1,+x,\xD2\xEE\xF7\xEA\xE0 1\n"
        << "points/gone\x1b[2J.kvnb,1,+x,\x1b]0;title\x07\n";
    const CliRun r = run({"power", path("cp1251.csv"), "--json", "--band", "63:63", "--signal", "periodic"});
    EXPECT_EQ(r.code, kExitSomeFailed) << r.err;
    const QJsonObject survey = firstObject(r.out);
    EXPECT_EQ(survey.value("points").toArray().at(0).toObject().value("label").toString(),
              QString::fromUtf8("Точка 1"))
        << r.out;
    EXPECT_EQ(r.err.find("Windows-1251"), r.err.rfind("Windows-1251")) << r.err;
    EXPECT_NE(r.err.find("read as Windows-1251"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x07'), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("gone\\x1B[2J.kvnb"), std::string::npos) << r.err;
}
