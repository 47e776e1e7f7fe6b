// The calibration window on generated recordings of a calibrator: every microphone comes out
// at the sensitivity the recording was made with, "Применить" files them with their
// microphones and "Отмена" files nothing; a recording without the stated tone is said so and
// keeps the old sensitivities.
#include "TCalib.h"

#include "AudioFile.h"
#include "BackgroundWork.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "NumberText.h"
#include "PlaybackFrame.h"
#include "Recording.h"
#include "ReadWriteMyFile.h"
#include "RecordingPresenter.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "TS_Wait.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr uint32_t kRate = 48000;
constexpr double kSeconds = 3.0;
const std::array<double, 6> kSensitivities{50.0, 40.0, 31.5, 20.0, 12.5, 5.0};   // mV/Pa

// Six microphones of these sensitivities on a calibrator of `level` dB at `frequency` Hz, in
// volts; a microphone with sensitivity 0 is silent.
Segment calibratorVolts(double level, double frequency, const std::array<double, 6>& sensitivities)
{
    Segment s;
    const int32_t n = static_cast<int32_t>(kRate * kSeconds);
    s.Allocate(n);
    s.sampleRate = kRate;
    const double pascalsPeak = std::sqrt(2.0) * 20e-6 * std::pow(10.0, level / 20.0);
    for (size_t m = 0; m < 6; ++m) {
        const double amplitude = pascalsPeak * sensitivities[m] / 1000.0;
        for (int32_t j = 0; j < n; ++j)
            s.channels[m][static_cast<size_t>(j)] =
                amplitude *
                std::sin(2.0 * std::numbers::pi * frequency * j / kRate + 0.3 * static_cast<double>(m));
    }
    for (int32_t j = 0; j < n; ++j)
        s.time[static_cast<size_t>(j)] = static_cast<double>(j) / kRate;
    return s;
}

bool writeWav(const QString& path, const Segment& volts)
{
    std::vector<char> bytes;
    if (!EncodeFloatWav(volts, 1.0, "calibrator", bytes).ok())
        return false;
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

// The same volts as a segment of ADC steps at VOLT volts per step.
bool writeSegment(const QString& path, const Segment& volts, double volt)
{
    std::array<std::vector<double>, 6> steps;
    std::array<const double*, 6> channels{};
    for (size_t c = 0; c < 6; ++c) {
        steps[c] = volts.channels[c];
        for (double& x : steps[c])
            x /= volt;
        channels[c] = steps[c].data();
    }
    TReadWriteMyFile file(QFile::encodeName(path).toStdString());
    if (file.OpenForWriting(true))
        return false;
    const bool failed = file.WriteSegment(kRate, kSeconds, {1, 1, 1, 1, 1, 1}, channels, volts.sampleCount);
    return !file.Close() && !failed;
}

double db(double ratio)
{
    return 20.0 * std::log10(ratio);
}

QPushButton* button(const TCalib& dlg, const char* name)
{
    auto* b = dlg.findChild<QPushButton*>(name);
    if (!b)
        qFatal("no button %s", name);
    return b;
}

QString cell(const TCalib& dlg, int row, int col)
{
    const QTableWidgetItem* item = dlg.findChild<QTableWidget*>("Table")->item(row, col);
    return item ? item->text() : QString();
}

}   // namespace

class TestTCalib : public QObject {
    Q_OBJECT

    Settings record_;
    QTemporaryDir dir_;
    QString store_;

    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        SetDecimalSeparator(',');
        QVERIFY(dir_.isValid());
        store_ = path("store.ini");
        SettingsStore::SetFileName(store_);
    }

    void cleanupTestCase() { SettingsStore::SetFileName(QString()); }

    void init()
    {
        QFile::remove(store_);
        record_ = DefaultSettings();
        // Slots 1 and 2 swapped: a sensitivity must land with its microphone, not its slot.
        record_.Chs = {1, 0, 2, 3, 4, 5};
        PublishSettings(&record_);
    }

    void cleanup()
    {
        PublishSettings(nullptr);
        InstallLanguage(UiLanguage::Russian);
    }

    void offersTheUsualCalibratorsAndTheWholeRecording()
    {
        TCalib dlg(nullptr);
        QCOMPARE(dlg.windowTitle(), QString("Калибровка"));
        auto* level = dlg.findChild<QComboBox*>("ComboLevel");
        auto* frequency = dlg.findChild<QComboBox*>("ComboFrequency");
        QCOMPARE(level->currentText(), QString("94"));
        QCOMPARE(level->count(), 3);
        QCOMPARE(frequency->currentText(), QString("1000"));
        QVERIFY(level->isEditable() && frequency->isEditable());
        QVERIFY(!button(dlg, "ButtonApply")->isEnabled());
        QVERIFY(writeWav(path("tone.wav"), calibratorVolts(94.0, 1000.0, kSensitivities)));
        QVERIFY(dlg.OpenRecording(path("tone.wav")));
        QCOMPARE(dlg.findChild<QDoubleSpinBox*>("SpinStart")->value(), 0.0);
        QCOMPARE(dlg.findChild<QDoubleSpinBox*>("SpinLength")->value(), kSeconds);
    }

    void calibratesEveryMicrophoneAndAppliesThemWithTheirMicrophones_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("audio file") << "tone.wav";
        QTest::newRow("segment") << "tone.kvnb";
    }

    void calibratesEveryMicrophoneAndAppliesThemWithTheirMicrophones()
    {
        QFETCH(QString, file);
        const Segment volts = calibratorVolts(94.0, 1000.0, kSensitivities);
        QVERIFY(file.endsWith(".wav") ? writeWav(path(file), volts)
                                      : writeSegment(path(file), volts, record_.VOLT));
        RecordingPresenter presenter;
        TCalib dlg(nullptr);
        QVERIFY(dlg.OpenRecording(path(file)));
        dlg.findChild<QDoubleSpinBox*>("SpinStart")->setValue(0.5);
        dlg.findChild<QDoubleSpinBox*>("SpinLength")->setValue(2.0);
        QTest::mouseClick(button(dlg, "ButtonCompute"), Qt::LeftButton);
        QCOMPARE(dlg.results().size(), size_t{6});
        for (const MicrophoneCalibration& row : dlg.results()) {
            const size_t m = static_cast<size_t>(row.microphone);
            QVERIFY(row.toneFound());
            QVERIFY2(std::fabs(db(row.result.sensitivity / kSensitivities[m])) < 0.02,
                     qPrintable(QString("microphone %1: %2").arg(m + 1).arg(row.result.sensitivity)));
            QCOMPARE(row.result.oldSensitivity, 1.0);
        }
        QCOMPARE(cell(dlg, 0, 0), QString("Микрофон 1"));
        QCOMPARE(cell(dlg, 0, 3), QLocale().toString(dlg.results()[0].result.sensitivity, 'f', 3));
        QVERIFY2(std::fabs(QLocale().toDouble(cell(dlg, 0, 3)) - 50.0) < 0.15, qPrintable(cell(dlg, 0, 3)));
        QCOMPARE(cell(dlg, 0, 4), QString("1,000"));
        // Every sensitivity changed by far more than half a decibel from the default 1 mV/Pa.
        QVERIFY(dlg.findChild<QPlainTextEdit*>("Warnings")
                    ->toPlainText()
                    .contains("Чувствительность изменилась"));
        QVERIFY(presenter.messages.empty());

        QVERIFY(button(dlg, "ButtonApply")->isEnabled());
        QTest::mouseClick(button(dlg, "ButtonApply"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(presenter.messages.empty());
        Settings stored = DefaultSettings();
        LoadSettings(stored);
        QCOMPARE(stored.Chs, record_.Chs);
        const std::array<double, 6> inRecord = ChannelSensitivities(record_);
        const std::array<double, 6> inStore = ChannelSensitivities(stored);
        for (size_t m = 0; m < 6; ++m) {
            QCOMPARE(inRecord[m], dlg.results()[m].result.sensitivity);
            QCOMPARE(inStore[m], dlg.results()[m].result.sensitivity);
        }
    }

    void cancelFilesNothing()
    {
        QVERIFY(writeWav(path("tone.wav"), calibratorVolts(94.0, 1000.0, kSensitivities)));
        const Settings before = record_;
        TCalib dlg(nullptr);
        QVERIFY(dlg.OpenRecording(path("tone.wav")));
        QVERIFY(dlg.Compute());
        QTest::mouseClick(button(dlg, "ButtonCancel"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(record_.Chuv, before.Chuv);
        QVERIFY(!QFile::exists(store_));
    }

    // A store that takes nothing: the user is told why and chooses; "No" keeps the dialog open
    // with its results and the record as it was, "Yes" applies them for the session.
    void aStoreThatCannotBeWrittenLeavesTheChoiceToTheUser()
    {
        QVERIFY(writeWav(path("tone.wav"), calibratorVolts(94.0, 1000.0, kSensitivities)));
        QFile blocker(path("blocker"));   // a file where the store's folder would be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString store = path("blocker/store.ini");
        SettingsStore::SetFileName(store);
        RecordingPresenter presenter;
        presenter.answers = {IDNO, IDYES};
        const Settings before = record_;
        TCalib dlg(nullptr);
        QVERIFY(dlg.OpenRecording(path("tone.wav")));
        QVERIFY(dlg.Compute());
        QVERIFY(!dlg.Apply());
        QCOMPARE(presenter.messages.size(), size_t{1});
        const QString text = QString::fromStdString(presenter.messages[0].text);
        QVERIFY2(text.contains(store) && text.contains("Not a directory"), qPrintable(text));
        QCOMPARE(presenter.messages[0].flags, int(MB_YESNO | MB_ICONWARNING));
        QCOMPARE(record_.Chuv, before.Chuv);
        QCOMPARE(dlg.results().size(), size_t{6});

        QVERIFY(dlg.Apply());
        SettingsStore::SetFileName(store_);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(ChannelSensitivities(record_)[0], dlg.results()[0].result.sensitivity);
    }

    void theWorkRunsBehindANoticeThatCanCancelIt()
    {
        QVERIFY(writeWav(path("tone.wav"), calibratorVolts(94.0, 1000.0, kSensitivities)));
        TCalib dlg(nullptr);
        QVERIFY(dlg.OpenRecording(path("tone.wav")));
        // The notice's "Отмена" is pressed while the work waits a moment before it starts.
        QTimer watcher;
        watcher.setInterval(1);
        connect(&watcher, &QTimer::timeout, &dlg, [&] {
            auto* notice = dlg.findChild<TS_Wait*>();
            if (notice && notice->cancelOffered()) {
                watcher.stop();
                notice->findChild<QPushButton*>("CancelButton")->click();
            }
        });
        SetBeforeWorkHook([] { QThread::msleep(300); });
        watcher.start();
        QVERIFY(!dlg.Compute());
        SetBeforeWorkHook({});
        QVERIFY(!watcher.isActive());
        QVERIFY(dlg.results().empty());
        QVERIFY(!button(dlg, "ButtonApply")->isEnabled());
        QCOMPARE(TS_Wait::liveCount(), 0);
        QVERIFY(dlg.Compute());
        QCOMPARE(dlg.results().size(), size_t{6});
    }

    void aChangedInputWithdrawsTheResults()
    {
        QVERIFY(writeWav(path("tone.wav"), calibratorVolts(94.0, 1000.0, kSensitivities)));
        TCalib dlg(nullptr);
        QVERIFY(dlg.OpenRecording(path("tone.wav")));
        QVERIFY(dlg.Compute());
        QVERIFY(button(dlg, "ButtonApply")->isEnabled());
        dlg.findChild<QComboBox*>("ComboLevel")->setCurrentText("114");
        QVERIFY(!button(dlg, "ButtonApply")->isEnabled());
        QVERIFY(dlg.results().empty());
    }

    void aRecordingWithoutTheToneIsSaidSoAndKeepsTheOldValues()
    {
        // Microphones 1-5 hear a 1.6 kHz tone, not the 1 kHz stated; microphone 6 hears nothing.
        std::array<double, 6> sensitivities = kSensitivities;
        sensitivities[5] = 0.0;
        QVERIFY(writeWav(path("other.wav"), calibratorVolts(94.0, 1600.0, sensitivities)));
        record_.Chuv = {2, 3, 4, 5, 6, 7};
        const Settings before = record_;
        RecordingPresenter presenter;
        TCalib dlg(nullptr);
        QVERIFY(dlg.OpenRecording(path("other.wav")));
        QVERIFY(dlg.Compute());
        const QString warnings = dlg.findChild<QPlainTextEdit*>("Warnings")->toPlainText();
        QVERIFY2(warnings.contains("Микрофон 1: Сильнейшая составляющая на 1600,0 Гц, а не около 1000,0 Гц"),
                 qPrintable(warnings));
        QVERIFY2(warnings.contains("Микрофон 6: тон не найден"), qPrintable(warnings));
        QVERIFY(cell(dlg, 5, 1).startsWith("Тон не найден"));
        QVERIFY(!button(dlg, "ButtonApply")->isEnabled());
        QVERIFY(!dlg.Apply());
        QCOMPARE(record_.Chuv, before.Chuv);
        QVERIFY(!QFile::exists(store_));
    }

    // Results with a microphone that hears its tone and one that hears nothing: the table, its
    // marks and the warnings are all English.
    void speaksEnglish()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        std::array<double, 6> sensitivities = kSensitivities;
        sensitivities[5] = 0.0;
        QVERIFY(writeWav(path("tone.wav"), calibratorVolts(94.0, 1000.0, sensitivities)));
        RecordingPresenter presenter;
        TCalib dlg(nullptr);
        QVERIFY(!dlg.Compute());
        QCOMPARE(presenter.messages.size(), size_t{1});
        QCOMPARE(presenter.messages[0].text, std::string("Open a calibrator recording first"));
        QVERIFY(dlg.OpenRecording(path("tone.wav")));
        QVERIFY(dlg.Compute());
        QCOMPARE(cell(dlg, 5, 0), QString("Microphone 6"));
        QVERIFY2(dlg.findChild<QPlainTextEdit*>("Warnings")
                     ->toPlainText()
                     .contains(QRegularExpression("Microphone 6: .+; the previous sensitivity is kept\\.")),
                 qPrintable(dlg.findChild<QPlainTextEdit*>("Warnings")->toPlainText()));
        const QStringList left = RussianTexts(&dlg);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }

    void onlyMicrophonesWithTheirToneAreApplied()
    {
        std::array<double, 6> sensitivities = kSensitivities;
        sensitivities[2] = 0.0;
        QVERIFY(writeWav(path("five.wav"), calibratorVolts(94.0, 1000.0, sensitivities)));
        record_.Chuv = {2, 3, 4, 5, 6, 7};
        TCalib dlg(nullptr);
        QVERIFY(dlg.OpenRecording(path("five.wav")));
        QVERIFY(dlg.Compute());
        QVERIFY(dlg.Apply());
        Settings stored = DefaultSettings();
        LoadSettings(stored);
        const std::array<double, 6> inStore = ChannelSensitivities(stored);
        QCOMPARE(inStore[2], 4.0);   // microphone 3 kept its old value
        for (size_t m : {0u, 1u, 3u, 4u, 5u})
            QVERIFY(std::fabs(db(inStore[m] / kSensitivities[m])) < 0.02);
    }

    void filesItCannotUseAreRefusedWithAMessage()
    {
        QFile f(path("notes.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a recording");
        f.close();
        RecordingPresenter presenter;
        TCalib dlg(nullptr);
        QVERIFY(!dlg.OpenRecording(path("notes.txt")));
        QCOMPARE(presenter.messages.size(), size_t{1});
        QVERIFY(!dlg.Compute());
        QCOMPARE(presenter.messages.back().text, std::string("Сначала откройте запись калибратора"));
    }
};

QTEST_MAIN(TestTCalib)
#include "tst_tcalib.moc"
