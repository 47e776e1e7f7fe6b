// The intensity spectra's texts that need no screen: the numbers of the CSV file, the cursor
// readouts of the intensity view and the sentence on the probe's limits of a band.
#include "IntensityText.h"

#include "Windows.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

QT_BEGIN_NAMESPACE
// Failures print the text, not its bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}
QT_END_NAMESPACE

namespace {

class RussianLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void TearDown() override { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

// Three bins at 0, 0,5 and 1 Hz; quantity q at bin k is (q + 1) x scale x (k + 1).
struct SmallSpectra {
    IntensitySpectra owned;
    explicit SmallSpectra(double scale)
    {
        owned.frequency = {0.0, 0.5, 1.0};
        for (int q = 0; q < 12; ++q)
            for (int k = 0; k < 3; ++k)
                owned.values[q].push_back((q + 1) * scale * (k + 1));
    }
};

}   // namespace

using SpectrumValueTextTest = RussianLocale;

TEST_F(SpectrumValueTextTest, KeepsSevenDigitsAtEverySize)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {1.2345678912e-4, "0,0001234568"},   // a reactive intensity: 2 decimals gave 0,00
        {-3.25e-9, "-3,25E-09"},             // an energy density
        {1234.5678912, "1234,568"},
        {12345678.9, "1,234568E+07"},
        {2.5e13, "2,5E+13"},
        {0.5, "0,5"},
        {0.0, "0"},
        {-0.0, "0"},
        {-1e-300, "-1E-300"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpectrumValueText(c.value, 7), QString::fromUtf8(c.text)) << c.value;
}

TEST_F(SpectrumValueTextTest, CsvRowsKeepTheDigitsOfSmallValues)
{
    const SmallSpectra spectra(1.23456789e-5);
    const QStringList lines = IntensityCsvLines(spectra.owned.view(), 1, 1);
    ASSERT_EQ(lines.size(), 4 + 1 + 5);
    // Bin 1 holds (q + 1) x 2,469136e-05; every value and the frequency followed by ";".
    EXPECT_EQ(lines[4], QStringLiteral("0,5;2,469136E-05;4,938272E-05;7,407407E-05;9,876543E-05;"
                                       "0,0001234568;0,0001481481;0,0001728395;0,0001975309;"
                                       "0,0002222222;0,0002469136;0,0002716049;0,0002962963;"));
    // The other lines keep their form.
    EXPECT_EQ(lines[3], QStringLiteral("F(Гц);Ix;Iy;Iz;Jx;Jy;Jz;Kx;Ky;Kz;Пx;Пy;Пz"));
    EXPECT_EQ(lines[8], QStringLiteral("Ix, Iy, Iz, Jx, Jy, Jz - размерность Вт/м^2"));
}

// The plain file reads back as the very numbers of the spectra, whatever the window's locale.
TEST_F(SpectrumValueTextTest, PlainCsvReadsBackAsTheSameNumbers)
{
    SmallSpectra spectra(1.23456789012345e-5);
    spectra.owned.values[3][2] = -0.0;
    spectra.owned.values[4][0] = std::numeric_limits<double>::quiet_NaN();
    const QStringList lines = IntensityCsvLines(spectra.owned.view(), 0, 2, CsvForm::Plain);
    ASSERT_EQ(lines.size(), 1 + 3);
    EXPECT_EQ(lines[0], QStringLiteral("f_Hz,Ix,Iy,Iz,Jx,Jy,Jz,Kx,Ky,Kz,Px,Py,Pz"));
    EXPECT_EQ(lines[3].section(QLatin1Char(','), 4, 4), QStringLiteral("0"));   // never "-0"
    for (int k = 0; k < 3; ++k) {
        const QStringList fields = lines[1 + k].split(QLatin1Char(','));
        ASSERT_EQ(fields.size(), 13) << lines[1 + k].toStdString();
        EXPECT_EQ(fields[0].toDouble(), spectra.owned.frequency[k]);
        for (int q = 0; q < 12; ++q) {
            const double expected = spectra.owned.values[q][k];
            const double read = fields[1 + q].toDouble();
            if (std::isnan(expected))
                EXPECT_EQ(fields[1 + q], QStringLiteral("nan"));
            else
                EXPECT_EQ(read, expected) << "bin " << k << ", quantity " << q;
        }
    }
    // The program's form is the default and keeps its title, notes and separators.
    EXPECT_EQ(IntensityCsvLines(spectra.owned.view(), 0, 2, CsvForm::Program),
              IntensityCsvLines(spectra.owned.view(), 0, 2));
}

TEST_F(SpectrumValueTextTest, IntensityReadoutsNameTheQuantitiesAndTheirUnit)
{
    const double f[4] = {0.0, 1.0, 2.0, 3.0};
    // Curves in the order Ix, Jx, Iy, Jy, Iz, Jz.
    const double c0[4] = {0, 1.5e-4, 2.5e-4, 0};
    const double c1[4] = {0, -2e-6, 1e-6, 0};
    const double flat[4] = {0, 1, 1, 0};
    const std::array<const double*, 6> curves = {c0, c1, flat, flat, flat, flat};
    // Cursor 1 at 0,5 Hz reads bin 1, cursor 2 at 1,2 Hz bin 2.
    const std::array<QString, 3> texts = IntensityReadoutTexts(f, curves, 0, 3, 0.5, 1.2);
    EXPECT_EQ(texts[0], QStringLiteral("f(Гц)= 1; Вт/м²: Ix= 0,00015; Jx= -2E-06; Iy= 1; Jy= 1; "
                                       "Iz= 1; Jz= 1;"));
    EXPECT_EQ(texts[1], QStringLiteral("f(Гц)= 2; Вт/м²: Ix= 0,00025; Jx= 1E-06; Iy= 1; Jy= 1; "
                                       "Iz= 1; Jz= 1;"));
    EXPECT_EQ(texts[2], QStringLiteral("df(Гц)= 1; Вт/м²: dIx= 0,0001; dJx= 3E-06; dIy= 0; "
                                       "dJy= 0; dIz= 0; dJz= 0;"));
    // A cursor past the last bin reads the last one; an empty range gives the headings only.
    EXPECT_TRUE(IntensityReadoutTexts(f, curves, 0, 2, 9.0, 9.0)[0].startsWith(QStringLiteral("f(Гц)= 2;")));
    EXPECT_EQ(IntensityReadoutTexts(f, curves, 0, -1, 0.5, 1.2)[0], QStringLiteral("f(Гц)= "));
}

TEST(BandLimitWarning, SpacingAndWindowNearBinZero)
{
    // 1 Hz bins; one line of active intensity along X at bin 10.
    IntensitySpectra spectra;
    for (int k = 0; k < 400; ++k)
        spectra.frequency.push_back(k);
    for (auto& v : spectra.values)
        v.assign(400, 0.0);
    spectra.values[0][10] = 1.0;
    const std::array<double, 3> spacings = {0.5, 0.05, 0.05};   // k dr = 1 at 108,2 Hz on X
    const double hanning = WindowItemEnbw(2, 1024);
    const double flatTop = WindowItemEnbw(7, 1024);
    EXPECT_NEAR(hanning, 1.5, 1e-9);
    EXPECT_DOUBLE_EQ(WindowItemEnbw(0, 1024), 1.0);
    struct Case {
        double lo, hi, enbw;
        const char* part;   // nullptr: no warning
    };
    const Case cases[] = {
        {5, 15, hanning, nullptr},      {5, 15, 1.0, nullptr},
        {5, 150, hanning, "пары X"},      // above c / (2 pi dr)
        {5, 15, flatTop, "отсчёте 10"},   // a wide window on a line near bin 0
        {90, 100, flatTop, nullptr},      // the band's strongest bin is far from bin 0
    };
    for (const Case& c : cases) {
        BandResult band;
        ASSERT_EQ(ReduceBand(spectra.view(), {true, c.lo, c.hi}, 1, band), BandStatus::Ok);
        const std::string text = BandLimitWarning(spectra.view(), band, spacings, 340.0, c.enbw);
        if (c.part == nullptr)
            EXPECT_EQ(text, "") << c.lo << " " << c.hi;
        else
            EXPECT_NE(text.find(c.part), std::string::npos) << text;
    }
}
