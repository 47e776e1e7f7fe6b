// The core's texts in the English interface: a message of each layer, and the windows' table
// headers, are English with the translations installed and the same Russian as ever without,
// while what goes into the program's own files stays Russian in either language.
#include "AudioFile.h"
#include "Language.h"
#include "MicrophoneCalibration.h"
#include "OctaveBandText.h"
#include "ProbeLimits.h"
#include "ResultText.h"
#include "SafeFile.h"
#include "SettingsStore.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {
struct Case {
    const char* what;
    std::function<QString()> text;
    QString russian;   // the start of the text without a translator
    QString english;   // the start of the text with English installed
};

QString core(const std::string& text)
{
    return QString::fromStdString(text);
}

QList<Case> cases(const QString& missing)
{
    ChannelCalibration silent;
    silent.status = CalibrationStatus::NoSignal;
    ProbeLimitCheck above;
    above.aboveSpacingLimit = true;
    above.spacingLimitHz = 2700.0;
    above.spacingLimitAxis = 2;
    StoreLoadReport refused;
    refused.refused = {"Volt"};
    return {
        {"common: a file that is not regular",
         [] { return core(MakeErrorCode(FileKindError::Device).message()); },
         QStringLiteral("Это устройство, а не обычный файл"),
         QStringLiteral("This is a device, not a regular file")},
        {"dsp: the probe's limit", [above] { return core(ProbeLimitTextRu(above)); },
         QStringLiteral("Полоса выходит за 2700 Гц, где kΔr = 1 для пары Z: направление"),
         QStringLiteral("The band reaches above 2700 Hz, where kΔr = 1 for the Z pair: the vector's")},
        {"io: an audio file that does not open",
         [missing] {
             AudioFileInfo info;
             return core(ReadAudioInfo(missing.toStdString(), info).message);
         },
         QStringLiteral("Не удается открыть файл %1: ").arg(missing),
         QStringLiteral("Cannot open the file %1: ").arg(missing)},
        {"analysis: a calibration that found no tone",
         [silent] {
             return core(CalibrationFailureRu(silent, CalibratorTone{}, 48000.0,
                                              [](double v) { return std::to_string(static_cast<int>(v)); }));
         },
         QStringLiteral("тон не найден: в полосе около 1000 Гц нет сигнала"),
         QStringLiteral("tone not found: there is no signal in the band around 1000 Hz")},
        {"exchange: the settings store's start message",
         [refused] { return core(StoreStartMessage(std::nullopt, refused)); },
         QStringLiteral("В файле настроек\n"), QStringLiteral("The settings file\n")},
        {"exchange: the results table's headers",
         [] {
             const TableCells cells = TableHeaders();
             return cells[0][0] + QLatin1Char('|') + cells[0][2] + QLatin1Char('|') + cells[6][0];
         },
         QStringLiteral("Параметр|Проекция на Х|FI_П,град"), QStringLiteral("Quantity|Component X|FI_P,deg")},
        {"exchange: the band window's headers",
         [] { return BandTableHeaders(BandTextForm::Window).join(QLatin1Char('|')); },
         QStringLiteral("Полоса, Гц|Fн, Гц"), QStringLiteral("Band, Hz|F low, Hz")},
    };
}

// What the program's own files hold, which must not follow the interface's language.
QString programFileTexts()
{
    const QStringList table = TableCsvLines(QStringLiteral("t"), TableHeaders());
    return table.mid(2).join(QLatin1Char('\n')) + QLatin1Char('\n') +
           BandTableHeaders(BandTextForm::ProgramCsv).join(QLatin1Char(';')) + QLatin1Char('\n') +
           QString::fromStdString(BandCautionTextRu(kBandCautionSpacing | kBandCautionDynamic, false));
}
}   // namespace

class TestEnglishTexts : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void cleanup() { InstallLanguage(UiLanguage::Russian); }

    void coreTextsFollowTheInterfaceLanguage()
    {
        QVERIFY(dir_.isValid());
        const QString missing = dir_.filePath(QStringLiteral("absent.wav"));
        const QString russianFiles = programFileTexts();
        QVERIFY(russianFiles.contains(QStringLiteral("Кин.энергия,Дж/м^3")));
        for (const UiLanguage language : {UiLanguage::English, UiLanguage::Russian}) {
            QVERIFY(InstallLanguage(language));
            const bool english = language == UiLanguage::English;
            QStringList faults;
            for (const Case& c : cases(missing)) {
                const QString text = c.text();
                if (!text.startsWith(english ? c.english : c.russian))
                    faults << QStringLiteral("%1: \"%2\"").arg(QString::fromLatin1(c.what), text);
            }
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
            QCOMPARE(programFileTexts(), russianFiles);
        }
    }
};

QTEST_GUILESS_MAIN(TestEnglishTexts)
#include "english_texts.moc"
