// One recording through the processing window and through the batch tool: the band vectors
// agree to rounding, for a segment and an audio file, with and without the calibrated option,
// since both open the recording and decide its pascals in one place.
#include "TFileSave.h"
#include "ui_TFileSave.h"

#include "AudioFile.h"
#include "ChartBands.h"
#include "CliCommands.h"
#include "ModalDriver.h"
#include "ReadWriteMyFile.h"
#include "SettingsStore.h"
#include "TRaschet.h"
#include "WindowTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

constexpr int kRate = 2000;
constexpr double kSeconds = 2.0;
constexpr double kHz = 50.0;

// A 50 Hz wave whose pairs see it with a phase step each (a wave from an oblique direction), in
// ADC steps for the segment; the audio file holds the same in volts.
std::array<std::vector<double>, 6> WaveSteps()
{
    const int n = static_cast<int>(kRate * kSeconds);
    const std::array<double, 6> phase{0.15, -0.15, 0.1, -0.1, -0.05, 0.05};
    std::array<std::vector<double>, 6> ch;
    for (size_t m = 0; m < 6; ++m) {
        ch[m].resize(static_cast<size_t>(n));
        for (int j = 0; j < n; ++j)
            ch[m][static_cast<size_t>(j)] = 800.0 * std::cos(2.0 * M_PI * kHz * j / kRate - phase[m]);
    }
    return ch;
}

IntensityResult RunBandVectors(TFileSave& w)
{
    IntensityResult seen;
    OnNextModal([&seen](QWidget* modal) {
        if (auto* vectors = qobject_cast<TRaschet*>(modal))
            seen = vectors->result();
    });
    w.Button2Click();
    return seen;
}

}   // namespace

class WindowToolAgreeTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Settings settings_;
    QString segment_, audio_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        UseRussianLocale();
        QVERIFY(dir_.isValid());
        const auto steps = WaveSteps();
        std::array<const double*, 6> pointers{};
        for (size_t m = 0; m < 6; ++m)
            pointers[m] = steps[m].data();
        // The segment's own microphones differ from the settings', so the calibrated option shows.
        TReadWriteMyFile writer(path("wave.kvnb").toStdString());
        QVERIFY(!writer.OpenForWriting(true));
        QVERIFY(!writer.WriteSegment(kRate, kSeconds, {30, 35, 40, 45, 50, 55}, pointers,
                                     static_cast<int64_t>(kRate * kSeconds)));
        QVERIFY(!writer.Close());
        segment_ = path("wave.kvnb");

        Segment volts;
        volts.Allocate(static_cast<int32_t>(steps[0].size()));
        volts.sampleRate = kRate;
        for (size_t m = 0; m < 6; ++m)
            for (size_t j = 0; j < steps[m].size(); ++j)
                volts.channels[m][j] = steps[m][j] * 0.001;
        std::vector<char> bytes;
        QVERIFY(EncodeFloatWav(volts, 2.0, "recorded on site", bytes).ok());
        std::ofstream(path("wave.wav").toStdString(), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        audio_ = path("wave.wav");
    }

    void init()
    {
        PublishSmallTestSignal(settings_);
        SetTestSignalFlag(false);
        settings_.impuls = 1;
        settings_.lmic = {0.05, 0.05, 0.05};
        settings_.Chuv = {10, 20, 30, 40, 50, 60};
        settings_.Chs = {1, 0, 2, 3, 5, 4};
        settings_.VOLT = 0.004;
        UseFreshStore(dir_);
        // The batch tool reads the same constants from the same store.
        QVERIFY(SaveSettingsDialogKeys(settings_).ok());
        QVERIFY(SaveChannelOrderKeys(settings_).ok());
    }

    void cleanup() { ReleaseSettingsAndStore(); }

    void bandVectorsAgree_data()
    {
        QTest::addColumn<bool>("audio");
        QTest::addColumn<bool>("calibrated");
        for (const bool audio : {false, true})
            for (const bool calibrated : {false, true})
                QTest::addRow("%s%s", audio ? "audio" : "segment", calibrated ? ", calibrated" : "")
                    << audio << calibrated;
    }

    void bandVectorsAgree()
    {
        QFETCH(bool, audio);
        QFETCH(bool, calibrated);
        settings_.I_PO_CHUV = calibrated;
        const QString file = audio ? audio_ : segment_;

        TFileSave w(nullptr, file);
        if (audio) {
            AudioOpenChoice choice;
            choice.frameCount = static_cast<int64_t>(kRate * kSeconds);
            choice.voltsFullScale = 2.0;
            w.setAudioSource(choice);
        }
        w.setUnitSelection(0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.form()->ComboBox4->setCurrentIndex(2);
        w.Button7Click();
        w.chart().setXRange(40.0, 60.0);
        const IntensityResult window = RunBandVectors(w);
        w.reject();

        std::vector<std::string> args = {"intensity", file.toStdString(),
                                         "--store",   SettingsStore::FileName().toStdString(),
                                         "--signal",  "periodic",
                                         "--window",  "2",
                                         "--band",    "40:60",
                                         "--json"};
        if (audio)
            args.insert(args.end(), {"--full-scale", "2"});
        if (calibrated)
            args.push_back("--calibrated");
        std::ostringstream out, err;
        QCOMPARE(RunCli(args, out, err), 0);
        const QJsonArray rows = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).array();
        QCOMPARE(rows.size(), 1);
        const QJsonObject tool = rows[0].toObject();

        const std::array<const std::array<double, 3>*, 4> vectors{&window.I, &window.J, &window.K, &window.P};
        const char* names[4] = {"I", "J", "K", "P"};
        for (int q = 0; q < 4; ++q) {
            const QJsonObject v = tool.value(QLatin1String(names[q])).toObject();
            const double scale = v.value("modulus").toDouble();
            QVERIFY2(scale > 0.0, names[q]);
            const char* axes[3] = {"x", "y", "z"};
            for (int a = 0; a < 3; ++a) {
                const double fromTool = v.value(QLatin1String(axes[a])).toDouble();
                const double fromWindow = (*vectors[q])[a];
                QVERIFY2(std::abs(fromTool - fromWindow) <= 1e-9 * scale,
                         qPrintable(QStringLiteral("%1_%2: window %3, tool %4")
                                        .arg(QLatin1String(names[q]), QLatin1String(axes[a]))
                                        .arg(fromWindow, 0, 'g', 17)
                                        .arg(fromTool, 0, 'g', 17)));
            }
        }
        // The tool says which microphones' pascals it took where it took any.
        QCOMPARE(tool.contains("pascals"), audio || calibrated);
    }
};

QTEST_MAIN(WindowToolAgreeTest)
#include "tst_window_tool_agree.moc"
