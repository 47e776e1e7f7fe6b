#include "PowerExport.h"

#include "IntensityText.h"
#include "Language.h"
#include "MessageBox.h"
#include "PowerTableCsv.h"
#include "PowerText.h"
#include "ResultText.h"
#include "Settings.h"
#include "WrittenNote.h"

#include <QDir>

bool PowerExport::SaveCsv(QWidget* window, const QString& fileName, const SurveyPowerTable& table,
                          std::optional<double> residualIndexDb)
{
    if (!MayReplaceFile(fileName))
        return false;
    // The English interface writes the plain form other programs read; the Russian one its own.
    const QByteArray bytes = CurrentLanguage() == UiLanguage::English
                                 ? PlainPowerCsv(table)
                                 : EncodeCsvLines(PowerCsvLines(table, residualIndexDb));
    return WriteFileNoted(window, fileName, bytes);
}

bool PowerExport::SaveReport(QWidget* window, const QString& fileName, PowerReportInput input)
{
    if (!MayReplaceFile(fileName))
        return false;
    const Settings& s = CurrentSettings();
    if (CurrentLanguage() == UiLanguage::English)
        input.locale = QLocale::c();
    input.constants << tr("Расстояния между микрофонами, м: %1; %2; %3")
                           .arg(SpectrumValueText(s.lmic[0], 6), SpectrumValueText(s.lmic[1], 6),
                                SpectrumValueText(s.lmic[2], 6))
                    << tr("Плотность воздуха, кг/м³: %1").arg(SpectrumValueText(s.plotnost, 6))
                    << tr("Скорость звука, м/с: %1").arg(SpectrumValueText(s.skorost, 6))
                    << (s.impuls == Settings::kImpulsPeriodic ? tr("Сигнал: периодический")
                                                              : tr("Сигнал: импульсный"));
    const QString error = WritePowerReportPdf(fileName, input);
    if (!error.isEmpty()) {
        ShowPlainMessage(tr("Не удалось записать отчёт %1: %2")
                             .arg(QDir::toNativeSeparators(fileName), error)
                             .toStdString());
        return false;
    }
    ShowWritten(window, fileName);
    return true;
}
