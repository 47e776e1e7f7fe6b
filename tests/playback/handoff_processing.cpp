// A stretch exported from the playback window opens in the processing window with the
// samples of the recording.
#include "ModalDriver.h"
#include "NumberText.h"
#include "ReadIshFile.h"
#include "RecordingPresenter.h"
#include "SampleGen.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "TFileSave.h"
#include "TMagnit.h"
#include "ChartBands.h"
#include "WindowTestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

class TestPlaybackHandOff : public QObject {
    Q_OBJECT

private slots:
    void exportedStretchOpensInTheProcessingWindow()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        UseRussianLocale();
        SettingsStore::SetFileName(dir.filePath(QStringLiteral("store.ini")));
        Settings record = DefaultSettings();
        record.LCADR = 1;
        record.prorezM = 3;
        PublishSettings(&record);
        RecordingPresenter presenter;

        RawRecordingSpec spec;
        spec.rate = 40000;
        spec.seconds = 3;
        spec.noise = 20;
        const QString raw = dir.filePath(QStringLiteral("r.dat"));
        std::string error;
        QVERIFY(WriteRawRecording(raw.toStdString(), spec, &error));
        const QString out = dir.filePath(QStringLiteral("part.kvnb"));
        {
            TMagnit playback(nullptr, raw);
            playback.show();
            playback.BitBtn1Click();   // the frame at 1 s
            playback.setSaveFileChooser([&](QWidget*) { return out; });
            playback.chart()->setXRange(0.25, 0.75);
            playback.BitBtn8Click();
            playback.close();
        }
        QCOMPARE(QFileInfo(out).size(), qint64(960060));

        TFileSave processing(nullptr, out);
        processing.setUnitSelection(1);
        processing.show();
        QTest::qWait(50);
        const Segment& seg = processing.data().segment;
        QCOMPARE(seg.sampleRate, 40000u);
        QCOMPARE(seg.sampleCount, 20000);
        for (int c = 0; c < 6; ++c) {
            std::vector<double> frame(40000);
            for (int j = 0; j < 40000; ++j)
                frame[size_t(j)] = RawSampleCode(spec, c, 40000 + j) - spec.nullAdc;
            SuppressSpikes(frame.data(), 40000);
            QVERIFY(std::equal(seg.channels[size_t(c)].begin(), seg.channels[size_t(c)].end(),
                               frame.begin() + 10000));
        }
        processing.close();
        PublishSettings(nullptr);
        SettingsStore::SetFileName(QString());
    }
};

QTEST_MAIN(TestPlaybackHandOff)
#include "handoff_processing.moc"
