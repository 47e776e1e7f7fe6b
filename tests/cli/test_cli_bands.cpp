// The batch tool's bands command on the test signal and on a segment file: the tone lands in
// its band with its direction, the band options reach the analysis, the CSV and JSON forms hold
// the same bands, and a bad command line is refused before anything is read.
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
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using BandsRun = CliRun;

// A 50 Hz tone from 60 degrees off the Z axis and 30 degrees off the X axis, without noise.
const std::vector<std::string> kTone = {"bands",    "--demo",   "--freq",   "50",     "--fi-z",  "60",
                                        "--fi-x",   "30",       "--rate",   "2000",   "--noise", "0",
                                        "--signal", "periodic", "--window", "hanning"};

class CliBandsTest : public CliFixture {
protected:
    CliBandsTest() : CliFixture("cli_bands_") {}

    BandsRun run(std::vector<std::string> args, const std::vector<std::string>& more = {}) const
    {
        args.insert(args.end(), more.begin(), more.end());
        return CliFixture::run(std::move(args));
    }

    // The first file's object of a --json run.
    QJsonObject json(const std::vector<std::string>& more = {}) const
    {
        std::vector<std::string> args = more;
        args.push_back("--json");
        const BandsRun r = run(kTone, args);
        EXPECT_EQ(r.code, kExitOk) << r.err;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out;
        return doc.array().at(0).toObject();
    }
};

QJsonObject loudest(const QJsonArray& bands)
{
    QJsonObject best;
    for (const QJsonValue& band : bands)
        if (best.isEmpty() || band.toObject().value("L_I").toDouble(-1e9) > best.value("L_I").toDouble(-1e9))
            best = band.toObject();
    return best;
}

std::vector<double> nominals(const QJsonArray& bands)
{
    std::vector<double> out;
    for (const QJsonValue& band : bands)
        out.push_back(band.toObject().value("nominal").toDouble());
    return out;
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

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out = split(text, '\n');
    for (std::string& line : out)
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    return out;
}

}   // namespace

TEST_F(CliBandsTest, TheToneLandsInItsBandWithItsDirection)
{
    const QJsonObject file = json();
    EXPECT_EQ(file.value("file").toString(), "demo");
    EXPECT_EQ(file.value("fraction").toInt(), 3);
    const QJsonObject band = loudest(file.value("bands").toArray());
    EXPECT_EQ(band.value("nominal").toDouble(), 50.0);
    EXPECT_NEAR(band.value("centre").toDouble(), 50.1187, 1e-3);
    EXPECT_LT(band.value("lower").toDouble(), 50.0);
    EXPECT_GT(band.value("upper").toDouble(), 50.0);
    // atan(Iy / Ix) = 30 degrees from the X axis, asin(Iz / |I|) = 90 - 60 degrees.
    EXPECT_NEAR(band.value("angle_x").toDouble(), 30.0, 1.0);
    EXPECT_NEAR(band.value("angle_z").toDouble(), 30.0, 1.0);
    const QJsonArray I = band.value("I").toArray();
    ASSERT_EQ(I.size(), 3);
    for (const QJsonValue& component : I)
        EXPECT_GT(component.toDouble(), 0.0);
    // A plane wave: the pressure and intensity levels agree within a fraction of a decibel.
    EXPECT_NEAR(band.value("PI_index").toDouble(), 0.0, 1.0);
    // The tone is nearly all of the total.
    EXPECT_NEAR(file.value("total").toObject().value("L_I").toDouble(), band.value("L_I").toDouble(), 0.1);
    for (const char* member : {"nominal", "lower", "centre", "upper", "I", "I_mod", "L_I", "L_p", "PI_index",
                               "J", "J_mod", "K", "P", "angle_x", "angle_y", "angle_z", "valid", "warnings"})
        EXPECT_TRUE(band.contains(member)) << member;
    for (const char* member : {"total", "total_A"})
        EXPECT_TRUE(file.value(member).toObject().contains("L_p")) << member;
}

TEST_F(CliBandsTest, BandAndFractionChooseTheBands)
{
    EXPECT_EQ(nominals(json({"--band", "40:63"}).value("bands").toArray()),
              (std::vector<double>{40, 50, 63}));
    // Octaves: the 50 Hz tone is in the 63 Hz octave (44.7 ... 89.1 Hz).
    const QJsonObject octaves = json({"--fraction", "1", "--band", "10:500"});
    EXPECT_EQ(octaves.value("fraction").toInt(), 1);
    EXPECT_EQ(nominals(octaves.value("bands").toArray()), (std::vector<double>{16, 31.5, 63, 125, 250, 500}));
    EXPECT_EQ(loudest(octaves.value("bands").toArray()).value("nominal").toDouble(), 63.0);
}

TEST_F(CliBandsTest, CorrectionAndResidualIndexReachTheBands)
{
    const auto tone = [](const QJsonObject& file) {
        for (const QJsonValue& band : file.value("bands").toArray())
            if (band.toObject().value("nominal").toDouble() == 50.0)
                return band.toObject();
        return QJsonObject();
    };
    const QJsonObject plain = tone(json());
    // The stored spacing is 0.5 m: k dr = 0.46 at 50 Hz, whose finite difference loses 3.6 %.
    const QJsonObject corrected = tone(json({"--fd-correction"}));
    EXPECT_NEAR(corrected.value("I_mod").toDouble() / plain.value("I_mod").toDouble(), 1.036, 0.01);
    EXPECT_TRUE(plain.value("valid").toBool());
    // An index of 1 dB leaves the plane wave's 0 dB above 1 - 7 dB: doubtful.
    const QJsonObject doubtful = tone(json({"--residual-index", "1"}));
    EXPECT_FALSE(doubtful.value("valid").toBool());
    ASSERT_EQ(doubtful.value("warnings").toArray().size(), 1);
    EXPECT_NE(doubtful.value("warnings").toArray().at(0).toString().indexOf("delta_pI"), -1);
}

TEST_F(CliBandsTest, CsvHoldsARowPerBandAndTheTotals)
{
    const BandsRun csv = run(kTone, {"--band", "40:63"});
    ASSERT_EQ(csv.code, kExitOk) << csv.err;
    const auto rows = lines(csv.out);
    ASSERT_EQ(rows.size(), 6u) << csv.out;   // header, three bands, total, total_A
    EXPECT_EQ(rows[0].rfind("file,fraction,nominal,lower,centre,upper,Ix,Iy,Iz,I_mod,L_I,L_p,PI_index,", 0),
              0u);
    const QJsonObject file = json({"--band", "40:63"});
    const QJsonArray bands = file.value("bands").toArray();
    for (int b = 0; b < 3; ++b) {
        const auto fields = split(rows[1 + b], ',');
        ASSERT_GE(fields.size(), 26u);
        EXPECT_EQ(fields[0], "demo");
        EXPECT_EQ(fields[1], "3");
        EXPECT_EQ(std::stod(fields[2]), bands.at(b).toObject().value("nominal").toDouble());
        EXPECT_EQ(std::stod(fields[10]), bands.at(b).toObject().value("L_I").toDouble());
    }
    EXPECT_EQ(split(rows[4], ',')[2], "total");
    EXPECT_EQ(split(rows[5], ',')[2], "total_A");

    // The program's own form: Russian headers, ";" and the decimal comma, Windows-1251.
    const BandsRun program = run(kTone, {"--band", "40:63", "--locale=ru_RU"});
    ASSERT_EQ(program.code, kExitOk) << program.err;
    QStringDecoder decoder("windows-1251");
    const QString text = decoder.decode(QByteArray::fromStdString(program.out));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Файл;Доля октавы;Полоса, Гц;"))) << program.out;
    EXPECT_TRUE(text.contains(QStringLiteral("\r\ndemo;3;50;44,66836;"))) << program.out;
}

TEST_F(CliBandsTest, SegmentFilesAndAMissingOne)
{
    RawRecordingSpec wave;
    wave.frequency = 40.0;
    wave.amplitude = 1000.0;
    wave.fiZ = 90.0;
    wave.fiX = 0.0;
    const uint32_t rate = 2000;
    const double duration = 1.0;
    const auto channels = PlaneWaveChannels(wave, rate, SegmentSampleCount(rate, duration));
    std::string error;
    ASSERT_TRUE(WriteBytes(path("a.kvnb"),
                           SegmentFileContents(rate, duration, DefaultSettings().Chuv, channels), &error))
        << error;
    const BandsRun r = run({"bands", path("a.kvnb"), path("missing.kvnb"), "--json", "--signal", "periodic"});
    EXPECT_EQ(r.code, kExitSomeFailed);
    EXPECT_NE(r.err.find("missing.kvnb"), std::string::npos) << r.err;
    const QJsonArray files = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
    ASSERT_EQ(files.size(), 1) << r.out;
    const QJsonObject band = loudest(files.at(0).toObject().value("bands").toArray());
    EXPECT_EQ(band.value("nominal").toDouble(), 40.0);
    // Along +X: no Y or Z component to speak of.
    EXPECT_NEAR(band.value("angle_x").toDouble(), 0.0, 1.0);
    EXPECT_NEAR(band.value("angle_z").toDouble(), 0.0, 1.0);
}

TEST_F(CliBandsTest, BadCommandLinesAreRefused)
{
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"bands"}, "needs segment files or --demo"},
        {{"bands", "--demo", "x.kvnb"}, "needs segment files or --demo"},
        {{"bands", "--demo", "--fraction", "2"}, "--fraction"},
        {{"bands", "--demo", "--fraction", "third"}, "--fraction"},
        {{"bands", "--demo", "--band", "100"}, "--band"},
        {{"bands", "--demo", "--band", "500:100"}, "--band"},
        {{"bands", "--demo", "--band", "-5:100"}, "--band"},
        {{"bands", "--demo", "--residual-index", "-3"}, "--residual-index"},
        {{"bands", "--demo", "--residual-index", "loud"}, "--residual-index"},
        {{"bands", "--demo", "--json", "--locale"}, "exclude each other"},
        {{"bands", "--demo", "--fd-correction=yes"}, "takes no value"},
        {{"bands", "--demo", "--window", "square"}, "--window"},
        {{"bands", "--demo", "--noise", "150"}, "noise"},
    };
    for (const Case& c : cases) {
        const BandsRun r = run(c.args);
        EXPECT_EQ(r.code, kExitUsage) << c.args.back();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    // A range with no band in it is not a bad command line: the input yields nothing.
    const BandsRun narrow = run(kTone, {"--band", "51:52"});
    EXPECT_EQ(narrow.code, kExitSomeFailed);
    EXPECT_NE(narrow.err.find("no one-third-octave band"), std::string::npos) << narrow.err;
}
