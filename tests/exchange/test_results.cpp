// The computations behind the result windows: direction angles and their fallbacks, chart
// half-widths, number and label texts under a Russian locale, the table's CSV file and the
// projection maths of the 3-D view.
#include "ResultMath.h"
#include "ResultText.h"
#include "ResultVectors.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>

// Failures print the text, not its code units.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

class RussianLocale : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

struct AngleCase {
    std::array<double, 3> v;
    double modulus, alpha, beta;
};

IntensityResult sampleResult()
{
    IntensityResult r;
    r.I = {3.0, 4.0, 0.0};
    r.J = {0.0, -2.0, 0.0};
    r.K = {0.0, 0.0, 0.0};
    r.P = {-1.0, 1.0, 0.0};
    r.maxI = 7.5;
    r.maxJ = 3.0;
    r.bandText = "Интегрирование импульса в диапазоне, Гц (10 : 200)";
    return r;
}

}   // namespace

TEST(VectorAngles, FallbacksAndQuadrants)
{
    const AngleCase cases[] = {
        {{0, 0, 0}, 0.0, 90.0, 0.0},                // zero vector: alpha and beta fall back
        {{0, -2, 0}, 2.0, 90.0, 0.0},               // x = 0: y * x is 0, which counts as positive
        {{-1, 1, 0}, std::sqrt(2.0), -45.0, 0.0},   // one-argument arc tangent, not 135
        {{1, 1, 0}, std::sqrt(2.0), 45.0, 0.0},
        {{-1, -1, 0}, std::sqrt(2.0), 45.0, 0.0},   // third quadrant folds onto the first
        {{0, 0, -3}, 3.0, 90.0, -90.0},
        {{1e-300, -1e10, 0}, 1e10, -90.0, 0.0},   // the quotient overflows: sign of y * x
        {{3, 0, 4}, 5.0, 0.0, std::asin(0.8) * 57.29577951308232},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.v[0] << ", " << c.v[1] << ", " << c.v[2]);
        const VectorAngles a = ComputeVectorAngles(c.v);
        EXPECT_NEAR(a.modulus, c.modulus, 1e-12 * std::max(1.0, c.modulus));
        EXPECT_NEAR(a.alpha, c.alpha, 1e-12);
        EXPECT_NEAR(a.beta, c.beta, 1e-12);
    }
}

TEST(HalfWidth, MagnitudesKeepTheVectorOnItsChart)
{
    // All components negative: a signed maximum would give -1 and put the vector off its chart.
    EXPECT_DOUBLE_EQ(LargestMagnitude({-3.0, -1.0, -2.0}), 3.0);
    EXPECT_DOUBLE_EQ(LargestMagnitude({0.5, -0.25, std::nan("")}), 0.5);
    EXPECT_DOUBLE_EQ(LargestMagnitude({0.0, 0.0, 0.0}), 0.0);

    EXPECT_DOUBLE_EQ(ChartHalfWidth(7.5, {3, 4, 0}), 7.5);        // impulse: 1.5 x largest
    EXPECT_DOUBLE_EQ(ChartHalfWidth(-1.0, {-3, -1, -2}), 3.0);    // signed maximum widened
    EXPECT_DOUBLE_EQ(ChartHalfWidth(1e-9, {2e-9, 0, 0}), 2e-9);   // tiny but real intensities
    const double zeroWidth = ChartHalfWidth(0.0, {0, 0, 0});
    EXPECT_GT(zeroWidth, 0.0);
    EXPECT_TRUE(std::isfinite(zeroWidth));
    EXPECT_GT(ChartHalfWidth(std::nan(""), {0, 0, 0}), 0.0);
}

TEST_F(RussianLocale, NumberAndLabelTexts)
{
    EXPECT_EQ(ActiveLabelText({1, 0, 0}), QString("Ir= {1,00000; 0,00000; 0,00000}"));
    EXPECT_EQ(ReactiveLabelText({-0.5, 2.25, -1e-7}), QString("Jr= {-0,50000; 2,25000; 0,00000}"));
    // Ten significant digits first, then five decimals: the digits past the tenth read as zeros.
    EXPECT_EQ(FixedText(12345.678912345, 10, 5), QString("12345,67891"));
    EXPECT_EQ(FixedText(123456789.987654, 10, 5), QString("123456790,00000"));
    EXPECT_EQ(FixedText(1234567.0, 10, 5), QString("1234567,00000"));   // no group separator
    EXPECT_EQ(FixedText(-0.00000001, 10, 1), QString("0,0"));
    EXPECT_EQ(ScaleLabelText(2.5), QString("2,500"));
    EXPECT_EQ(ScaleLabelText(-12345.6789), QString("-12345,680"));   // 7 digits, then 3 decimals
}

TEST_F(RussianLocale, CalculationTableCells)
{
    const TableCells cells = CalculationTable(sampleResult());
    EXPECT_EQ(cells[0][2], QString("Проекция на Х"));
    // I = (3, 4, 0): row 3, angles in row 7.
    EXPECT_EQ(cells[3][1], QString("5,00000"));
    EXPECT_EQ(cells[3][2], QString("3,00000"));
    EXPECT_EQ(cells[7][1], QString());
    EXPECT_EQ(cells[7][2], QString("53,1"));
    EXPECT_EQ(cells[7][3], QString("36,9"));
    // J = (0, -2, 0): alpha 90, not -90.
    EXPECT_EQ(cells[8][2], QString("90,0"));
    EXPECT_EQ(cells[8][3], QString("0,0"));
    // K = 0: modulus 0 and the fallbacks 90 / 0 / 0.
    EXPECT_EQ(cells[1][1], QString("0,00000"));
    EXPECT_EQ(cells[5][2], QString("90,0"));
    EXPECT_EQ(cells[5][3], QString("0,0"));
    EXPECT_EQ(cells[5][4], QString("0,0"));
    // П = (-1, 1, 0) in row 2, angles in row 6: alpha -45, so 90 - alpha = 135.
    EXPECT_EQ(cells[2][2], QString("-1,00000"));
    EXPECT_EQ(cells[6][0], QString("FI_П,град"));
    EXPECT_EQ(cells[6][2], QString("-45,0"));
    EXPECT_EQ(cells[6][3], QString("135,0"));
}

TEST_F(RussianLocale, CsvLinesAndEncoding)
{
    const IntensityResult r = sampleResult();
    const QStringList lines = TableCsvLines(QString::fromStdString(r.bandText), CalculationTable(r));
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], QString::fromStdString(r.bandText));
    EXPECT_EQ(lines[1], QString(";"));
    EXPECT_EQ(lines[2], QString("Параметр;Модуль;Проекция на Х;Проекция на Y;Проекция на Z;"));
    EXPECT_EQ(lines[4], QString("Пот.энергия,Дж/м^3;1,41421;-1,00000;1,00000;0,00000;"));
    EXPECT_EQ(lines[9], QString("FI_I,град;;53,1;36,9;0,0;"));

    const QByteArray bytes = EncodeCsvLines(lines);
    // Windows-1251, one byte a letter, no byte-order mark, CR LF after every line.
    EXPECT_TRUE(bytes.startsWith("\xC8\xED\xF2"));   // "Инт"
    EXPECT_EQ(bytes.count("\r\n"), 11);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), 11);
    const QByteArray third = bytes.split('\n')[2];
    EXPECT_EQ(third, QByteArray("\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0;\xCC\xEE\xE4\xF3\xEB\xFC;"
                                "\xCF\xF0\xEE\xE5\xEA\xF6\xE8\xFF \xED\xE0 \xD5;"
                                "\xCF\xF0\xEE\xE5\xEA\xF6\xE8\xFF \xED\xE0 Y;"
                                "\xCF\xF0\xEE\xE5\xEA\xF6\xE8\xFF \xED\xE0 Z;\r"));
    QStringDecoder decoder("windows-1251");
    EXPECT_EQ(QString(decoder.decode(bytes)), lines.join("\r\n") + "\r\n");
}

// The sentence on the probe's limits is one more line after the table, spelt in the code
// page's letters; without one, the lines are exactly those of a result with none.
TEST_F(RussianLocale, CsvLimitWarningIsTheLastLine)
{
    const IntensityResult r = sampleResult();
    const QString title = QString::fromStdString(r.bandText);
    const QStringList plain = TableCsvLines(title, CalculationTable(r));
    EXPECT_EQ(TableCsvLines(title, CalculationTable(r), QString()), plain);
    const QStringList lines =
        TableCsvLines(title, CalculationTable(r), QString("Полоса выходит за 340 Гц, где kΔr = 1."));
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines.mid(0, 11), plain);
    EXPECT_EQ(lines[11], QString("Полоса выходит за 340 Гц, где kdr = 1."));
    EXPECT_FALSE(EncodeCsvLines(lines).contains('?'));
}

// The fields of one line of a plain CSV file: "," between fields, a quoted field doubles its quotes.
static QStringList plainCsvFields(const QString& line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (quoted && ch == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
            fields.last() += line[++i];
        else if (ch == QLatin1Char('"'))
            quoted = !quoted;
        else if (ch == QLatin1Char(',') && !quoted)
            fields << QString();
        else
            fields.last() += ch;
    }
    return fields;
}

// The plain file of the table reads back as its title, a header, the numbers the table shows
// (whatever the window's decimal separator) and the warning, each field whole.
TEST_F(RussianLocale, PlainCsvReadsBackAsTheTable)
{
    IntensityResult r = sampleResult();
    r.I = {3.0, 4.0, -1.5e-4};
    const QString title = QStringLiteral("Impulse, \"integrated\" (10 : 200)");
    const QString warning = QStringLiteral("The band reaches above 340 Hz, where kΔr = 1, for X");
    const TableCells cells = CalculationTable(r);
    const QByteArray bytes =
        EncodeCsvLines(TableCsvLines(title, cells, warning, CsvForm::Plain), CsvForm::Plain);
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_FALSE(bytes.contains(';'));
    ASSERT_TRUE(bytes.endsWith('\n'));
    const QStringList lines = QString::fromUtf8(bytes).chopped(1).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(plainCsvFields(lines[0]), QStringList{title});
    EXPECT_EQ(lines[1], QStringLiteral("quantity,unit,modulus,x,y,z"));
    EXPECT_EQ(plainCsvFields(lines[10]), QStringList{warning});

    struct Row {
        int line;
        const char* name;
        const char* unit;
        std::array<double, 4> values;   // NaN: an empty field
    };
    const double none = std::numeric_limits<double>::quiet_NaN();
    const double modulusI = std::sqrt(25.0 + 1.5e-4 * 1.5e-4);
    const Row rows[] = {
        {2, "K", "J/m^3", {0.0, 0.0, 0.0, 0.0}},
        {3, "P", "J/m^3", {1.41421, -1.0, 1.0, 0.0}},
        {4, "I", "W/m^2", {std::round(modulusI * 1e5) / 1e5, 3.0, 4.0, -0.00015}},
        {7, "angle_P", "deg", {none, -45.0, 135.0, 0.0}},
        {9, "angle_J", "deg", {none, 90.0, 0.0, 0.0}},
    };
    for (const Row& row : rows) {
        const QStringList fields = plainCsvFields(lines[row.line]);
        ASSERT_EQ(fields.size(), 6) << lines[row.line].toStdString();
        EXPECT_EQ(fields[0], QString::fromLatin1(row.name));
        EXPECT_EQ(fields[1], QString::fromLatin1(row.unit));
        for (int c = 0; c < 4; ++c) {
            if (std::isnan(row.values[c])) {
                EXPECT_TRUE(fields[2 + c].isEmpty()) << row.name;
                continue;
            }
            bool ok = false;
            EXPECT_DOUBLE_EQ(QLocale::c().toDouble(fields[2 + c], &ok), row.values[c])
                << row.name << " " << c;
            EXPECT_TRUE(ok) << fields[2 + c].toStdString();
        }
    }
}

// The program's file keeps its Russian headers whatever the window's headers read.
TEST_F(RussianLocale, ProgramCsvHeadersDoNotFollowTheWindow)
{
    const IntensityResult r = sampleResult();
    TableCells relabelled = CalculationTable(r);
    for (auto& cell : relabelled[0])
        cell = QStringLiteral("Component");
    for (auto& row : relabelled)
        row[0] = QStringLiteral("Quantity");
    const QString title = QString::fromStdString(r.bandText);
    EXPECT_EQ(TableCsvLines(title, relabelled, QString(), CsvForm::Program),
              TableCsvLines(title, CalculationTable(r)));
}

TEST(WriteFileReplacing, ReplacesWholeAndKeepsTheOldFileOnFailure)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("table.csv");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("a much longer old content that must not leave a tail behind\r\n");
    }
    ASSERT_TRUE(WriteFileReplacing(path, "new\r\n"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("new\r\n"));
    file.close();

    // A target that cannot be replaced (a folder of that name) fails and stays as it was.
    const QString folder = dir.filePath("taken.csv");
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile(folder + "/inside").open(QIODevice::WriteOnly);
    QString reason;
    EXPECT_FALSE(WriteFileReplacing(folder, "x", &reason));
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(EISDIR)));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFile::exists(folder + "/inside"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"table.csv"});
}

TEST(ViewProjection, FirstPictureIsTiltedAndRotationsAccumulate)
{
    const Matrix4 box = ViewBoxMatrix();
    // The box maps +/-10 onto +/-1, z mirrored.
    const auto corner = Transform(box, {10, -10, 10});
    EXPECT_NEAR(corner[0], 1.0, 1e-15);
    EXPECT_NEAR(corner[1], -1.0, 1e-15);
    EXPECT_NEAR(corner[2], -1.0, 1e-15);

    // Step 3: -60 degrees about x after -30 about z. (5, 0, 0) turns to
    // (5 cos 30, -5 sin 30, 0) = (4.3301, -2.5, 0), then to (4.3301, -1.25, 2.1651).
    const Matrix4 tilted = ApplyViewRotation(box, 0, 3);
    const auto p = Transform(tilted, {5, 0, 0});
    EXPECT_NEAR(p[0], 0.1 * 5 * std::sqrt(3.0) / 2, 1e-12);
    EXPECT_NEAR(p[1], -0.125, 1e-12);
    EXPECT_NEAR(p[2], -0.1 * 2.5 * std::sqrt(3.0) / 2, 1e-12);

    // Ten "X+" steps of 3 degrees then ten "X-" steps return to where they started; ten "Z+"
    // steps of 9 degrees turn (0, 5, 0) a quarter round to (-5, 0, 0).
    Matrix4 m = tilted;
    for (int i = 0; i < 10; ++i)
        m = ApplyViewRotation(m, 1, 3);
    for (int i = 0; i < 10; ++i)
        m = ApplyViewRotation(m, 2, 3);
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(m[k], tilted[k], 1e-12);
    Matrix4 z = IdentityMatrix();
    for (int i = 0; i < 10; ++i)
        z = ApplyViewRotation(z, 5, 9);
    const auto q = Transform(z, {0, 5, 0});
    EXPECT_NEAR(q[0], -5.0, 1e-12);
    EXPECT_NEAR(q[1], 0.0, 1e-12);
}

TEST(ViewProjection, VectorTipScaledToFiveUnits)
{
    const std::array<double, 6> block = {2, -2, 2, 1, 0, -0.5};
    const auto active = VectorTip(block, 1, 2.0);
    EXPECT_EQ(active, (std::array<double, 3>{5, -5, 5}));   // components equal to the scale
    const auto reactive = VectorTip(block, 2, 1.0);
    EXPECT_EQ(reactive, (std::array<double, 3>{5, 0, -2.5}));
    EXPECT_EQ(ActiveReactiveBlock(sampleResult()), (std::array<double, 6>{3, 4, 0, 0, -2, 0}));
}
