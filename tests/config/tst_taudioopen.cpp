// The audio-open dialog in English: its own texts, the channel names it makes and the
// problems it states.
#include "TAudioOpen.h"

#include "InterfaceTexts.h"
#include "Language.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

class TestTAudioOpen : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        UseFreshStore(dir_);
    }

    void cleanupTestCase() { ReleaseSettingsAndStore(); }
    void cleanup() { InstallLanguage(UiLanguage::Russian); }

    void speaksEnglish()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        AudioFileInfo info;
        info.channels = 8;
        info.frames = 96000;
        info.sampleRate = 48000;
        info.formatText = "WAV, 24 bit";
        TAudioOpen dlg(nullptr, dir_.filePath("take.wav"), info);
        QCOMPARE(dlg.findChild<QLabel*>("FileLabel")->text(),
                 QString("take.wav\nWAV, 24 bit, channels: 8, 48000 Hz, 2.000 s"));
        QCOMPARE(dlg.microphoneBox(0)->itemText(7), QString("Channel 8"));
        dlg.microphoneBox(1)->setCurrentIndex(0);
        dlg.Accept();
        QCOMPARE(dlg.findChild<QLabel*>("ProblemText")->text(),
                 QString("Each microphone needs a file channel of its own."));
        const QStringList left = RussianTexts(&dlg);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }
};

QTEST_MAIN(TestTAudioOpen)
#include "tst_taudioopen.moc"
