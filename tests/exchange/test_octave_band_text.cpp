// The band table's texts on a hand-made analysis of two bands, one with every level and one
// whose levels are none and whose figures are doubtful: the cells of each form, the CSV files
// in the program's form and the plain form, and their encodings.
#include "OctaveBandText.h"

#include <QLocale>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}
QT_END_NAMESPACE

namespace {

class OctaveBandTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        analysis_ = makeAnalysis();
    }
    void TearDown() override { QLocale::setDefault(previous_); }

    static BandAnalysis makeAnalysis()
    {
        BandAnalysis a;
        a.fraction = 3;
        OctaveBand loud;
        loud.nominalHz = 31.5;
        loud.label = "31.5";
        loud.lowerHz = 28.183829312644548;
        loud.midHz = 31.622776601683793;
        loud.upperHz = 35.481338923357555;
        loud.figures.values.active = {3e-4, -4e-4, 0.0};
        loud.figures.values.reactive = {1.25e-5, 0.0, 0.0};
        loud.figures.values.kinetic = {1e-9, 2e-9, 3e-9};
        loud.figures.values.potential = {4e-9, 5e-9, 6e-9};
        loud.figures.active = {5e-4, -53.13010235415598, 0.0};
        loud.figures.reactive = {1.25e-5, 0.0, 0.0};
        loud.figures.levels = {86.98970004336019, 88.5, 1.5102999566398};
        OctaveBand quiet;
        quiet.nominalHz = 40.0;
        quiet.label = "40";
        quiet.lowerHz = 35.481338923357555;
        quiet.midHz = 39.810717055349734;
        quiet.upperHz = 44.668359215096324;
        quiet.cautions = kBandCautionSpacing | kBandCautionDynamic;
        a.bands = {loud, quiet};
        a.total = loud.figures;
        a.totalA = loud.figures;
        a.totalA.levels.intensity = 47.6;
        return a;
    }

    BandAnalysis analysis_;

private:
    QLocale previous_;
};

TEST_F(OctaveBandTextTest, EachFormWritesTheBandInItsOwnWay)
{
    struct Case {
        BandTextForm form;
        BandColumn column;
        int band;
        const char* text;
    };
    const Case cases[] = {
        {BandTextForm::Window, kBandColNominal, 0, "31,5"},
        {BandTextForm::Window, kBandColLower, 0, "28,184"},
        {BandTextForm::Window, kBandColIy, 0, "-0,0004"},
        {BandTextForm::Window, kBandColLI, 0, "87,0"},
        {BandTextForm::Window, kBandColAngleX, 0, "-53,1"},
        {BandTextForm::Window, kBandColAngleY, 0, "143,1"},
        {BandTextForm::Window, kBandColLI, 1, "—"},
        {BandTextForm::Window, kBandColIndex, 1, "—"},
        {BandTextForm::Window, kBandColValid, 0, "достоверно"},
        {BandTextForm::Window, kBandColValid, 1, "сомнительно"},
        {BandTextForm::Window, kBandColCaution, 0, ""},
        {BandTextForm::ProgramCsv, kBandColNominal, 0, "31,5"},
        {BandTextForm::ProgramCsv, kBandColLower, 0, "28,18383"},
        {BandTextForm::ProgramCsv, kBandColJx, 0, "1,25E-05"},
        {BandTextForm::ProgramCsv, kBandColLI, 0, "86,9897"},
        {BandTextForm::ProgramCsv, kBandColLp, 1, ""},
        {BandTextForm::PlainCsv, kBandColNominal, 0, "31.5"},
        {BandTextForm::PlainCsv, kBandColLower, 0, "28.183829312644548"},
        {BandTextForm::PlainCsv, kBandColIy, 0, "-4e-04"},
        {BandTextForm::PlainCsv, kBandColIz, 0, "0"},
        {BandTextForm::PlainCsv, kBandColLI, 0, "86.98970004336019"},
        {BandTextForm::PlainCsv, kBandColLI, 1, ""},
        {BandTextForm::PlainCsv, kBandColValid, 0, "true"},
        {BandTextForm::PlainCsv, kBandColValid, 1, "false"},
    };
    for (const Case& c : cases) {
        const QStringList cells = BandRowCells(analysis_.bands[c.band], c.form);
        ASSERT_EQ(cells.size(), kBandColumnCount);
        EXPECT_EQ(cells[c.column], QString::fromUtf8(c.text))
            << "form " << static_cast<int>(c.form) << " column " << c.column << " band " << c.band;
    }
    for (BandTextForm form : {BandTextForm::Window, BandTextForm::ProgramCsv, BandTextForm::PlainCsv})
        EXPECT_EQ(BandTableHeaders(form).size(), kBandColumnCount);
}

TEST_F(OctaveBandTextTest, DoubtfulBandSaysWhyInEachLanguage)
{
    const OctaveBand& quiet = analysis_.bands[1];
    EXPECT_EQ(BandRowCells(quiet, BandTextForm::Window)[kBandColCaution].toStdString(),
              BandCautionTextRu(quiet.cautions));
    EXPECT_EQ(BandRowCells(quiet, BandTextForm::PlainCsv)[kBandColCaution].toStdString(),
              BandCautionTextEn(quiet.cautions));
    // The program's file is Windows-1251, which has no Greek letters: they are spelt out.
    const QString program = BandRowCells(quiet, BandTextForm::ProgramCsv)[kBandColCaution];
    EXPECT_TRUE(program.contains(QStringLiteral("kdr > 1"))) << program.toStdString();
    EXPECT_TRUE(program.contains(QStringLiteral("dpI0 - 7"))) << program.toStdString();
}

TEST_F(OctaveBandTextTest, TotalsNameThemselvesAndHaveNoEdges)
{
    const QStringList total = BandTotalCells(analysis_.total, false, BandTextForm::Window);
    EXPECT_EQ(total[kBandColNominal], QStringLiteral("Сумма"));
    EXPECT_EQ(total[kBandColLower], QString());
    EXPECT_EQ(total[kBandColValid], QString());
    EXPECT_EQ(total[kBandColLI], QStringLiteral("87,0"));
    const QStringList totalA = BandTotalCells(analysis_.totalA, true, BandTextForm::PlainCsv);
    EXPECT_EQ(totalA[kBandColNominal], QStringLiteral("total_A"));
    EXPECT_EQ(totalA[kBandColLI], QStringLiteral("47.6"));
}

TEST_F(OctaveBandTextTest, ProgramCsvIsTheIntensityFilesForm)
{
    const QStringList lines = BandCsvLines(analysis_, true, BandTextForm::ProgramCsv);
    ASSERT_GE(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("Интенсивность в третьоктавных полосах"));
    EXPECT_EQ(lines[1], QStringLiteral(";"));
    EXPECT_EQ(lines[2], QStringLiteral(";"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Полоса, Гц;Fн, Гц;Fср, Гц;Fв, Гц;Ix;")))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[3].contains(QStringLiteral(";dpI, дБ;"))) << lines[3].toStdString();
    // Bands, the total and the A-weighted total; every field followed by ";".
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("31,5;28,18383;31,62278;35,48134;0,0003;-0,0004;0;")))
        << lines[4].toStdString();
    EXPECT_EQ(lines[4].count(QLatin1Char(';')), kBandColumnCount);
    EXPECT_TRUE(lines[5].contains(QStringLiteral(";;;"))) << lines[5].toStdString();   // levels that are none
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("Сумма;;;;"))) << lines[6].toStdString();
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("Сумма A;;;;"))) << lines[7].toStdString();
    EXPECT_EQ(lines[8], QStringLiteral(";"));
    EXPECT_FALSE(BandCsvLines(analysis_, false, BandTextForm::ProgramCsv).join('\n').contains("Сумма A"));

    const QByteArray bytes = EncodeBandCsv(lines, BandTextForm::ProgramCsv);
    EXPECT_TRUE(bytes.contains("\r\n"));
    EXPECT_FALSE(bytes.contains('?')) << "a character Windows-1251 lacks";
    QStringDecoder decoder("windows-1251");
    const QString back = decoder.decode(bytes);
    EXPECT_EQ(back, lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

TEST_F(OctaveBandTextTest, PlainCsvReadsBackAsTheSameNumbers)
{
    analysis_.fraction = 1;
    const QStringList lines = BandCsvLines(analysis_, false, BandTextForm::PlainCsv);
    ASSERT_EQ(lines.size(), 4);   // header, two bands, the total
    EXPECT_TRUE(
        lines[0].startsWith(QStringLiteral("nominal,lower,centre,upper,Ix,Iy,Iz,I_mod,L_I,L_p,PI_index,")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(",angle_x,angle_y,angle_z,valid,warnings")));
    const QStringList fields = lines[1].split(QLatin1Char(','));
    ASSERT_EQ(fields.size(), kBandColumnCount);
    EXPECT_EQ(fields[kBandColCentre].toDouble(), analysis_.bands[0].midHz);
    EXPECT_EQ(fields[kBandColLp].toDouble(), 88.5);
    EXPECT_EQ(lines[3].split(QLatin1Char(','))[kBandColNominal], QStringLiteral("total"));

    const QByteArray bytes = EncodeBandCsv(lines, BandTextForm::PlainCsv);
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_EQ(QString::fromUtf8(bytes), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

TEST(BandCsvFieldTest, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(BandCsvField(QStringLiteral("a b"), QLatin1Char(',')), QStringLiteral("a b"));
    EXPECT_EQ(BandCsvField(QStringLiteral("a, b"), QLatin1Char(',')), QStringLiteral("\"a, b\""));
    EXPECT_EQ(BandCsvField(QStringLiteral("a, b"), QLatin1Char(';')), QStringLiteral("a, b"));
    EXPECT_EQ(BandCsvField(QStringLiteral("say \"x\""), QLatin1Char(';')),
              QStringLiteral("\"say \"\"x\"\"\""));
}

}   // namespace
