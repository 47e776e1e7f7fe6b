// The survey report: a survey of every one-third-octave band from 10 Hz to 16 kHz over forty
// points still makes one A4 page, as do the smallest and an empty one, and a file that cannot
// be written is refused with the reason. With the English translation installed the page says
// nothing in Russian and writes dot decimals.
#include "PowerReport.h"
#include "ReportApplication.h"

#include "OctaveBands.h"

#ifdef SONORIX_WITH_TRANSLATIONS
#include "Language.h"
#endif

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
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

#ifdef SONORIX_WITH_TRANSLATIONS
// A page of A4 at 300 dots per inch that keeps the texts painted on it and draws nothing.
class TextRecorder : public QPaintDevice {
public:
    QStringList texts;

    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return 2480;
        case PdmHeight:
            return 3508;
        case PdmWidthMM:
            return 210;
        case PdmHeightMM:
            return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 300;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(QStringList& texts) : QPaintEngine(AllFeatures), texts_(texts) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawRects(const QRectF*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts_ << item.text(); }
        Type type() const override { return User; }

    private:
        QStringList& texts_;
    };
    mutable Engine engine_{texts};
};

// The texts of the page a survey of n points makes, its own names in Latin letters.
QStringList pageTexts(PowerReportInput in)
{
    in.source = QStringLiteral("Fan 14, mode 2");
    in.surveyPath = QStringLiteral("surveys/fan/survey.json");
    in.constants = {QStringLiteral("Air density: 1.21 kg/m³")};
    in.created = QStringLiteral("2026-05-04 10:00");
    TextRecorder page;
    QPainter painter(&page);
    PaintPowerReport(painter, page, in);
    painter.end();
    return page.texts;
}
#endif

}   // namespace

#ifdef SONORIX_WITH_TRANSLATIONS
TEST(PowerReport, EnglishPageSaysNothingInRussian)
{
    const ReportApplication application;
    ASSERT_EQ(application.problem().toStdString(), "");
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    static const QRegularExpression commaDecimal(QStringLiteral("\\d,\\d"));
    // The Russian page, as the batch tool prints it, is what the check would catch.
    const QStringList russian = pageTexts(survey(12, 8));
    ASSERT_FALSE(russian.isEmpty());
    EXPECT_FALSE(russian.filter(cyrillic).isEmpty());
    EXPECT_FALSE(russian.filter(commaDecimal).isEmpty());

    ASSERT_TRUE(InstallLanguage(UiLanguage::English));
    PowerReportInput in = survey(40, 33);
    in.locale = QLocale::c();
    const QStringList english = pageTexts(in);
    QTemporaryDir dir;
    const bool dirValid = dir.isValid();
    const QString path = dir.filePath(QStringLiteral("english.pdf"));
    const QString written = dirValid ? WritePowerReportPdf(path, in) : QStringLiteral("no folder");
    InstallLanguage(UiLanguage::Russian);

    EXPECT_GE(english.size(), russian.size() / 2);
    EXPECT_TRUE(english.filter(cyrillic).isEmpty()) << english.filter(cyrillic).join('\n').toStdString();
    EXPECT_TRUE(english.filter(commaDecimal).isEmpty())
        << english.filter(commaDecimal).join('\n').toStdString();
    ASSERT_EQ(written.toStdString(), "");
    EXPECT_TRUE(pdf(path).startsWith("%PDF"));
}
#endif

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
