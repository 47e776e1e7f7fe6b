// The batch tool's power command on a survey of generated point files: a plane wave along +x
// carries power out through a +x face and in through a -x face, the power is the points'
// normal intensities times their areas, the grade follows the criteria, a point that cannot be
// read is left out and named, and a bad survey or command line is refused. A survey may be
// written as JSON, and the command may add a one-page PDF report.
#include "CliCommands.h"
#include "CliFixture.h"
#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

using PowerRun = CliRun;

const std::vector<std::string> kPeriodic = {"--signal", "periodic", "--window", "hanning"};

class CliPowerTest : public CliFixture {
protected:
    CliPowerTest() : CliFixture("cli_power_") {}

    void SetUp() override
    {
        CliFixture::SetUp();
        fs::create_directories(dir_ / "points");
        writeWave("points/a.kvnb", 1000.0);
        writeWave("points/b.kvnb", 800.0);
        // Twelve positions: a recording counted twice would be one position, not two.
        for (int i = 0; i < 12; ++i)
            fs::copy_file(path(i % 2 == 0 ? "points/a.kvnb" : "points/b.kvnb"), path(pointFile(i)));
    }
    // The recording of position i (0-based): a.kvnb's wave at the even ones, b.kvnb's at the odd.
    static std::string pointFile(int i) { return "points/p" + std::to_string(i + 1) + ".kvnb"; }

    // A 63 Hz plane wave arriving along +x, one second at 2 kHz.
    void writeWave(const std::string& name, double amplitude) const
    {
        RawRecordingSpec wave;
        wave.frequency = 63.0;
        wave.amplitude = amplitude;
        wave.fiZ = 90.0;
        wave.fiX = 0.0;
        const uint32_t rate = 2000;
        const double duration = 1.0;
        const auto channels = PlaneWaveChannels(wave, rate, SegmentSampleCount(rate, duration));
        std::string error;
        ASSERT_TRUE(WriteBytes(path(name),
                               SegmentFileContents(rate, duration, DefaultSettings().Chuv, channels), &error))
            << error;
    }

    // Twelve points of 0.25 m^2 on one face, the two waves in turn (relative names).
    std::string writeSurvey(const std::string& name, const std::string& face,
                            const std::string& extra = {}) const
    {
        std::ofstream out(path(name), std::ios::binary);
        out << "file,area,face,label\n# the points of one face\n";
        for (int i = 0; i < 12; ++i)
            out << pointFile(i) << ",0.25," << face << ",P" << i + 1 << '\n';
        out << extra;
        return path(name);
    }

    PowerRun run(std::vector<std::string> args, const std::vector<std::string>& more = kPeriodic) const
    {
        args.insert(args.end(), more.begin(), more.end());
        return CliFixture::run(std::move(args));
    }

    QJsonObject json(const PowerRun& r) const
    {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out;
        EXPECT_EQ(doc.array().size(), 1) << r.out;
        return doc.array().at(0).toObject();
    }

    // I_x of a recording's 63 Hz band, as the bands command finds it.
    double bandIx(const std::string& name) const
    {
        const PowerRun r = run({"bands", path(name), "--json", "--band", "63:63"});
        EXPECT_EQ(r.code, kExitOk) << r.err;
        const QJsonObject band = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))
                                     .array()
                                     .at(0)
                                     .toObject()
                                     .value("bands")
                                     .toArray()
                                     .at(0)
                                     .toObject();
        return band.value("I").toArray().at(0).toDouble();
    }
};

QJsonObject bandAt(const QJsonObject& survey, double nominal)
{
    for (const QJsonValue& band : survey.value("bands").toArray())
        if (band.toObject().value("nominal").toDouble() == nominal)
            return band.toObject();
    return {};
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(text);
    while (std::getline(in, field, separator))
        fields.push_back(field);
    return fields;
}

}   // namespace

TEST_F(CliPowerTest, TheWaveLeavesThroughPlusXAndEntersThroughMinusX)
{
    const double Ia = bandIx("points/a.kvnb"), Ib = bandIx("points/b.kvnb");
    ASSERT_GT(Ia, 0.0);
    ASSERT_GT(Ib, Ia * 0.5);
    const double expected = 6 * 0.25 * (Ia + Ib);

    const PowerRun out = run({"power", writeSurvey("out.csv", "+x"), "--json", "--residual-index", "20"});
    ASSERT_EQ(out.code, kExitOk) << out.err;
    const QJsonObject survey = json(out);
    EXPECT_EQ(survey.value("fraction").toInt(), 3);
    ASSERT_EQ(survey.value("points").toArray().size(), 12);
    EXPECT_EQ(survey.value("points").toArray().at(1).toObject().value("label").toString(), "P2");
    const QJsonObject band = bandAt(survey, 63);
    ASSERT_FALSE(band.isEmpty()) << out.out;
    EXPECT_EQ(band.value("points").toInt(), 12);
    EXPECT_NEAR(band.value("P").toDouble(), expected, expected * 1e-9);
    EXPECT_NEAR(band.value("L_W").toDouble(), 10 * std::log10(expected / 1e-12), 1e-6);
    EXPECT_FALSE(band.value("negative_power").toBool());
    EXPECT_NEAR(band.value("partial_power").toArray().at(0).toDouble(), 0.25 * Ia, 0.25 * Ia * 1e-9);
    // A plane wave: pressure and intensity levels agree but for the finite difference's loss over
    // the 0.5 m spacing, and the twelve points are plenty.
    EXPECT_NEAR(band.value("F2").toDouble(), 0.0, 1.5);
    EXPECT_NEAR(band.value("F3").toDouble(), band.value("F2").toDouble(), 1e-9);
    // Independently of the intensity: a plane wave carries p^2 / (rho c) through each square
    // metre, so the power through the 3 m^2 follows from the points' pressures alone. The
    // finite difference over the spacing costs the probe a quarter of a decibel at 63 Hz.
    const Settings defaults = DefaultSettings();
    const double fromPressure = band.value("L_p").toDouble() + 10 * std::log10(3.0) +
                                10 * std::log10(400.0 / (defaults.plotnost * defaults.skorost));
    EXPECT_NEAR(band.value("L_W").toDouble(), fromPressure, 0.5);
    EXPECT_TRUE(band.value("criterion_1").toBool());
    EXPECT_TRUE(band.value("criterion_2").toBool());
    EXPECT_EQ(band.value("grade").toInt(), 1);
    EXPECT_TRUE(band.value("advice").toArray().isEmpty());
    EXPECT_TRUE(survey.value("total_A").isObject());
    // The stored 0.5 m spacing puts k*dr above 1 from about 108 Hz: those bands are doubtful.
    EXPECT_TRUE(band.value("warnings").toArray().isEmpty());
    const QJsonArray high = bandAt(survey, 125).value("warnings").toArray();
    ASSERT_EQ(high.size(), 1) << out.out;
    EXPECT_NE(high.at(0).toString().indexOf("k*dr > 1"), -1);

    const PowerRun in = run({"power", writeSurvey("in.csv", "-x"), "--json"});
    ASSERT_EQ(in.code, kExitOk) << in.err;
    const QJsonObject inward = bandAt(json(in), 63);
    EXPECT_NEAR(inward.value("P").toDouble(), -expected, expected * 1e-9);
    EXPECT_TRUE(inward.value("L_W").isNull());
    EXPECT_TRUE(inward.value("negative_power").toBool());
    EXPECT_TRUE(inward.value("grade").isNull());
    EXPECT_FALSE(inward.value("advice").toArray().isEmpty());
    // Without the probe's residual index criterion 1 is not checked.
    EXPECT_TRUE(inward.value("criterion_1").isNull());
}

TEST_F(CliPowerTest, CsvHoldsARowPerBandAndTheTotal)
{
    const std::string survey = writeSurvey("in.csv", "back");
    const PowerRun r = run({"power", survey, "--band", "50:80"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const std::vector<std::string> rows = split(r.out, '\n');
    ASSERT_EQ(rows.size(), 5u) << r.out;   // header, 50, 63, 80 Hz, total_A
    EXPECT_EQ(rows[0], "fraction,nominal,points,P,L_W,L_p,F2,F3,F4,L_d,criterion_1,criterion_2,criterion_N,"
                       "criterion_F3_F2,grade,notes");
    const std::vector<std::string> band = split(rows[2], ',');
    ASSERT_GE(band.size(), 16u) << rows[2];
    EXPECT_EQ(band[1], "63");
    EXPECT_EQ(band[2], "12");
    EXPECT_LT(std::stod(band[3]), 0.0);
    EXPECT_EQ(band[4], "");   // no L_W of a negative power
    EXPECT_EQ(band[10], "not checked");
    EXPECT_EQ(band[14], "none");
    EXPECT_EQ(rows[2].find(",negative power"), rows[2].rfind(",negative power")) << rows[2];
    EXPECT_NE(rows[2].find(",negative power; The power through the surface is negative"), std::string::npos)
        << rows[2];
    EXPECT_EQ(split(rows[4], ',')[1], "total_A");

    const PowerRun program = run({"power", survey, "--band", "50:80", "--locale=ru_RU"});
    ASSERT_EQ(program.code, kExitOk) << program.err;
    QStringDecoder decoder("windows-1251");
    const QString text = decoder.decode(QByteArray::fromStdString(program.out));
    EXPECT_FALSE(decoder.hasError());
    EXPECT_TRUE(text.startsWith(QStringLiteral("Доля октавы;Полоса, Гц;Точек;"))) << program.out;
    EXPECT_TRUE(text.contains(QStringLiteral("отрицательная мощность"))) << program.out;
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n3;Сумма A;12;"))) << program.out;
    EXPECT_FALSE(text.contains(QLatin1Char('?'))) << program.out;
}

TEST_F(CliPowerTest, AMissingPointIsNamedAndLeftOut)
{
    const std::string survey = writeSurvey("out.csv", "+x", "points/gone.kvnb,0.25,+x,P13\n");
    const PowerRun r = run({"power", survey, "--json"});
    EXPECT_EQ(r.code, kExitSomeFailed);
    EXPECT_NE(r.err.find("gone.kvnb"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("P13"), std::string::npos) << r.err;
    const QJsonObject result = json(r);
    EXPECT_FALSE(result.value("points").toArray().at(12).toObject().value("read").toBool());
    const QJsonObject band = bandAt(result, 63);
    EXPECT_EQ(band.value("points").toInt(), 12);
    EXPECT_TRUE(band.value("partial_power").toArray().at(12).isNull());
    EXPECT_GT(band.value("P").toDouble(), 0.0);

    // No point read at all: nothing to compute.
    std::ofstream(path("none.csv")) << "file,area,face\nmissing.kvnb,1,top\n";
    const PowerRun none = run({"power", path("none.csv")});
    EXPECT_EQ(none.code, kExitSomeFailed);
    EXPECT_TRUE(none.out.empty()) << none.out;
}

TEST_F(CliPowerTest, BadSurveysAndCommandLinesAreRefused)
{
    std::ofstream(path("bad.csv")) << "file,area,face\npoints/a.kvnb,0.25,+x\npoints/b.kvnb,-1,+x\n";
    std::ofstream(path("empty.csv")) << "";
    std::ofstream(path("bad.json")) << R"({"points": [{"file": "points/a.kvnb", "area": 1, "face": "+x"},
                                                      {"file": "points/b.kvnb", "area": -1, "face": "+x"}]})";
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"power", path("bad.csv")}, "line 3"},
        {{"power", path("empty.csv")}, "empty"},
        {{"power", path("absent.csv")}, "absent.csv"},
        {{"power", dir_.string()}, "directory"},
        {{"power"}, "one survey file"},
        {{"power", path("bad.csv"), path("empty.csv")}, "one survey file"},
        {{"power", path("bad.csv"), "--grade", "4"}, "--grade"},
        {{"power", path("bad.csv"), "--fraction", "2"}, "--fraction"},
        {{"power", path("bad.csv"), "--residual-index", "x"}, "--residual-index"},
        {{"power", path("bad.csv"), "--json", "--locale"}, "exclude each other"},
        {{"power", path("bad.csv"), "--demo"}, "unknown option --demo"},
        {{"power", path("bad.json")}, "point 2: \"area\""},
        {{"power", path("bad.csv"), "--report="}, "--report: expected the name of a PDF file"},
    };
    for (const Case& c : cases) {
        const PowerRun r = run(c.args);
        EXPECT_EQ(r.code, kExitUsage) << c.args.back() << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST_F(CliPowerTest, AGradeNotReachedIsReported)
{
    // Four points are fewer than ten: no band reaches a grade.
    std::ofstream(path("few.csv")) << "file,area,nx,ny,nz\n"
                                      "points/a.kvnb,1,1,0,0\npoints/b.kvnb,1,1,0,0\n"
                                      "points/a.kvnb,1,1,0,0\npoints/b.kvnb,1,1,0,0\n";
    const PowerRun r = run({"power", path("few.csv"), "--band", "63:63", "--grade", "2"});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.err.find("band 63 does not reach grade 2 (N >= 10 not met)"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Fewer than 10 points"), std::string::npos) << r.out;
}

TEST_F(CliPowerTest, AJsonSurveyGivesTheTableOfItsCsvForm)
{
    std::ofstream json(path("in.survey"));
    json << "  {\"source\": \"test\", \"points\": [\n";
    for (int i = 0; i < 12; ++i)
        json << (i ? ",\n" : "") << "{\"file\": \"" << pointFile(i)
             << "\", \"area\": 0.25, \"normal\": [-2, 0, 0], \"label\": \"P" << i + 1 << "\"}";
    json << "]}\n";
    json.close();
    const PowerRun fromJson = run({"power", path("in.survey"), "--band", "50:80"});
    const PowerRun fromCsv = run({"power", writeSurvey("in.csv", "back"), "--band", "50:80"});
    ASSERT_EQ(fromJson.code, kExitOk) << fromJson.err;
    EXPECT_EQ(fromJson.out, fromCsv.out);
}

TEST_F(CliPowerTest, AReportIsWrittenBesideTheTable)
{
    const std::string survey = writeSurvey("out.csv", "+x");
    const PowerRun plain = run({"power", survey, "--band", "50:200"});
    ASSERT_EQ(plain.code, kExitOk) << plain.err;
    const auto startsAsPdf = [](const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::string head(4, ' ');
        in.read(head.data(), 4);
        return head == "%PDF";
    };

    const PowerRun reported = run({"power", survey, "--band", "50:200", "--report", path("report.pdf")});
    EXPECT_EQ(reported.code, kExitOk) << reported.err;
    EXPECT_EQ(reported.out, plain.out);
    EXPECT_TRUE(startsAsPdf(path("report.pdf")));

    // A report that cannot be written is named with its reason; the table is still written.
    for (const std::string& target : {path("absent/report.pdf"), dir_.string()}) {
        const PowerRun failed = run({"power", survey, "--band", "50:200", "--report", target});
        EXPECT_EQ(failed.code, kExitSomeFailed) << target;
        EXPECT_NE(failed.err.find("Could not write the file “" + target + "”"), std::string::npos)
            << failed.err;
        EXPECT_EQ(failed.out, plain.out);
    }

#ifdef SONORIX_CLI_PATH
    // The executable makes its gui part only for the report, and needs no display for it.
    const std::string command = std::string("env -u DISPLAY QT_QPA_PLATFORM= ") + SONORIX_CLI_PATH +
                                " power --store '" + path("store.ini") + "' '" + survey +
                                "' --signal periodic --band 63:63 --report='" + path("tool.pdf") + "' > '" +
                                path("tool.csv") + "' 2> '" + path("tool.err") + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kExitOk);
    EXPECT_TRUE(startsAsPdf(path("tool.pdf")));
#endif
}
