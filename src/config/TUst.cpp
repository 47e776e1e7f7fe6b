#include "TUst.h"
#include "ui_TUst.h"

#include "IniFile.h"
#include "MessageBox.h"
#include "RecentFolders.h"
#include "SafeFile.h"
#include "SettingLimits.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "WrittenNote.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
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

// A number in the user's notation, infinities and NaN included, for the range check of an
// imported text: "-inf" is a number out of every range, not a text to pass on.
bool parseAnyNumber(const QString& text, double& value)
{
    bool ok = false;
    value = numberLocale().toDouble(text.trimmed(), &ok);
    return ok;
}

// The allowed range of a constant in the user's notation: "число от 1E-06 до 100000".
QString rangeText(const std::string& key)
{
    double lo = 0.0;
    double hi = 0.0;
    ConstantRange(key, lo, hi);
    const QLocale locale = numberLocale();
    if (key == "NULL_ADC")
        return QCoreApplication::translate("TUst", "целое число от %1 до %2")
            .arg(locale.toString(lo, 'f', 0), locale.toString(hi, 'f', 0));
    return QCoreApplication::translate("TUst", "число от %1 до %2")
        .arg(locale.toString(lo, 'g', 6), locale.toString(hi, 'g', 6));
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

// The caption of a field: the text of the label that names it, without its unit.
QString fieldName(const QWidget* field)
{
    for (const QLabel* label : field->parentWidget()->window()->findChildren<QLabel*>()) {
        if (label->buddy() == field)
            return label->text().section(QStringLiteral(" ("), 0, 0);
    }
    return field->objectName();
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

// what: a sentence with the file's place %1. reason: the system's text, in the locale's
// encoding, when there is one.
void reportFileError(const char* what, const QString& fileName, const std::string& reason = {})
{
    std::string text =
        utf8(QCoreApplication::translate("TUst", what).arg(QDir::toNativeSeparators(fileName)));
    if (!reason.empty())
        text += ": " + utf8(QString::fromLocal8Bit(reason));
    ShowPlainMessage(text);
}

}   // namespace

TUst::TUst(QWidget* owner) : QDialog(owner), ui(new Ui::TUst)
{
    ui->setupUi(this);
    setupGrid();
    // The recording's codes are 14-bit: a zero outside them cannot be typed at all.
    ui->CSpinEdit4->setRange(static_cast<int>(setting_limits::kNullAdcMin),
                             static_cast<int>(setting_limits::kNullAdcMax));

    const QString filter = tr("INI файл (*.ini)");
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
    ui->CheckBox1->setChecked(s.I_PO_CHUV);

    ui->GRID->item(0, 0)->setText(tr("№ канала"));
    ui->GRID->item(0, 1)->setText(tr("Значение"));
    // Row r shows record element r - 1 and "Сохранить" stores it back there: the same
    // mapping both ways, so saving without an edit moves no sensitivity whatever the
    // channel order.
    for (int row = 1; row <= kSensitivityRows; ++row) {
        ui->GRID->item(row, 0)->setText(tr("Канал %1").arg(row));
        setSensitivityText(row, fixedText(s.Chuv[row - 1], 5, 3));
    }
}

void TUst::Button1Click()
{
    // Validation order: density, sound speed, the three spacings, volts per ADC step, then the
    // grid. Numbers that convert but that no probe or medium can have (a zero spacing, a
    // negative density, a sensitivity of 0) would make every intensity zero or infinite
    // without a word: they are refused like a number that does not convert, naming the field
    // and its range.
    const std::array<QLineEdit*, 6> fields{ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6};
    const std::array<std::string, 6> keys{"plotnost", "skorost", lmicKey(1), lmicKey(2), lmicKey(3), "VOLT"};
    std::array<double, 6> values{};
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!parseNumber(fields[i]->text(), values[i])) {
            fields[i]->setFocus();
            ShowMessageBox("ВНИМАНИЕ", utf8(tr("Не верно записано число: %1").arg(fieldName(fields[i]))),
                           MB_OK);
            return;
        }
        if (!IsValidConstant(keys[i], values[i])) {
            fields[i]->setFocus();
            ShowMessageBox("ВНИМАНИЕ",
                           utf8(tr("Недопустимое значение: %1 — допускается %2")
                                    .arg(fieldName(fields[i]), rangeText(keys[i]))),
                           MB_OK);
            return;
        }
    }
    std::array<double, kSensitivityRows> sensitivities{};
    for (int row = 1; row <= kSensitivityRows; ++row) {
        if (!parseNumber(sensitivityText(row), sensitivities[row - 1])) {
            ui->GRID->setFocus();
            ShowMessageBox("ВНИМАНИЕ", utf8(tr("Не верно записана чувствительность канала №%1").arg(row)),
                           MB_OK);
            return;
        }
        if (!IsValidConstant(sensitivityKey(row), sensitivities[row - 1])) {
            ui->GRID->setCurrentCell(row, 1);
            ui->GRID->setFocus();
            ShowMessageBox("ВНИМАНИЕ",
                           utf8(tr("Недопустимая чувствительность канала №%1 — допускается %2")
                                    .arg(row)
                                    .arg(rangeText(sensitivityKey(row)))),
                           MB_OK);
            return;
        }
    }

    Settings updated = CurrentSettings();
    updated.plotnost = values[0];
    updated.skorost = values[1];
    updated.lmic = {values[2], values[3], values[4]};
    updated.VOLT = values[5];
    updated.Chuv = sensitivities;
    updated.LCADR = ui->CSpinEdit1->value();
    updated.prorezM = ui->CSpinEdit2->value();
    updated.NULL_ADC = ui->CSpinEdit4->value();
    updated.I_PO_CHUV = ui->CheckBox1->isChecked();
    // Stored before the dialog closes: a store that takes nothing leaves the user's values in
    // the dialog unless the user applies them for this session only.
    if (const StoreStatus saved = SaveSettingsDialogKeys(updated);
        !saved.ok() && ShowMessageBox("ВНИМАНИЕ", utf8(StoreApplyUnsavedQuestion(saved)),
                                      MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    CurrentSettings() = updated;
    accept();
}

void TUst::Button2Click()
{
    StartInRecentFolder(*OD, FolderKind::Settings);
    if (OD->exec() != QDialog::Accepted || OD->selectedFiles().isEmpty())
        return;
    RememberDialogFolder(*OD, FolderKind::Settings);
    LoadFromIni(OD->selectedFiles().constFirst());
}

void TUst::Button3Click()
{
    StartInRecentFolder(*SD, FolderKind::Settings);
    if (SD->exec() != QDialog::Accepted || SD->selectedFiles().isEmpty())
        return;
    RememberDialogFolder(*SD, FolderKind::Settings);
    SaveToIni(SD->selectedFiles().constFirst());
}

bool TUst::LoadFromIni(const QString& fileName)
{
    IniFile ini;
    if (!readIniFile(fileName, ini)) {
        reportFileError(QT_TRANSLATE_NOOP("TUst", "Не удалось прочитать файл %1"), fileName);
        return false;
    }
    // A constant the file holds out of its range is refused key by key: its control keeps what
    // it showed and the user is told which keys were left out; the file's other keys load.
    // A text that is no number at all goes in as it stands and is caught by "Сохранить".
    QStringList refused;
    const auto text = [&](const std::string& key, const QString& current, const QString& def) {
        const auto value = ini.ReadString(kSection, key);
        if (!value)
            return def;
        const QString t = fromUtf8(*value);
        double number = 0.0;
        if (parseAnyNumber(t, number) && !IsValidConstant(key, number)) {
            refused << tr("%1 = %2 (допускается %3)").arg(fromUtf8(key), t, rangeText(key));
            return current;
        }
        return t;
    };
    ui->Edit1->setText(text("plotnost", ui->Edit1->text(), shortestText(1.4)));
    ui->Edit2->setText(text("skorost", ui->Edit2->text(), QStringLiteral("340")));
    ui->Edit6->setText(text("VOLT", ui->Edit6->text(), shortestText(0.00263)));
    // The spacing an INI file lacks is taken as 0.1 m, not the store's 0.5 m.
    ui->Edit3->setText(text(lmicKey(1), ui->Edit3->text(), shortestText(0.1)));
    ui->Edit4->setText(text(lmicKey(2), ui->Edit4->text(), shortestText(0.1)));
    ui->Edit5->setText(text(lmicKey(3), ui->Edit5->text(), shortestText(0.1)));
    for (int row = 1; row <= kSensitivityRows; ++row)
        setSensitivityText(row, text(sensitivityKey(row), sensitivityText(row), QStringLiteral("1")));
    // The spin edits clamp whatever the file holds to their ranges; the ADC zero is not
    // clamped but refused, since a code moved to the edge of the range would be as wrong.
    ui->CSpinEdit1->setValue(ini.ReadInteger(kSection, "LCADR", 1));
    ui->CSpinEdit2->setValue(ini.ReadInteger(kSection, "prorezM", 1));
    const auto nullAdc = ini.ReadString(kSection, "NULL_ADC");
    bool isInteger = false;
    const qlonglong code = nullAdc ? fromUtf8(*nullAdc).trimmed().toLongLong(&isInteger) : 0;
    if (isInteger && !IsValidNullAdc(code))
        refused << tr("NULL_ADC = %1 (допускается %2)").arg(code).arg(rangeText("NULL_ADC"));
    else
        ui->CSpinEdit4->setValue(ini.ReadInteger(kSection, "NULL_ADC", 1120));
    if (!refused.isEmpty()) {
        ShowMessageBox("ВНИМАНИЕ",
                       utf8(tr("Из файла %1 не загружены недопустимые значения:\n%2\n"
                               "Остальные значения загружены.")
                                .arg(QDir::toNativeSeparators(fileName), refused.join(QLatin1Char('\n')))),
                       MB_OK);
    }
    return true;
}

bool TUst::SaveToIni(const QString& fileName)
{
    // An existing file is updated, not replaced: its other sections and keys must survive,
    // so a file that exists but cannot be read is not written over either.
    IniFile ini;
    if (QFile::exists(fileName) && !readIniFile(fileName, ini)) {
        reportFileError(QT_TRANSLATE_NOOP("TUst", "Не удалось прочитать файл %1"), fileName);
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
        reportFileError(QT_TRANSLATE_NOOP("TUst", "Не удалось записать файл %1"), fileName, reason);
        return false;
    }
    ShowWritten(this, fileName);
    return true;
}
