// A multichannel audio recording in the processing window: the dialog that maps its channels
// to the microphones and remembers the map per channel count and the full scale per kind of
// file, and the window that reads the chosen stretch in volts and shows pascals through each
// microphone's sensitivity.
#include "TFileSave.h"

#include "AudioFile.h"
#include "ChartBands.h"
#include "PlaybackFrame.h"
#include "Recording.h"
#include "TAudioOpen.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <cmath>

namespace {

// Six channels of 4000 samples at 8000 Hz; file channel c holds (c + 1) / 10 x a ramp that
// no two channels share, so a swapped channel shows.
QString WriteRecording(const QTemporaryDir& dir)
{
    Segment s;
    s.Allocate(4000);
    s.sampleRate = 8000;
    for (int k = 0; k < 4000; ++k) {
        s.time[k] = k / 8000.0;
        for (int c = 0; c < 6; ++c)
            s.channels[c][k] = (c + 1) * 0.1 * std::sin(0.001 * (c + 1) * k);
    }
    std::vector<char> bytes;
    if (!EncodeFloatWav(s, 1.0, "test", bytes).ok())
        return {};
    const QString name = dir.filePath(QStringLiteral("probe.wav"));
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        return {};
    return name;
}

double FileSample(int fileChannel, int k)
{
    return static_cast<float>((fileChannel + 1) * 0.1 * std::sin(0.001 * (fileChannel + 1) * k));
}

}   // namespace

class AudioOpenTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Settings settings_;
    QString file_;

private slots:
    void initTestCase()
    {
        UseRussianLocale();
        QVERIFY(dir_.isValid());
        file_ = WriteRecording(dir_);
        QVERIFY(!file_.isEmpty());
    }

    void init()
    {
        PublishSmallTestSignal(settings_);
        SetTestSignalFlag(false);
        UseFreshStore(dir_);
    }

    void cleanup() { ReleaseSettingsAndStore(); }

    void dialogRemembersTheMapAndTheFullScale()
    {
        AudioFileInfo info;
        QVERIFY(ReadAudioInfo(QFile::encodeName(file_).toStdString(), info).ok());
        {
            TAudioOpen d(nullptr, file_, info);
            for (int m = 0; m < 6; ++m)
                QCOMPARE(d.microphoneBox(m)->currentIndex(), m);   // 1 ... 6 at first
            QCOMPARE(d.findChild<QDoubleSpinBox*>(QStringLiteral("ScaleEdit"))->value(), 1.0);
            // One channel taken twice: said in the dialog, which stays open.
            d.microphoneBox(1)->setCurrentIndex(0);
            d.Accept();
            QCOMPARE(d.result(), int(QDialog::Rejected));
            for (int m = 0; m < 6; ++m)
                d.microphoneBox(m)->setCurrentIndex(5 - m);
            d.findChild<QDoubleSpinBox*>(QStringLiteral("ScaleEdit"))->setValue(2.5);
            d.findChild<QDoubleSpinBox*>(QStringLiteral("StartEdit"))->setValue(0.1);
            d.findChild<QDoubleSpinBox*>(QStringLiteral("LengthEdit"))->setValue(0.2);
            d.Accept();
            QCOMPARE(d.result(), int(QDialog::Accepted));
            const AudioOpenChoice c = d.choice();
            QCOMPARE(c.map, (AudioChannelMap{5, 4, 3, 2, 1, 0}));
            QCOMPARE(c.startFrame, int64_t(800));
            QCOMPARE(c.frameCount, int64_t(1600));
        }
        TAudioOpen again(nullptr, file_, info);
        QCOMPARE(again.choice().map, (AudioChannelMap{5, 4, 3, 2, 1, 0}));
        QCOMPARE(again.choice().voltsFullScale, 2.5);
        QCOMPARE(TAudioOpen::StoredFullScale(dir_.filePath(QStringLiteral("other.WAV"))), 2.5);
        QCOMPARE(TAudioOpen::StoredFullScale(dir_.filePath(QStringLiteral("other.flac"))), 1.0);
    }

    void windowShowsTheStretchInVoltsAndPascals()
    {
        AudioOpenChoice c;
        c.map = {1, 0, 2, 3, 5, 4};
        c.startFrame = 1000;
        c.frameCount = 2000;
        c.voltsFullScale = 2.0;
        for (const int unit : {1, 0}) {
            TFileSave w(nullptr, file_);
            w.setAudioSource(c);
            w.setUnitSelection(unit);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.data().count(), 2000);
            QCOMPARE(w.data().segment.sampleRate, 8000u);
            const std::array<double, 6> sens = ChannelSensitivities(settings_);
            for (int m = 0; m < 6; ++m) {
                const double volts = 2.0 * FileSample(c.map[m], 1000 + 37);
                QCOMPARE(w.data().samples()[m][37], volts);
                const double factor = unit == 1 ? 1.0 : 1000.0 / sens[m];
                QCOMPARE(w.displayFactors()[m], factor);
                QCOMPARE((w.chart().series(m)->data()->constBegin() + 37)->value, volts * factor);
            }
            w.reject();
        }
    }

    // A recording's intensity takes each microphone's own pascals: doubling the sensitivity of
    // both X microphones quarters Ix and leaves Iy alone.
    void intensityTakesEachMicrophonesPascals()
    {
        AudioOpenChoice c;
        c.frameCount = 4000;
        auto intensityAt = [&](int axis, int bin) {
            TFileSave w(nullptr, file_);
            w.setAudioSource(c);
            w.show();
            if (!QTest::qWaitForWindowExposed(&w))
                return std::nan("");
            w.Button7Click();
            const double value = w.data().intensity[static_cast<size_t>(axis)][static_cast<size_t>(bin)];
            w.reject();
            return value;
        };
        const int bin = 2;   // a bin where every channel has power
        const double x = intensityAt(0, bin);
        const double y = intensityAt(1, bin);
        QVERIFY(x != 0.0 && y != 0.0 && std::isfinite(x) && std::isfinite(y));
        const std::array<double, 6> sens = ChannelSensitivities(settings_);
        for (int m = 0; m < 2; ++m)
            settings_.Chuv[static_cast<size_t>(settings_.Chs[static_cast<size_t>(m)])] = 2 * sens[m];
        QCOMPARE(intensityAt(0, bin), x / 4);
        QCOMPARE(intensityAt(1, bin), y);
    }

    // The working samples go out as a float WAV in volts at the rate, and come back the same
    // when the file is opened with the full scale it was written with.
    void workingSamplesSaveAsWavInVolts()
    {
        AudioOpenChoice c;
        c.map = {5, 4, 3, 2, 1, 0};
        c.frameCount = 3000;
        c.voltsFullScale = 2.0;
        const QString out = dir_.filePath(QStringLiteral("saved.wav"));
        {
            TFileSave w(nullptr, file_);
            w.setAudioSource(c);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(w.SaveWorkingWav(out));
            w.reject();
        }
        AudioFileInfo info;
        QVERIFY(ReadAudioInfo(QFile::encodeName(out).toStdString(), info).ok());
        QCOMPARE(info.channels, 6);
        QCOMPARE(info.sampleRate, 8000);
        QCOMPARE(info.frames, int64_t(3000));
        Segment back;
        QVERIFY(ReadAudioStretch(QFile::encodeName(out).toStdString(), {0, 1, 2, 3, 4, 5}, 0, 3000,
                                 TAudioOpen::StoredFullScale(out), back)
                    .ok());
        for (int m = 0; m < 6; ++m)
            for (int k : {0, 1234, 2999})
                QCOMPARE(float(back.channels[m][k]), float(2.0 * FileSample(c.map[m], k)));
    }
};

QTEST_MAIN(AudioOpenTest)
#include "tst_audio_open.moc"
