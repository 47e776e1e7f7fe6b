// The survey report: a survey of every one-third-octave band from 10 Hz to 16 kHz over forty
// points still makes one A4 page, as do the smallest and an empty one, and a file that cannot
// be written is refused with the reason.
#include "PowerReport.h"
#include "ReportApplication.h"

#include "OctaveBands.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

namespace {

// A survey of n points on the faces of a box, with every kind of row: bands of each grade, a
// negative power, doubtful bands and the A-weighted total.
PowerReportInput survey(size_t pointCount, size_t bandCount)
{
    static const std::array<std::array<double, 3>, 5> faces = {
        {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0.6, 0, 0.8}}};
    PowerReportInput in;
    in.source = QStringLiteral("Вентилятор ВЦ-14, режим 2");
    in.surveyPath = QStringLiteral("съёмки/вентилятор с длинным именем файла съёмки/survey.json");
    in.residualIndexDb = 18.0;
    in.constants = {QStringLiteral("Плотность воздуха ρ: 1,21 кг/м³"),
                    QStringLiteral("Скорость звука c: 343 м/с")};
    for (size_t i = 0; i < pointCount; ++i) {
        SurveyPoint p;
        p.file = "points/face" + std::to_string(i % 5) + "/position_" + std::to_string(i + 1) + ".kvnb";
        p.area = 0.25 + 0.01 * static_cast<double>(i % 7);
        p.normal = faces[i % faces.size()];
        p.label = "P" + std::to_string(i + 1);
        in.points.push_back(p);
        in.pointRead.push_back(i % 13 != 12);
    }
    for (size_t i = 0; i < in.points.size(); ++i)
        if (in.pointRead[i])
            in.table.pointsRead.push_back(i);
    std::vector<SurveyPoint> read;
    for (size_t i : in.table.pointsRead)
        read.push_back(in.points[i]);
    for (size_t b = 0; b <= bandCount; ++b) {
        SurveyBandInput band;
        band.aWeightedTotal = b == bandCount;
        band.nominal =
            band.aWeightedTotal ? 0.0 : std::round(10.0 * std::pow(10.0, static_cast<double>(b) / 10.0));
        for (size_t k = 0; k < read.size(); ++k) {
            // Outward everywhere, but uneven; band 5 flows inward.
            const double I = 1e-5 * (1.0 + 0.5 * static_cast<double>(k % 3)) * (b == 5 ? -1.0 : 1.0) *
                             std::pow(10.0, -0.1 * std::fabs(static_cast<double>(b) - 15.0));
            const auto& n = read[k].normal;
            band.intensity.push_back({I * n[0], I * n[1], I * n[2]});
            band.pressureLevelDb.push_back(10 * std::log10(I / 1e-12) + 1.0 + (b % 4 == 0 ? 6.0 : 0.0));
        }
        SurveyPowerRow row;
        row.nominal = band.nominal;
        row.aWeightedTotal = band.aWeightedTotal;
        row.label = band.aWeightedTotal ? "total_A" : std::to_string(static_cast<int>(band.nominal));
        row.cautions = band.aWeightedTotal ? 0u
                       : b > 20            ? kBandCautionSpacing
                       : b == 3            ? kBandCautionDynamic
                                           : 0u;
        row.power = ComputeBandPower(read, band, in.residualIndexDb);
        in.table.rows.push_back(row);
    }
    return in;
}

QByteArray pdf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}   // namespace

TEST(PowerReport, AnySurveyFitsOnePage)
{
    const ReportApplication application;
    ASSERT_EQ(application.problem().toStdString(), "");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        size_t points, bands;
    };
    for (const Case c : {Case{40, 33}, Case{60, 33}, Case{1, 1}, Case{12, 8}, Case{0, 0}}) {
        SCOPED_TRACE(std::to_string(c.points) + " points, " + std::to_string(c.bands) + " bands");
        const QString path = dir.filePath(QStringLiteral("report %1.pdf").arg(c.points));
        ASSERT_EQ(WritePowerReportPdf(path, survey(c.points, c.bands)).toStdString(), "");
        const QByteArray bytes = pdf(path);
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
        EXPECT_EQ(QString::fromLatin1(bytes).count(page), 1);
    }
}

TEST(PowerReport, AFileThatCannotBeWrittenGivesTheReason)
{
    const ReportApplication application;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& path : {dir.filePath(QStringLiteral("absent/report.pdf")), dir.path()}) {
        const QString reason = WritePowerReportPdf(path, survey(3, 2));
        EXPECT_TRUE(reason.startsWith(QStringLiteral("Не удалось записать файл «"))) << reason.toStdString();
        EXPECT_TRUE(reason.contains(QDir::toNativeSeparators(path))) << reason.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("absent"))));
}
