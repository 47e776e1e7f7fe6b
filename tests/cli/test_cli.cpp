// The batch tool against its own fixtures: each test writes its files into a fresh folder and
// points the settings store at a file there, so no run reads the user's settings.
#include "CliCommands.h"
#include "CliFixture.h"
#include "CliIntensity.h"
#include "CliJson.h"
#include "CliSupport.h"

#include "Intensity.h"
#include "Recording.h"
#include "ResultMath.h"
#include "ReadIshFile.h"
#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"
#include "TestSignal.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CliTest : public CliFixture {
protected:
    CliTest() : CliFixture("cli_") {}

    static std::string readFile(const std::string& name) { return fileText(name); }
};

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A machine CSV row by its header's column names.
std::map<std::string, std::string> csvRow(const std::string& header, const std::string& row)
{
    auto split = [](const std::string& s) {
        std::vector<std::string> fields;
        std::string field;
        std::istringstream in(s);
        while (std::getline(in, field, ','))
            fields.push_back(field);
        return fields;
    };
    const auto names = split(header);
    const auto values = split(row);
    std::map<std::string, std::string> out;
    for (size_t i = 0; i < names.size() && i < values.size(); ++i)
        out[names[i]] = values[i];
    return out;
}

double number(const std::map<std::string, std::string>& row, const std::string& column)
{
    const auto it = row.find(column);
    if (it == row.end()) {
        ADD_FAILURE() << "no column " << column;
        return NAN;
    }
    return std::stod(it->second);
}

RawRecordingSpec slowWave(double fiZ, double fiX)
{
    // A low frequency keeps the phase across each pair small, so the cross-spectral estimate
    // points along the arrival direction within a fraction of a degree.
    RawRecordingSpec wave;
    wave.frequency = 40.0;
    wave.amplitude = 1000.0;
    wave.fiZ = fiZ;
    wave.fiX = fiX;
    return wave;
}

}   // namespace

TEST_F(CliTest, DemoGivesTheVectorsOfTheProcessingWindowRoutines)
{
    for (const char* signal : {"periodic", "impulse"}) {
        SCOPED_TRACE(signal);
        const CliRun r =
            run({"intensity",  "--demo", "--type",   "sine", "--freq",   "50",     "--amplitude", "1000",
                 "--fi-z",     "60",     "--fi-x",   "30",   "--noise",  "0",      "--rate",      "2000",
                 "--duration", "1",      "--signal", signal, "--window", "hanning"});
        ASSERT_EQ(r.code, kExitOk) << r.err;
        const auto lines = splitLines(r.out);
        ASSERT_EQ(lines.size(), 2u) << r.out;
        const auto row = csvRow(lines[0], lines[1]);

        // The same chain called directly, as the processing window runs it.
        Settings s = DefaultSettings();
        s.type_sig = kTestSignalSine;
        s.freq_sig = 50;
        s.ampl_sig = 1000;
        s.FI_Z = 60;
        s.FI_X = 30;
        s.ampl_noise_sig = 0;
        s.freq_ocifr = 2000;
        s.dlit = 1;
        s.impuls = std::string(signal) == "periodic" ? 1 : 0;
        PublishSettings(&s);
        SetTestSignalFlag(true);
        const int n = 2000;
        Segment seg;
        seg.Allocate(n);
        double* ch[6];
        for (int c = 0; c < 6; ++c)
            ch[c] = seg.channels[c].data();
        SynthesizeTestSignal(TestSignalParams::FromSettings(s), n, ch, seg.time.data());
        std::vector<std::vector<double>> q(12, std::vector<double>(n / 2));
        double* g[4][3];
        for (int k = 0; k < 12; ++k)
            g[k / 3][k % 3] = q[k].data();
        const double* cc[6];
        for (int c = 0; c < 6; ++c)
            cc[c] = ch[c];
        ASSERT_EQ(ComputeIntensitySpectra(IntensityConstantsFrom(CurrentSettings(), TestSignalFlag()), 2, n,
                                          cc, seg.time.data(), g[0], g[1], g[2], g[3]),
                  0);
        // The whole spectrum: bins 1 ... N/2 - 2 (the end bin is the last one, not used).
        const int first = 1, end = n / 2 - 1;
        std::array<double, 3> I{}, J{}, K{}, P{};
        if (s.impuls == 1) {
            for (int a = 0; a < 3; ++a) {
                ASSERT_EQ(SumBandHarmonics(first, end, n / 2, g[0][a], nullptr, I[a]), 0);
                ASSERT_EQ(SumBandHarmonics(first, end, n / 2, g[1][a], nullptr, J[a]), 0);
                ASSERT_EQ(SumBandHarmonics(first, end, n / 2, g[2][a], nullptr, K[a]), 0);
                ASSERT_EQ(SumBandHarmonics(first, end, n / 2, g[3][a], nullptr, P[a]), 0);
            }
        } else {
            double maxI = 0, maxJ = 0;
            const double df = 1.0 / seg.time[n - 1];
            ASSERT_EQ(IntegrateBand(first, end, n / 2, df, g[0], g[1], g[2], g[3], I, J, K, P, maxI, maxJ),
                      0);
        }
        PublishSettings(nullptr);
        SetTestSignalFlag(false);

        const std::array<double, 3>* vectors[4] = {&I, &J, &K, &P};
        const char* names[4] = {"I", "J", "K", "P"};
        for (int v = 0; v < 4; ++v) {
            const std::string p = names[v];
            // Shortest round-trip text: the numbers must be the very same doubles.
            EXPECT_EQ(number(row, p + "_x"), (*vectors[v])[0]) << p;
            EXPECT_EQ(number(row, p + "_y"), (*vectors[v])[1]) << p;
            EXPECT_EQ(number(row, p + "_z"), (*vectors[v])[2]) << p;
            const VectorAngles angles = ComputeVectorAngles(*vectors[v]);
            EXPECT_EQ(number(row, p + "_mod"), angles.modulus) << p;
            EXPECT_EQ(number(row, p + "_angle_x"), angles.alpha) << p;
            EXPECT_EQ(number(row, p + "_angle_z"), angles.beta) << p;
        }
        if (s.impuls == 1) {
            // And the physics: the active intensity points along the arrival direction.
            EXPECT_NEAR(number(row, "I_angle_x"), 30.0, 0.5);
            EXPECT_NEAR(number(row, "I_angle_z"), 90.0 - 60.0, 0.5);
        }
    }
}

TEST_F(CliTest, CutThenIntensityFindsTheGeneratorsArrivalDirection)
{
    RawRecordingSpec spec = slowWave(60.0, 30.0);
    spec.rate = 4000;
    spec.seconds = 4;
    std::string error;
    ASSERT_TRUE(WriteRawRecording(path("rec.dat"), spec, &error)) << error;

    const CliRun cut =
        run({"cut", path("rec.dat"), "--from", "0:00:00.500", "--to", "2.5", "-o", path("seg.kvnb")});
    ASSERT_EQ(cut.code, kExitOk) << cut.err;
    EXPECT_EQ(fs::file_size(path("seg.kvnb")), static_cast<uintmax_t>(SegmentFileBytes(8000)));

    const CliRun info = run({"info", "--json", path("seg.kvnb")});
    ASSERT_EQ(info.code, kExitOk) << info.err;
    EXPECT_NE(info.out.find("\"samples\": 8000"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"duration_s\": 2,"), std::string::npos) << info.out;

    const CliRun r = run(
        {"intensity", path("seg.kvnb"), "--signal", "periodic", "--window", "hanning", "--band", "20:60"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    const auto row = csvRow(lines[0], lines[1]);
    EXPECT_NEAR(number(row, "I_angle_x"), 30.0, 1.0);
    EXPECT_NEAR(number(row, "I_angle_z"), 30.0, 1.0);
    EXPECT_GT(number(row, "I_x"), 0.0);
}

TEST_F(CliTest, JsonHoldsTheSameNumbersAsTheCsvRow)
{
    const std::vector<std::string> demo = {"intensity", "--demo",   "--freq", "30",
                                           "--noise",   "0",        "--rate", "1000",
                                           "--signal",  "periodic", "--band", "10:100"};
    const CliRun csv = run(demo);
    std::vector<std::string> jsonArgs = demo;
    jsonArgs.push_back("--json");
    const CliRun json = run(jsonArgs);
    ASSERT_EQ(csv.code, kExitOk) << csv.err;
    ASSERT_EQ(json.code, kExitOk) << json.err;
    const auto lines = splitLines(csv.out);
    ASSERT_EQ(lines.size(), 2u);
    const auto row = csvRow(lines[0], lines[1]);

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    ASSERT_EQ(doc.array().size(), 1);
    const QJsonObject object = doc.array().at(0).toObject();
    EXPECT_EQ(object.value("file").toString(), "demo");
    EXPECT_EQ(object.value("band").toArray().at(0).toDouble(), number(row, "f_lo"));
    for (const char* q : {"I", "J", "K", "P"}) {
        const QJsonObject v = object.value(q).toObject();
        EXPECT_EQ(v.value("x").toDouble(), number(row, std::string(q) + "_x")) << q;
        EXPECT_EQ(v.value("modulus").toDouble(), number(row, std::string(q) + "_mod")) << q;
        EXPECT_EQ(v.value("angle_z").toDouble(), number(row, std::string(q) + "_angle_z")) << q;
    }
}

TEST_F(CliTest, CutRefusesAStretchTooShortAndAnExistingTarget)
{
    RawRecordingSpec spec = slowWave(45.0, 45.0);
    spec.rate = 4000;
    spec.seconds = 2;
    std::string error;
    ASSERT_TRUE(WriteRawRecording(path("rec.dat"), spec, &error)) << error;

    // 0.02 s at 4000 Hz: 80 samples, fewer than the 100 an export needs.
    const CliRun shortCut =
        run({"cut", path("rec.dat"), "--from", "1", "--to", "1.02", "-o", path("a.kvnb")});
    EXPECT_EQ(shortCut.code, kExitSomeFailed);
    EXPECT_NE(shortCut.err.find("The time interval is too short"), std::string::npos) << shortCut.err;
    EXPECT_FALSE(fs::exists(path("a.kvnb")));

    ASSERT_TRUE(WriteBytes(path("b.kvnb"), {1, 2, 3}, &error));
    const CliRun exists = run({"cut", path("rec.dat"), "--from", "0", "--to", "1", "-o", path("b.kvnb")});
    EXPECT_EQ(exists.code, kExitSomeFailed);
    EXPECT_EQ(fs::file_size(path("b.kvnb")), 3u);
    const CliRun forced =
        run({"cut", path("rec.dat"), "--from", "0", "--to", "1", "-o", path("b.kvnb"), "--force"});
    EXPECT_EQ(forced.code, kExitOk) << forced.err;
    EXPECT_EQ(fs::file_size(path("b.kvnb")), static_cast<uintmax_t>(SegmentFileBytes(4000)));

    const CliRun pastEnd = run({"cut", path("rec.dat"), "--from", "1", "--to", "3", "-o", path("c.kvnb")});
    EXPECT_EQ(pastEnd.code, kExitSomeFailed);
    EXPECT_NE(pastEnd.err.find("past the end"), std::string::npos) << pastEnd.err;
}

TEST_F(CliTest, ATruncatedFileInABatchIsReportedAndTheOthersSucceed)
{
    const RawRecordingSpec wave = slowWave(45.0, 45.0);
    writeSegment("p1.kvnb", wave, 4000, 1.0);
    writeSegment("p3.kvnb", wave, 4000, 1.0);
    writeSegment("p2.kvnb", wave, 4000, 1.0);
    fs::resize_file(path("p2.kvnb"), SegmentFileBytes(4000) - 1000);

    // A band the probe measures well, so the good files have nothing at all to report.
    const CliRun r = run({"intensity", path("p1.kvnb"), path("p2.kvnb"), path("p3.kvnb"), "--signal",
                          "periodic", "--band", "20:60"});
    EXPECT_EQ(r.code, kExitSomeFailed);
    const auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[1].rfind(path("p1.kvnb") + ",", 0), 0u);
    EXPECT_EQ(lines[2].rfind(path("p3.kvnb") + ",", 0), 0u);
    EXPECT_NE(r.err.find(path("p2.kvnb")), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(path("p1.kvnb")), std::string::npos) << r.err;

    const CliRun info = run({"info", path("p1.kvnb"), path("p2.kvnb"), path("missing.kvnb")});
    EXPECT_EQ(info.code, kExitSomeFailed);
    EXPECT_EQ(splitLines(info.out).size(), 1u) << info.out;
    EXPECT_NE(info.err.find(path("missing.kvnb")), std::string::npos) << info.err;
}

TEST_F(CliTest, ExitCodesOfTheCommandLine)
{
    const RawRecordingSpec wave = slowWave(45.0, 45.0);
    writeSegment("s.kvnb", wave, 4000, 1.0);
    struct Case {
        std::vector<std::string> args;
        int code;
    };
    const std::string seg = path("s.kvnb");
    const Case cases[] = {
        {{"--help"}, kExitOk},
        {{"intensity", "--help"}, kExitOk},
        {{"frobnicate"}, kExitUsage},
        {{"info"}, kExitUsage},
        {{"info", seg, "--bogus"}, kExitUsage},
        {{"intensity", seg, "--demo"}, kExitUsage},
        {{"intensity", seg, "--band", "50"}, kExitUsage},
        {{"intensity", seg, "--band", "60:50"}, kExitUsage},
        {{"intensity", seg, "--window", "kaiser"}, kExitUsage},
        {{"intensity", seg, "--signal", "noise"}, kExitUsage},
        {{"intensity", seg, "--rho", "0"}, kExitUsage},
        {{"intensity", seg, "--spacing", "0.5,0.5"}, kExitUsage},
        {{"intensity", "--demo", "--noise", "150"}, kExitUsage},
        {{"cut", seg, "--from", "2", "--to", "1", "-o", path("x.kvnb")}, kExitUsage},
        {{"intensity", seg}, kExitOk},
        {{"intensity", seg, "--band", "1000:1900"}, kExitOk},
        // A band above the spectrum holds no bin.
        {{"intensity", seg, "--band", "5000:6000"}, kExitSomeFailed},
        {{"intensity", path("nope.kvnb")}, kExitSomeFailed},
        {{"info", path("notes.txt")}, kExitSomeFailed},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        const CliRun r = run(c.args);
        EXPECT_EQ(r.code, c.code) << joined << "\n" << r.err;
        if (c.code != kExitOk) {
            EXPECT_FALSE(r.err.empty()) << joined;
        }
    }
}

// The forms of the command line the parser must read as the tool always has.
TEST_F(CliTest, CommandLineFormsAndTheirRefusals)
{
    writeSegment("s.kvnb", slowWave(45.0, 45.0), 4000, 1.0);
    const std::string seg = path("s.kvnb");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;   // a part of standard error; empty: not checked
    };
    const Case cases[] = {
        {{"info", seg, "--bogus=3"},
         kExitUsage,
         "sonorix-cli info: unknown option --bogus (see info --help)\n"},
        {{"info", seg, "-x"}, kExitUsage, "unknown option -x (see"},
        {{"info", seg, "--locale"}, kExitUsage, "unknown option --locale (see"},
        {{"info", seg, "--json=x"},
         kExitUsage,
         "sonorix-cli info: option --json takes no value (see info --help)\n"},
        {{"info", seg, "--rho"},
         kExitUsage,
         "sonorix-cli info: option --rho needs a value (see info --help)\n"},
        // An empty value is a value: it never takes the next word.
        {{"intensity", "--rho=", seg},
         kExitUsage,
         "--rho (plotnost): expected a number from 1e-06 to 100000, got \"\""},
        {{"spectra", seg, "-o=" + path("x.csv")}, kExitUsage, "unknown option -o="},
        // Given twice, the last one counts.
        {{"intensity", seg, "--rho", "0", "--rho=1.2"}, kExitOk, ""},
        {{"intensity", seg, "--window", "hanning", "--window", "kaiser"},
         kExitUsage,
         "unknown window \"kaiser\""},
        // "--" ends the options; "--locale" never takes the next word as its value.
        {{"info", "--", "--json", seg}, kExitSomeFailed, "--json: unknown file type"},
        {{"info", "[a,b]"}, kExitSomeFailed, "sonorix-cli: [a,b]: unknown file type"},
        {{"spectra", "--locale", seg, "-o", path("l.csv")}, kExitOk, ""},
        // The help is shown when it comes before what is wrong.
        {{"info", seg, "--help", "--bogus"}, kExitOk, ""},
        {{"info", seg, "--bogus", "--help"}, kExitUsage, "unknown option --bogus"},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        const CliRun r = run(c.args);
        EXPECT_EQ(r.code, c.code) << joined << "\n" << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << joined << "\n" << r.err;
    }
}

TEST_F(CliTest, InfoCountsDamagedRecordsOfARawRecording)
{
    RawRecordingSpec spec = slowWave(45.0, 45.0);
    spec.rate = 2000;
    spec.seconds = 3;
    spec.damage = {{1000, 32}, {4500, 16}};
    std::string error;
    ASSERT_TRUE(WriteRawRecording(path("rec.dat"), spec, &error)) << error;

    const CliRun r = run({"info", "--json", path("rec.dat")});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    // The reader's rate is records / duration, and the damaged slots count as records.
    EXPECT_NE(r.out.find("\"rate\": 2001"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"duration_s\": 3"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"records\": 6003"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"damaged_records\": 3"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"start\": {\"day\": 5, \"hour\": 10, \"minute\": 0, \"second\": 0}"),
              std::string::npos)
        << r.out;
}

TEST_F(CliTest, ConstantsComeFromTheIniFileAndTheOptions)
{
    const RawRecordingSpec wave = slowWave(45.0, 45.0);
    writeSegment("s.kvnb", wave, 4000, 1.0);
    // The dialog's form: comma decimals as a Russian locale writes them, Windows line ends.
    {
        std::ofstream ini(path("probe.ini"), std::ios::binary);
        ini << "[Ust]\r\nplotnost=2,8\r\nlmic1=0,5\r\n";
    }
    auto activeX = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = {"intensity", path("s.kvnb"), "--signal", "periodic"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun r = run(args);
        EXPECT_EQ(r.code, kExitOk) << r.err;
        const auto lines = splitLines(r.out);
        return lines.size() == 2 ? number(csvRow(lines[0], lines[1]), "I_x") : NAN;
    };
    const double plain = activeX({});
    // I = -Im(Pp conj Pq) / (4 pi f rho dr): twice the density halves it, as does twice the spacing.
    EXPECT_NEAR(activeX({"--settings", path("probe.ini")}) / plain, 0.5, 1e-12);
    EXPECT_NEAR(activeX({"--rho", "2.8"}) / plain, 0.5, 1e-12);
    EXPECT_NEAR(activeX({"--settings", path("probe.ini"), "--rho", "1,4"}) / plain, 1.0, 1e-12);
    EXPECT_NEAR(activeX({"--spacing", "1,0.5,0.5"}) / plain, 0.5, 1e-12);
}

TEST_F(CliTest, LocaleFormAndSpectraFiles)
{
    const RawRecordingSpec wave = slowWave(45.0, 45.0);
    writeSegment("s.kvnb", wave, 4000, 1.0);
    const CliRun r = run({"intensity", path("s.kvnb"), "--signal", "periodic", "--locale=ru_RU",
                          "--spectra-csv", path("{}-spectra.csv")});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    ASSERT_NE(r.out.find("\r\n"), std::string::npos);
    const auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    // The decimal comma, ";" after no last field, the angles of the 45 degree wave.
    std::vector<std::string> fields;
    std::istringstream row(lines[1]);
    for (std::string field; std::getline(row, field, ';');)
        fields.push_back(field);
    ASSERT_EQ(fields.size(), 5u + 4 * 7) << lines[1];
    EXPECT_NE(fields[5].find(','), std::string::npos) << fields[5];   // I_x
    for (size_t k : {9u, 10u}) {                                      // I_angle_x, I_angle_y
        std::string angle = fields[k];
        std::replace(angle.begin(), angle.end(), ',', '.');
        EXPECT_NEAR(std::stod(angle), 45.0, 0.05) << fields[k];
    }

    std::ifstream csv(path("s-spectra.csv"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(csv)), std::istreambuf_iterator<char>());
    const auto csvLines = splitLines(bytes);
    ASSERT_GT(csvLines.size(), 9u);
    EXPECT_EQ(csvLines[1], ";");
    // "F(Гц);...;Пz" in Windows-1251.
    EXPECT_EQ(csvLines[3], "F(\xC3\xF6);Ix;Iy;Iz;Jx;Jy;Jz;Kx;Ky;Kz;\xCFx;\xCFy;\xCFz");
    EXPECT_EQ(csvLines.back().substr(0, 2), "Kx");
    EXPECT_EQ(csvLines[4].back(), ';');

    // Machine form: dot decimals, the header names every column.
    const CliRun spectra = run({"spectra", path("s.kvnb"), "-o", path("amp.csv"), "--signal", "periodic"});
    ASSERT_EQ(spectra.code, kExitOk) << spectra.err;
    std::ifstream amp(path("amp.csv"));
    std::string header, row0, row1;
    std::getline(amp, header);
    EXPECT_EQ(header, "f_Hz,ch1_Pa,ch2_Pa,ch3_Pa,ch4_Pa,ch5_Pa,ch6_Pa");
    std::getline(amp, row0);
    std::getline(amp, row1);
    EXPECT_EQ(row0.substr(0, 2), "0,");
    EXPECT_NE(row1.find('.'), std::string::npos);
    // No second write over it without --force.
    EXPECT_EQ(run({"spectra", path("s.kvnb"), "-o", path("amp.csv")}).code, kExitSomeFailed);
}

TEST_F(CliTest, SpectraReadAsinusoidsAmplitudeInPascals)
{
    // m whole cycles in N samples: exactly on bin m, so the periodic spectrum reads A there.
    const int n = 4000, m = 50;
    const double a = 800.0;
    std::array<std::vector<double>, 6> channels;
    for (auto& c : channels) {
        c.resize(n);
        for (int j = 0; j < n; ++j)
            c[j] = a * std::sin(2.0 * 3.141592653589793 * m * j / n);
    }
    const std::array<double, 6> sens{50, 50, 50, 50, 25, 25};
    std::string error;
    ASSERT_TRUE(WriteBytes(path("sine.kvnb"), SegmentFileContents(4000, 1.0, sens, channels), &error));
    const CliRun r = run({"spectra", path("sine.kvnb"), "-o", path("sine.csv"), "--signal", "periodic",
                          "--window", "none", "--volt", "0.002"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    std::ifstream in(path("sine.csv"));
    std::string header, line;
    std::getline(in, header);
    for (int k = 0; k <= m; ++k)
        std::getline(in, line);
    const auto row = csvRow(header, line);
    // A x VOLT x 1000 / sensitivity.
    EXPECT_NEAR(number(row, "ch1_Pa"), a * 0.002 * 1000.0 / 50.0, 1e-9);
    EXPECT_NEAR(number(row, "ch6_Pa"), a * 0.002 * 1000.0 / 25.0, 1e-9);
}

TEST(CliParsing, TimesAndNumbersAsUsersTypeThem)
{
    struct Case {
        const char* text;
        double seconds;   // NAN: refused
    };
    const Case cases[] = {
        {"12.5", 12.5},      {"12,5", 12.5},   {"1:02.5", 62.5}, {"0:01:02.500", 62.5},
        {"2:00:00", 7200.0}, {"1:60", NAN},    {"", NAN},        {"1::2", NAN},
        {"a", NAN},          {"1:2:3:4", NAN}, {"-1", NAN},      {"nan", NAN},
    };
    for (const Case& c : cases) {
        const auto t = ParseTime(c.text);
        if (std::isnan(c.seconds))
            EXPECT_FALSE(t.has_value()) << c.text;
        else
            EXPECT_EQ(t.value_or(-1.0), c.seconds) << c.text;
    }
    EXPECT_FALSE(ParseNumber("inf").has_value());
    EXPECT_FALSE(ParseNumber("1.5x").has_value());
    EXPECT_FALSE(ParseNumberList("0.5,0.5", 3).has_value());
    EXPECT_EQ(MachineNumber(0.1), "0.1");
    EXPECT_EQ(JsonNumber(NAN), "null");
    EXPECT_EQ(CsvField("a,b", ','), "\"a,b\"");
}

#ifdef SONORIX_CLI_PATH
TEST_F(CliTest, TheExecutableRunsWithoutADisplay)
{
    const std::string command = std::string("env -u DISPLAY QT_QPA_PLATFORM= ") + SONORIX_CLI_PATH +
                                " intensity --store " + path("store.ini") +
                                " --demo --rate 1000 --freq 20 --noise 0 --signal periodic > " +
                                path("out.csv") + " 2> " + path("err.txt");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream out(path("out.csv"));
    std::string header, row;
    std::getline(out, header);
    std::getline(out, row);
    EXPECT_EQ(row.rfind("demo,periodic,", 0), 0u) << row;

    const std::string bad =
        std::string(SONORIX_CLI_PATH) + " info " + path("none.kvnb") + " 2> " + path("err.txt");
    const int badStatus = std::system(bad.c_str());
    ASSERT_TRUE(WIFEXITED(badStatus));
    EXPECT_EQ(WEXITSTATUS(badStatus), kExitSomeFailed);
}
#endif

namespace {

// A field of the program's CSV form (decimal comma) as a number.
double localeField(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    return std::stod(text);
}

std::vector<std::string> splitFields(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, separator);)
        fields.push_back(field);
    return fields;
}

}   // namespace

TEST_F(CliTest, LocaleNumbersKeepSevenSignificantDigits)
{
    {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        const struct {
            double value;
            const char* text;
        } cases[] = {{0.0001624691, "0,0001624691"},
                     {1.234567891e-5, "1,234568E-05"},
                     {12345678.9, "1,234568E+07"},
                     {-0.0, "0"},
                     {45.0, "45"},
                     {-3.14159265, "-3,141593"}};
        for (const auto& c : cases)
            EXPECT_EQ(LocaleNumber(c.value).toStdString(), c.text) << c.value;
        QLocale::setDefault(before);
    }

    // A sine whose spectrum line is about 1.6e-4 Pa: 5 decimals would keep 2 of its digits.
    const int n = 4000, m = 50;
    const double a = 812.3456;
    std::array<std::vector<double>, 6> channels;
    for (auto& c : channels) {
        c.resize(n);
        for (int j = 0; j < n; ++j)
            c[j] = a * std::sin(2.0 * 3.141592653589793 * m * j / n);
    }
    std::string error;
    ASSERT_TRUE(WriteBytes(path("sine.kvnb"),
                           SegmentFileContents(4000, 1.0, {50, 50, 50, 50, 50, 50}, channels), &error));
    const CliRun r = run({"spectra", path("sine.kvnb"), "-o", path("sine.csv"), "--signal", "periodic",
                          "--window", "none", "--volt", "1e-8", "--locale=ru_RU"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const auto lines = splitLines(readFile(path("sine.csv")));
    ASSERT_GT(lines.size(), static_cast<size_t>(m + 1));
    const auto fields = splitFields(lines[m + 1], ';');
    ASSERT_GE(fields.size(), 7u) << lines[m + 1];
    EXPECT_NEAR(localeField(fields[1]) / (a * 1e-8 * 1000.0 / 50.0), 1.0, 1e-6) << fields[1];

    // Every number of an intensity row in the locale form agrees with the machine form to 7 digits.
    const std::vector<std::string> demo = {"intensity", "--demo", "--freq",      "30",       "--noise",
                                           "0",         "--rate", "1000",        "--signal", "periodic",
                                           "--band",    "10:100", "--amplitude", "3"};
    const CliRun machine = run(demo);
    std::vector<std::string> localeArgs = demo;
    localeArgs.push_back("--locale=ru_RU");
    const CliRun locale = run(localeArgs);
    ASSERT_EQ(machine.code, kExitOk) << machine.err;
    ASSERT_EQ(locale.code, kExitOk) << locale.err;
    const auto machineFields = splitFields(splitLines(machine.out).at(1), ',');
    const auto localeFields = splitFields(splitLines(locale.out).at(1), ';');
    ASSERT_EQ(machineFields.size(), localeFields.size());
    for (size_t k = 3; k < machineFields.size(); ++k) {
        const double exact = std::stod(machineFields[k]);
        EXPECT_NEAR(localeField(localeFields[k]), exact, 1e-6 * std::abs(exact) + 1e-300)
            << "column " << k << ": " << localeFields[k] << " against " << machineFields[k];
    }
}

TEST_F(CliTest, InfoMarksUnreadableStampsAndEstimates)
{
    // At the fallback rate, so a recording with unusable stamps still has a duration.
    struct Case {
        const char* name;
        bool garbageEnd;
        bool invalidStamps;
        const char* text;   // in the line
        const char* end;    // the JSON "end"
        bool estimated;
    };
    const Case cases[] = {
        {"good.dat", false, false, "end 5 10:00:01, duration 1 s (0:00:01), rate 40590 Hz,", "{\"day\": 5",
         false},
        {"cut.dat", true, false, "end unreadable", "null", true},
        {"days.dat", false, true, "(the stamps disagree)", "{\"day\": 7", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawRecordingSpec spec = slowWave(45.0, 45.0);
        spec.rate = kRawFallbackRate;
        spec.seconds = 1;
        spec.invalidStamps = c.invalidStamps;
        std::string error;
        ASSERT_TRUE(WriteRawRecording(path(c.name), spec, &error)) << error;
        if (c.garbageEnd) {
            // A recording cut short: its last bytes are samples, read as "248 06:72:04".
            std::fstream f(path(c.name), std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(-4, std::ios::end);
            f.write("\xF8\x06\x48\x04", 4);
        }
        const CliRun text = run({"info", path(c.name)});
        ASSERT_EQ(text.code, kExitOk) << text.err;
        EXPECT_NE(text.out.find(c.text), std::string::npos) << text.out;
        EXPECT_EQ(text.out.find("estimated") != std::string::npos, c.estimated) << text.out;

        const CliRun json = run({"info", "--json", path(c.name)});
        ASSERT_EQ(json.code, kExitOk) << json.err;
        const QJsonObject o =
            QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).array().at(0).toObject();
        EXPECT_EQ(o.value("duration_estimated").toBool(), c.estimated) << json.out;
        EXPECT_EQ(o.value("rate_estimated").toBool(), c.estimated) << json.out;
        EXPECT_EQ(o.value("stamps_usable").toBool(), !c.estimated) << json.out;
        EXPECT_NE(json.out.find(std::string("\"end\": ") + c.end), std::string::npos) << json.out;
        EXPECT_EQ(o.value("rate").toInt(), static_cast<int>(kRawFallbackRate)) << json.out;
    }
}

TEST_F(CliTest, DemoRefusesWhatTheProgramCannotRepresent)
{
    struct Case {
        std::vector<std::string> options;
        const char* named;   // what the message must name; nullptr: accepted
    };
    const Case cases[] = {
        {{"--rate", "10"}, "--rate"},
        {{"--rate", "1000", "--freq", "600"}, "Nyquist"},
        {{"--rate", "1001", "--freq", "500"}, "Nyquist"},   // used at 1000 Hz
        {{"--freq", "10001"}, "--freq"},
        {{"--duration", "0"}, "--duration"},
        {{"--duration", "11"}, "--duration"},
        {{"--amplitude", "0"}, "--amplitude"},
        {{"--amplitude", "100000000"}, "--amplitude"},
        {{"--fi-z", "361"}, "--fi-z"},
        {{"--fi-x", "-1"}, "--fi-x"},
        {{"--rate", "64", "--freq", "31"}, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"intensity", "--demo", "--noise", "0", "--signal", "periodic"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun r = run(args);
        SCOPED_TRACE(c.options[0] + " " + c.options[1]);
        if (!c.named) {
            EXPECT_EQ(r.code, kExitOk) << r.err;
            continue;
        }
        EXPECT_EQ(r.code, kExitUsage) << r.out;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    // A stored rate the dialog would refuse is refused too, and the key named.
    {
        std::ofstream store(path("store.ini"));
        store << "[Demo]\nfreq_ocifr=10\n";
    }
    const CliRun stored = run({"intensity", "--demo"});
    EXPECT_EQ(stored.code, kExitUsage);
    EXPECT_NE(stored.err.find("freq_ocifr"), std::string::npos) << stored.err;
}

TEST_F(CliTest, ConstantsOutOfRangeAreRefusedWhereTheyEnter)
{
    const RawRecordingSpec wave = slowWave(45.0, 45.0);
    writeSegment("s.kvnb", wave, 4000, 1.0);
    struct Case {
        std::vector<std::string> options;
        const char* ini;     // [Ust] lines of --settings FILE, or nullptr
        const char* store;   // lines of the store, or nullptr
        const char* named;
        const char* range;
    };
    const Case cases[] = {
        {{"--null-adc", "-2147483648"}, nullptr, nullptr, "--null-adc", "0 to 16383"},
        {{"--null-adc", "16384"}, nullptr, nullptr, "--null-adc", "0 to 16383"},
        {{"--rho", "1e-320"}, nullptr, nullptr, "--rho", "from 1e-06"},
        {{"--rho", "nan"}, nullptr, nullptr, "--rho", "from 1e-06"},
        {{"--volt", "0"}, nullptr, nullptr, "--volt", "from 1e-12"},
        {{"--spacing", "0,0.5,0.5"}, nullptr, nullptr, "lmic1", "from 1e-06"},
        {{"--sens", "50,50,0,50,50,50"}, nullptr, nullptr, "Chuv3", "from 1e-09"},
        {{}, "NULL_ADC=-2147483648", nullptr, "NULL_ADC", "0 to 16383"},
        {{}, "plotnost=-inf", nullptr, "plotnost", "from 1e-06"},
        {{}, "lmic1=0", nullptr, "lmic1", "from 1e-06"},
        {{}, nullptr, "[Sav]\nplotnost=-1\n", "plotnost", "from 1e-06"},
        // A size of its own among the stores here: the reader may keep a file of the same size and time.
        {{}, nullptr, "[Mag]\nNULL_ADC=-5000\n", "NULL_ADC", "0 to 16383"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        fs::remove(path("store.ini"));
        std::vector<std::string> args = {"intensity", path("s.kvnb"), "--band", "20:60"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        if (c.ini) {
            std::ofstream ini(path("probe.ini"));
            ini << "[Ust]\n" << c.ini << "\n";
            args.insert(args.end(), {"--settings", path("probe.ini")});
        }
        if (c.store) {
            std::ofstream store(path("store.ini"));
            store << c.store;
        }
        const CliRun r = run(args);
        EXPECT_EQ(r.code, kExitUsage) << r.out;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.range), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    // A bad stored value that an option replaces never reaches the numerics: no reason to stop.
    // (Its own size: the store's reader may keep a file it has seen of the same size and time.)
    {
        std::ofstream store(path("store.ini"));
        store << "[Sav]\nplotnost=-0.5\n";
    }
    const CliRun overridden = run({"intensity", path("s.kvnb"), "--band", "20:60", "--rho", "1.2"});
    EXPECT_EQ(overridden.code, kExitOk) << overridden.err;
}

TEST_F(CliTest, MessagesSayWhatFailedInPlainWords)
{
    const CliRun missing = run({"info", path("pos1.kvnb"), path("pos2.dat")});
    EXPECT_EQ(missing.code, kExitSomeFailed);
    EXPECT_NE(missing.err.find(path("pos1.kvnb") + ": cannot open: No such file or directory"),
              std::string::npos)
        << missing.err;
    EXPECT_NE(missing.err.find(path("pos2.dat") + ": cannot open: No such file or directory"),
              std::string::npos)
        << missing.err;
    EXPECT_EQ(missing.err.find("GetLastError"), std::string::npos) << missing.err;

    // The list of window names continues at the column of the option's description.
    for (const char* command : {"spectra", "intensity"}) {
        const std::string help = run({command, "--help"}).out;
        const auto lines = splitLines(help);
        const auto option = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("  --window NAME", 0) == 0;
        });
        const auto names = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.find("(or their numbers 0..7") != std::string::npos;
        });
        ASSERT_NE(option, lines.end()) << help;
        ASSERT_NE(names, lines.end()) << help;
        const size_t column = option->find_first_not_of(' ', std::string("  --window NAME").size());
        EXPECT_EQ(names->find_first_not_of(' '), column) << command << "\n" << help;
    }
}

TEST_F(CliTest, WritesRefuseTargetsThatAreNotFilesAndGiveTheSystemsReason)
{
    const RawRecordingSpec wave = slowWave(45.0, 45.0);
    writeSegment("s.kvnb", wave, 4000, 1.0);
    RawRecordingSpec spec = wave;
    spec.rate = 4000;
    spec.seconds = 2;
    std::string error;
    ASSERT_TRUE(WriteRawRecording(path("rec.dat"), spec, &error)) << error;
    fs::create_directory(path("dir.csv"));
    fs::create_directory(path("dir.kvnb"));
    fs::create_symlink("/dev/null", path("null.csv"));
    fs::create_symlink("/dev/null", path("null.kvnb"));
    fs::create_symlink(path("nothing-there"), path("dangling.csv"));
    fs::create_symlink(path("nothing-there"), path("dangling.kvnb"));
    ASSERT_TRUE(WriteBytes(path("old.csv"), {1, 2, 3}, &error));
    ASSERT_TRUE(WriteBytes(path("old.kvnb"), {1, 2, 3}, &error));

    struct Case {
        const char* target;   // without its extension
        bool force;
        const char* says;
    };
    const Case cases[] = {
        {"dir", true, "is a directory"},
        {"dir", false, "is a directory"},
        {"null", true, "is a device, not a regular file"},
        {"dangling", true, "dangling link"},
        {"old", false, "file exists (use --force to replace it)"},
        {"no-such-folder/x", true, "No such file or directory"},
    };
    for (const Case& c : cases) {
        for (const char* ext : {".csv", ".kvnb"}) {
            const std::string target = path(std::string(c.target) + ext);
            SCOPED_TRACE(target + (c.force ? " --force" : ""));
            std::vector<std::string> args =
                std::string(ext) == ".csv"
                    ? std::vector<std::string>{"spectra", path("s.kvnb"), "-o", target}
                    : std::vector<std::string>{"cut", path("rec.dat"), "--from", "0", "--to", "1",
                                               "-o",  target};
            if (c.force)
                args.push_back("--force");
            const CliRun r = run(args);
            EXPECT_EQ(r.code, kExitSomeFailed);
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
            // The hint only where it helps.
            EXPECT_EQ(r.err.find("--force") != std::string::npos, !c.force && std::string(c.target) == "old")
                << r.err;
        }
    }
    // Nothing was replaced: the links are links, the device and the old files untouched.
    EXPECT_TRUE(fs::is_symlink(path("null.kvnb")));
    EXPECT_TRUE(fs::is_symlink(path("dangling.csv")));
    EXPECT_FALSE(fs::exists(path("nothing-there")));
    EXPECT_TRUE(fs::is_directory(path("dir.kvnb")));
    EXPECT_EQ(fs::file_size(path("old.kvnb")), 3u);
}

TEST_F(CliTest, InfoReadsOnlyTheHeaderOfAHugeSegment)
{
    // 2e8 samples per channel: a 9.6 GB file, sparse, so it takes no disk space.
    const uint32_t rate = 40000;
    const double duration = 5000.0;
    const int64_t n = SegmentSampleCount(rate, duration);
    std::array<std::vector<double>, 6> none;
    for (auto& c : none)
        c.assign(2, 0.0);
    std::vector<uint8_t> header = SegmentFileContents(rate, 2.0 / rate, DefaultSettings().Chuv, none);
    header.resize(static_cast<size_t>(kSegmentHeaderBytes));
    std::copy_n(reinterpret_cast<const uint8_t*>(&duration), 8, header.begin() + 4);
    std::string error;
    ASSERT_TRUE(WriteBytes(path("huge.kvnb"), header, &error)) << error;
    fs::resize_file(path("huge.kvnb"), static_cast<uintmax_t>(SegmentFileBytes(n)));

    const CliRun r = run({"info", "--json", path("huge.kvnb")});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find("\"samples\": 200000000"), std::string::npos) << r.out;
}

TEST_F(CliTest, CutReadsOnlyTheRecordsTheStretchNeeds)
{
    // 8000 good records, then 10 records of zeros before the end stamp: over the stamps' 2 s the
    // reader's rate is 4005, so the second second's frame runs into the zeros.
    RawRecordingSpec spec = slowWave(45.0, 45.0);
    spec.rate = 4000;
    spec.seconds = 2;
    std::string error;
    ASSERT_TRUE(WriteRawRecording(path("rec.dat"), spec, &error)) << error;
    std::string bytes = readFile(path("rec.dat"));
    bytes.insert(bytes.size() - 4, std::string(160, '\0'));
    ASSERT_TRUE(WriteBytes(path("rec.dat"), std::vector<uint8_t>(bytes.begin(), bytes.end()), &error));

    const CliRun r = run({"cut", path("rec.dat"), "--from", "0.5", "--to", "1.4", "-o", path("seg.kvnb")});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    // 0.9 s at the even rate 4004.
    EXPECT_EQ(fs::file_size(path("seg.kvnb")),
              static_cast<uintmax_t>(SegmentFileBytes(SegmentSampleCount(4005, 0.9))));
    const CliRun info = run({"intensity", path("seg.kvnb"), "--band", "20:60", "--signal", "periodic"});
    EXPECT_EQ(info.code, kExitOk) << info.err;
}

#ifdef SONORIX_CLI_PATH
TEST_F(CliTest, InputsThatAreNotRegularFilesFailCleanly)
{
    fs::create_directory(path("dir.dat"));
    fs::create_directory(path("dir.kvnb"));
    ASSERT_EQ(::mkfifo(path("pipe.dat").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(path("pipe.kvnb").c_str(), 0600), 0);
    for (const char* device : {"null", "zero"}) {
        fs::create_symlink(std::string("/dev/") + device, path(std::string(device) + ".dat"));
        fs::create_symlink(std::string("/dev/") + device, path(std::string(device) + ".kvnb"));
    }
    // A segment whose channel 3 holds a NaN at sample 7.
    std::array<std::vector<double>, 6> channels;
    for (auto& c : channels)
        c.assign(4000, 1.0);
    channels[2][7] = NAN;
    std::string error;
    ASSERT_TRUE(WriteBytes(path("nan.kvnb"), SegmentFileContents(4000, 1.0, DefaultSettings().Chuv, channels),
                           &error));

    struct Case {
        const char* input;   // without its extension
        const char* says;
    };
    const Case inputs[] = {
        {"dir", "is a directory"},
        {"pipe", "is a named pipe"},
        {"null", "is a device"},
        {"zero", "is a device"},
    };
    for (const Case& c : inputs) {
        const std::string dat = path(std::string(c.input) + ".dat");
        const std::string seg = path(std::string(c.input) + ".kvnb");
        const std::vector<std::vector<std::string>> commands = {
            {"info", dat},
            {"info", seg},
            {"cut", dat, "--from", "0", "--to", "1", "-o", path("out.kvnb")},
            {"spectra", seg, "-o", path("out.csv")},
            {"intensity", seg},
        };
        for (const auto& command : commands) {
            SCOPED_TRACE(command[0] + " " + command[1]);
            const CliRun r = runProcess(command);
            EXPECT_EQ(r.code, kExitSomeFailed) << r.err;
            EXPECT_NE(r.err.find(command[1] + ": " + c.says), std::string::npos) << r.err;
        }
    }
    for (const char* command : {"spectra", "intensity"}) {
        SCOPED_TRACE(command);
        std::vector<std::string> args = {command, path("nan.kvnb")};
        if (std::string(command) == "spectra")
            args.insert(args.end(), {"-o", path("out.csv")});
        const CliRun r = runProcess(args);
        EXPECT_EQ(r.code, kExitSomeFailed) << r.err;
        EXPECT_NE(r.err.find("sample 7 of channel 3"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(path("out.kvnb")));
    EXPECT_FALSE(fs::exists(path("out.csv")));
}
#endif

TEST_F(CliTest, IntensityWarnsBeyondTheProbesLimits)
{
    struct Case {
        std::vector<std::string> options;
        std::vector<const char*> warnings;   // a part of each sentence, in order
    };
    const Case cases[] = {
        {{"--freq", "40", "--band", "20:60", "--window", "hanning"}, {}},
        // k dr = 1 at 340 / (2 pi 0.5) = 108 Hz.
        {{"--freq", "40", "--band", "20:300", "--window", "hanning"}, {"k*dr = 1"}},
        // A 10 Hz line of a 1 s signal lies near bin 10.
        {{"--freq", "10", "--band", "5:15", "--window", "flattop"}, {"below bin 20"}},
        {{"--freq", "10", "--band", "5:15", "--window", "hanning"}, {}},
        {{"--freq", "10", "--band", "5:200", "--window", "blackman"}, {"k*dr = 1", "below bin 20"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"intensity", "--demo",   "--rate",   "1000",  "--noise",
                                         "0",         "--signal", "periodic", "--json"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::string joined;
        for (const auto& a : c.options)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const CliRun r = run(args);
        ASSERT_EQ(r.code, kExitOk) << r.err;
        const QJsonArray warnings = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))
                                        .array()
                                        .at(0)
                                        .toObject()
                                        .value("warnings")
                                        .toArray();
        ASSERT_EQ(warnings.size(), static_cast<int>(c.warnings.size())) << r.out;
        for (size_t k = 0; k < c.warnings.size(); ++k) {
            const std::string sentence = warnings.at(static_cast<int>(k)).toString().toStdString();
            EXPECT_NE(sentence.find(c.warnings[k]), std::string::npos) << sentence;
            EXPECT_NE(r.err.find("sonorix-cli: demo: warning: " + sentence), std::string::npos) << r.err;
        }
        if (c.warnings.empty()) {
            EXPECT_TRUE(r.err.empty()) << r.err;
        }
    }
}

// --calibrated (or the stored setting) gives each channel the pascals of its own microphone's
// sensitivity: I of each axis scales by the product of its pair's two factors over the fixed
// factor squared, and --json says which was used. Without it, the sensitivities change nothing
// and the output is the one the tool always wrote.
TEST_F(CliTest, CalibratedIntensityScalesEachAxisByItsPairsFactors)
{
    writeSegment("seg.kvnb", slowWave(60.0, 30.0), 4000, 2.0);
    const std::vector<std::string> base = {"intensity", path("seg.kvnb"), "--signal", "impulse",
                                           "--band",    "20:60",          "--volt",   "0.004"};
    const std::string sens = "2,4,5,8,10,20";
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args);
    };
    const CliRun plain = with({});
    const CliRun plainSens = with({"--sens", sens});
    const CliRun plainJson = with({"--sens", sens, "--json"});
    ASSERT_EQ(plain.code, kExitOk) << plain.err;
    EXPECT_EQ(plainSens.out, plain.out);
    EXPECT_EQ(plainJson.out.find("\"pressure\""), std::string::npos) << plainJson.out;

    const CliRun calibrated = with({"--sens", sens, "--calibrated"});
    ASSERT_EQ(calibrated.code, kExitOk) << calibrated.err;
    const auto before = splitLines(plain.out);
    const auto after = splitLines(calibrated.out);
    ASSERT_EQ(before.size(), 2u);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], before[0]);
    const auto rowBefore = csvRow(before[0], before[1]);
    const auto rowAfter = csvRow(after[0], after[1]);
    const double g0 = 0.1220703125;
    const std::array<double, 6> g{2.0, 1.0, 0.8, 0.5, 0.4, 0.2};   // 1000 x 0.004 / sensitivity
    const char* axes[3] = {"I_x", "I_y", "I_z"};
    for (int a = 0; a < 3; ++a) {
        const double expected = number(rowBefore, axes[a]) * g[2 * a] * g[2 * a + 1] / (g0 * g0);
        EXPECT_NEAR(number(rowAfter, axes[a]), expected, 1e-9 * std::fabs(expected)) << axes[a];
    }

    const CliRun calibratedJson = with({"--sens", sens, "--calibrated", "--json"});
    ASSERT_EQ(calibratedJson.code, kExitOk) << calibratedJson.err;
    EXPECT_NE(calibratedJson.out.find("\"pressure\": \"microphone sensitivities\""), std::string::npos)
        << calibratedJson.out;

    // The stored setting does what the option does.
    std::ofstream(path("store.ini")) << "[Sav]\nI_PO_CHUV=1\n";
    EXPECT_EQ(with({"--sens", sens}).out, calibrated.out);
}
