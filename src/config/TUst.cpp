#include "TUst.h"
#include "ui_TUst.h"

#include "IniFile.h"
#include "MessageBox.h"
#include "SafeFile.h"
#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLocale>

#include <array>
#include <cmath>
#include <string>

namespace {

constexpr char kSection[] = "Ust";
constexpr int kSensitivityRows = 6;
// INI files are a few hundred bytes; anything far larger is not one and is not loaded whole.
constexpr qint64 kMaxIniBytes = 1 << 20;

QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

// Fixed point with `decimals` decimals after rounding to `precision` significant digits.
// A value with more integer digits than that is written in exponent notation, and the
// special values and signs follow the program's other number texts ("1,2346E5", "INF",
// never "-0,000").
QString fixedText(double value, int precision, int decimals)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    const QLocale locale = numberLocale();
    const double limited = QString::number(value, 'g', precision).toDouble();
    if (std::fabs(limited) >= std::pow(10.0, precision)) {
        // "d.ddddde+XX" from the C formatter, rewritten in the user's notation.
        const QString c = QString::number(limited, 'e', precision - 1);
        QString mantissa = c.section('e', 0, 0);
        if (mantissa.contains('.')) {
            while (mantissa.endsWith('0'))
                mantissa.chop(1);
            if (mantissa.endsWith('.'))
                mantissa.chop(1);
        }
        mantissa.replace('.', locale.decimalPoint());
        return mantissa + 'E' + QString::number(c.section('e', 1).toInt());
    }
    QString text = locale.toString(limited, 'f', decimals);
    if (text.startsWith(locale.negativeSign()) && locale.toDouble(text) == 0.0)
        text.remove(0, locale.negativeSign().size());
    return text;
}

// Only numbers in the user's notation count; infinities and NaN are refused as well, since
// no constant or sensitivity can take them and every spectrum computed with one would be lost.
bool parseNumber(const QString& text, double& value)
{
    bool ok = false;
    value = numberLocale().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value);
}

QString shortestText(double value)
{
    return numberLocale().toString(value, 'g', QLocale::FloatingPointShortest);
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

QString fromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string sensitivityKey(int row)
{
    return "Chuv" + std::to_string(row);
}

std::string lmicKey(int n)
{
    return "lmic" + std::to_string(n);
}

// Reads a whole INI file; false (with the file left alone) when it cannot be read.
bool readIniFile(const QString& fileName, IniFile& ini)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxIniBytes)
        return false;
    const QByteArray bytes = file.read(kMaxIniBytes + 1);
    if (bytes.size() > kMaxIniBytes || file.error() != QFileDevice::NoError)
        return false;
    ini = IniFile::FromBytes(bytes.toStdString());
    return true;
}

// reason: the system's text, in the locale's encoding, when there is one.
void reportFileError(const char* what, const QString& fileName, const std::string& reason = {})
{
    std::string text = what + utf8(QDir::toNativeSeparators(fileName));
    if (!reason.empty())
        text += ": " + utf8(QString::fromLocal8Bit(reason));
    ShowPlainMessage(text);
}

}  // namespace

TUst::TUst(QWidget* owner)
    : QDialog(owner), ui(new Ui::TUst)
{
    ui->setupUi(this);
    setupGrid();

    const QString filter = QStringLiteral("INI файл (*.ini)");
    OD = new QFileDialog(this, QString(), QString(), filter);
    OD->setObjectName(QStringLiteral("OD"));
    OD->setAcceptMode(QFileDialog::AcceptOpen);
    OD->setFileMode(QFileDialog::ExistingFile);
    SD = new QFileDialog(this, QString(), QString(), filter);
    SD->setObjectName(QStringLiteral("SD"));
    SD->setAcceptMode(QFileDialog::AcceptSave);
    SD->setFileMode(QFileDialog::AnyFile);
    SD->setDefaultSuffix(QStringLiteral("ini"));
    // Export updates the "Ust" keys of an existing file and keeps the rest, so there is
    // nothing to confirm.
    SD->setOption(QFileDialog::DontConfirmOverwrite, true);

    connect(ui->Button1, &QPushButton::clicked, this, &TUst::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TUst::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TUst::Button3Click);

    FormCreate();
    setFixedSize(sizeHint().expandedTo(QSize(656, 306)));
}

TUst::~TUst()
{
    delete ui;
}

void TUst::setupGrid()
{
    QTableWidget* grid = ui->GRID;
    for (int col = 0; col < 2; ++col)
        grid->setColumnWidth(col, 100);
    for (int row = 0; row <= kSensitivityRows; ++row)
        grid->setRowHeight(row, 24);
    // The header row and column are cells of the grid rather than Qt headers, so cell
    // (column, row) means the same thing on screen and in the code: row r is channel r.
    const QBrush face = palette().button();
    for (int row = 0; row <= kSensitivityRows; ++row) {
        for (int col = 0; col < 2; ++col) {
            auto* item = new QTableWidgetItem;
            if (row == 0 || col == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(face);
            }
            grid->setItem(row, col, item);
        }
    }
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid->setCurrentCell(1, 1);
    const int frame = 2 * grid->frameWidth();
    grid->setFixedSize(2 * 100 + frame, (kSensitivityRows + 1) * 24 + frame);
}

QString TUst::sensitivityText(int row) const
{
    const QTableWidgetItem* item = ui->GRID->item(row, 1);
    return item ? item->text() : QString();
}

void TUst::setSensitivityText(int row, const QString& text)
{
    ui->GRID->item(row, 1)->setText(text);
}

void TUst::FormCreate()
{
    const Settings& s = CurrentSettings();
    ui->Edit1->setText(fixedText(s.plotnost, 5, 3));
    ui->Edit2->setText(fixedText(s.skorost, 5, 3));
    ui->Edit3->setText(fixedText(s.lmic[0], 5, 3));
    ui->Edit4->setText(fixedText(s.lmic[1], 5, 3));
    ui->Edit5->setText(fixedText(s.lmic[2], 5, 3));
    ui->Edit6->setText(fixedText(s.VOLT, 10, 5));
    ui->CSpinEdit1->setValue(s.LCADR);
    ui->CSpinEdit2->setValue(s.prorezM);
    ui->CSpinEdit4->setValue(s.NULL_ADC);

    ui->GRID->item(0, 0)->setText(QStringLiteral("№ канала"));
    ui->GRID->item(0, 1)->setText(QStringLiteral("Значение"));
    // Row r shows record element r - 1 and "Сохранить" stores it back there: the same
    // mapping both ways, so saving without an edit moves no sensitivity whatever the
    // channel order.
    for (int row = 1; row <= kSensitivityRows; ++row) {
        ui->GRID->item(row, 0)->setText(QStringLiteral("Канал %1").arg(row));
        setSensitivityText(row, fixedText(s.Chuv[row - 1], 5, 3));
    }
}

void TUst::Button1Click()
{
    // Validation order: density, sound speed, the three spacings, volts per ADC step.
    const std::array<QLineEdit*, 6> fields{ui->Edit1, ui->Edit2, ui->Edit3,
                                           ui->Edit4, ui->Edit5, ui->Edit6};
    std::array<double, 6> values{};
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!parseNumber(fields[i]->text(), values[i])) {
            fields[i]->setFocus();
            ShowMessageBox("ВНИМАНИЕ", "Не верно записано число", MB_OK);
            return;
        }
    }
    std::array<double, kSensitivityRows> sensitivities{};
    for (int row = 1; row <= kSensitivityRows; ++row) {
        if (!parseNumber(sensitivityText(row), sensitivities[row - 1])) {
            ui->GRID->setFocus();
            ShowMessageBox("ВНИМАНИЕ",
                           "Не верно записана чувствительность канала №" + std::to_string(row), MB_OK);
            return;
        }
    }

    Settings& s = CurrentSettings();
    s.plotnost = values[0];
    s.skorost = values[1];
    s.lmic = {values[2], values[3], values[4]};
    s.VOLT = values[5];
    s.Chuv = sensitivities;
    s.LCADR = ui->CSpinEdit1->value();
    s.prorezM = ui->CSpinEdit2->value();
    s.NULL_ADC = ui->CSpinEdit4->value();
    accept();
}

void TUst::Button2Click()
{
    if (OD->exec() != QDialog::Accepted || OD->selectedFiles().isEmpty())
        return;
    LoadFromIni(OD->selectedFiles().constFirst());
}

void TUst::Button3Click()
{
    if (SD->exec() != QDialog::Accepted || SD->selectedFiles().isEmpty())
        return;
    SaveToIni(SD->selectedFiles().constFirst());
}

bool TUst::LoadFromIni(const QString& fileName)
{
    IniFile ini;
    if (!readIniFile(fileName, ini)) {
        reportFileError("Не удалось прочитать файл ", fileName);
        return false;
    }
    const auto text = [&](const std::string& key, const QString& def) {
        const auto value = ini.ReadString(kSection, key);
        return value ? fromUtf8(*value) : def;
    };
    ui->Edit1->setText(text("plotnost", shortestText(1.4)));
    ui->Edit2->setText(text("skorost", QStringLiteral("340")));
    ui->Edit6->setText(text("VOLT", shortestText(0.00263)));
    // The spacing an INI file lacks is taken as 0.1 m, not the store's 0.5 m.
    ui->Edit3->setText(text(lmicKey(1), shortestText(0.1)));
    ui->Edit4->setText(text(lmicKey(2), shortestText(0.1)));
    ui->Edit5->setText(text(lmicKey(3), shortestText(0.1)));
    for (int row = 1; row <= kSensitivityRows; ++row)
        setSensitivityText(row, text(sensitivityKey(row), QStringLiteral("1")));
    // The spin edits clamp whatever the file holds to their ranges.
    ui->CSpinEdit1->setValue(ini.ReadInteger(kSection, "LCADR", 1));
    ui->CSpinEdit2->setValue(ini.ReadInteger(kSection, "prorezM", 1));
    ui->CSpinEdit4->setValue(ini.ReadInteger(kSection, "NULL_ADC", 1120));
    return true;
}

bool TUst::SaveToIni(const QString& fileName)
{
    // An existing file is updated, not replaced: its other sections and keys must survive,
    // so a file that exists but cannot be read is not written over either.
    IniFile ini;
    if (QFile::exists(fileName) && !readIniFile(fileName, ini)) {
        reportFileError("Не удалось прочитать файл ", fileName);
        return false;
    }
    ini.WriteString(kSection, "plotnost", utf8(ui->Edit1->text()));
    ini.WriteString(kSection, "skorost", utf8(ui->Edit2->text()));
    ini.WriteString(kSection, "VOLT", utf8(ui->Edit6->text()));
    ini.WriteString(kSection, lmicKey(1), utf8(ui->Edit3->text()));
    ini.WriteString(kSection, lmicKey(2), utf8(ui->Edit4->text()));
    ini.WriteString(kSection, lmicKey(3), utf8(ui->Edit5->text()));
    for (int row = 1; row <= kSensitivityRows; ++row)
        ini.WriteString(kSection, sensitivityKey(row), utf8(sensitivityText(row)));
    ini.WriteInteger(kSection, "LCADR", ui->CSpinEdit1->value());
    ini.WriteInteger(kSection, "prorezM", ui->CSpinEdit2->value());
    ini.WriteInteger(kSection, "NULL_ADC", ui->CSpinEdit4->value());

    // Written beside and renamed over, so a failed write never leaves half a file.
    std::string reason;
    if (!WriteFileSafely(QFile::encodeName(fileName).toStdString(), ini.ToBytes(), reason)) {
        reportFileError("Не удалось записать файл ", fileName, reason);
        return false;
    }
    return true;
}
