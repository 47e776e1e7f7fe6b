// The playback window driven headless on generated recordings: frame contents, navigation,
// play loops, filtering for display, axis settings and the export of the visible stretch.
#include "ChartBands.h"
#include "ChartColorButton.h"
#include "Filters.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "ModalDriver.h"
#include "NumberText.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"
#include "RecordingPresenter.h"
#include "SampleGen.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "TMagnit.h"
#include "TS_Wait.h"
#include "WindowTestSupport.h"
#include "WrittenNote.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <qcustomplot.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// What the reader gives for logical channel c over records first, first + step, ...:
// ADC codes minus the ADC zero, after spike suppression over the same stretch.
std::vector<double> ExpectedSamples(const RawRecordingSpec& spec, int channel, int64_t first, int step,
                                    int count)
{
    std::vector<double> v(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j)
        v[static_cast<size_t>(j)] = RawSampleCode(spec, channel, first + int64_t(j) * step) - spec.nullAdc;
    SuppressSpikes(v.data(), count);
    return v;
}

bool Shown(const RecordingPresenter& rec, const std::string& caption, const std::string& text)
{
    for (const auto& m : rec.messages)
        if (m.caption == caption && m.text == text)
            return true;
    return false;
}

template <typename T> T* Control(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

double SeriesValue(const TMagnit& w, int channel, int index)
{
    return (w.chart()->series(channel)->data()->constBegin() + index)->value;
}

// Records with each message whether a wait notice was up: none may sit over a box.
class NoticeCheckingPresenter : public RecordingPresenter {
public:
    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override
    {
        if (TS_Wait::liveCount() != 0)
            messagesUnderNotice.push_back(text);
        return RecordingPresenter::present(kind, caption, text, flags);
    }
    std::vector<std::string> messagesUnderNotice;
};

std::vector<std::string> Texts(const RecordingPresenter& rec)
{
    std::vector<std::string> out;
    for (const auto& m : rec.messages)
        out.push_back(m.caption + "|" + m.text);
    return out;
}

const std::string kEndOfFile = "ВНИМАНИЕ|Достигнут конец файла";

}   // namespace

class TestTMagnit : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    Settings record_;
    std::unique_ptr<NoticeCheckingPresenter> rec_;
    RawRecordingSpec spec40k_;   // 40 kHz, 4 s
    RawRecordingSpec spec4k_;    // 4 kHz, 10 s: for the play loops
    QString file40k_, file4k_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QString write(const char* name, const RawRecordingSpec& spec)
    {
        const QString p = path(name);
        std::string error;
        if (!WriteRawRecording(p.toStdString(), spec, &error))
            qFatal("cannot write %s: %s", name, error.c_str());
        return p;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        UseRussianLocale();
        SettingsStore::SetFileName(dir_.filePath(QStringLiteral("store.ini")));
        spec40k_.rate = 40000;
        spec40k_.seconds = 4;
        spec40k_.noise = 30;
        file40k_ = write("r40k.dat", spec40k_);
        spec4k_.rate = 4000;
        spec4k_.seconds = 10;
        spec4k_.frequency = 100;
        file4k_ = write("r4k.dat", spec4k_);
    }

    void cleanupTestCase()
    {
        PublishSettings(nullptr);
        SettingsStore::SetFileName(QString());
    }

    void init()
    {
        record_ = DefaultSettings();
        record_.Chuv = {2.0, 2.0, 4.0, 4.0, 8.0, 8.0};
        PublishSettings(&record_);
        rec_ = std::make_unique<NoticeCheckingPresenter>();
    }

    void cleanup()
    {
        QCOMPARE(rec_->messagesUnderNotice, std::vector<std::string>{});
        rec_.reset();
    }

    void firstFrameIsDecimatedAndScaled()
    {
        record_.LCADR = 1;
        record_.prorezM = 3;
        TMagnit w(nullptr, file40k_);
        QVERIFY(w.isOpen());
        QCOMPARE(w.windowTitle(), QStringLiteral("Режим магнитофона"));
        w.show();
        QCOMPARE(w.frameCount(), 13333);
        QCOMPARE(w.frameTime()[0], 0.0);
        QCOMPARE(w.frameTime()[13332], 13332 * 3 / 40000.0);
        // The file moves on by the frame's 40000 records, as the reader's time moves by 1 s.
        QCOMPARE(w.reader()->CurrentTime(), 1.0);
        QCOMPARE(w.reader()->Position() - w.reader()->DataStart(), qint64(16 * 40000));
        QCOMPARE(Control<QLabel>(&w, "Label2")->text(), QStringLiteral("00:00:04"));
        QCOMPARE(Control<QSlider>(&w, "TrackBar1")->maximum(), 4);
        for (int c = 0; c < 6; ++c) {
            const auto expected = ExpectedSamples(spec40k_, c, 0, 3, 13333);
            QVERIFY2(w.rawChannel(c) == expected, qPrintable(QString("channel %1").arg(c + 1)));
            // Pascals: 1000 * VOLT / sensitivity of the channel.
            const double factor = 1000 * record_.VOLT / record_.Chuv[static_cast<size_t>(c)];
            QCOMPARE(w.chart()->series(c)->data()->size(), 13333);
            QCOMPARE(SeriesValue(w, c, 777), expected[777] * factor);
        }
        QVERIFY(rec_->messages.empty());
    }

    void stepBackOnFirstFrameStaysThereWithBoundaryMessage()
    {
        record_.LCADR = 1;
        record_.prorezM = 3;
        TMagnit w(nullptr, file40k_);
        w.show();
        w.BitBtn3Click();
        QVERIFY(Shown(*rec_, "ВНИМАНИЕ", "Достигнуто начало файла"));
        QVERIFY(w.boundaryReached());
        QCOMPARE(w.frameTime()[0], 0.0);
        QVERIFY(w.rawChannel(0) == ExpectedSamples(spec40k_, 0, 0, 3, 13333));
        QVERIFY(!Control<QPushButton>(&w, "Button2")->isEnabled());
        // The start is a boundary, not an error: no numbered box.
        QCOMPARE(Texts(*rec_), std::vector<std::string>{"ВНИМАНИЕ|Достигнуто начало файла"});
    }

    void stepsAndJumpMoveByWholeSeconds()
    {
        record_.LCADR = 1;
        record_.prorezM = 1;
        TMagnit w(nullptr, file40k_);
        w.show();
        w.BitBtn1Click();
        QCOMPARE(w.frameTime()[0], 1.0);
        QCOMPARE(Control<QSlider>(&w, "TrackBar1")->value(), 1);
        w.BitBtn1Click();
        w.BitBtn3Click();   // back over the frame shown and the one before
        QCOMPARE(w.frameTime()[0], 1.0);

        auto* track = Control<QSlider>(&w, "TrackBar1");
        auto* jump = Control<QPushButton>(&w, "Button2");
        track->setValue(3);
        QCOMPARE(Control<QLabel>(&w, "Label3")->text(), QStringLiteral("00:00:03"));
        QVERIFY(jump->isEnabled());
        w.Button2Click();
        QCOMPARE(w.frameTime()[0], 3.0);
        QVERIFY(w.rawChannel(2) == ExpectedSamples(spec40k_, 2, 3 * 40000, 1, 40000));

        w.BitBtn6Click();   // to the start
        QCOMPARE(w.frameTime()[0], 0.0);
        QVERIFY(rec_->messages.empty());
    }

    // The arrows step a frame, the space bar plays and a second one stops; the keys are in the
    // buttons' tooltips.
    void keysStepPlayAndStop()
    {
        record_.LCADR = 1;
        record_.prorezM = 4;
        record_.zader = 60;
        TMagnit w(nullptr, file4k_);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Right);
        QCOMPARE(w.frameTime()[0], 1.0);
        QTest::keyClick(&w, Qt::Key_Right);
        QTest::keyClick(&w, Qt::Key_Left);
        QCOMPARE(w.frameTime()[0], 1.0);
        bool wasPlaying = false;
        QTimer::singleShot(150, &w, [&] {
            wasPlaying = w.isPlaying();
            QTest::keyClick(&w, Qt::Key_Space);
        });
        QTest::keyClick(&w, Qt::Key_Space);
        QVERIFY(wasPlaying);
        QVERIFY(!w.isPlaying());
        QVERIFY(w.frameTime()[0] > 1.0);
        QVERIFY(!Shown(*rec_, "ВНИМАНИЕ", "Достигнут конец файла"));
        QVERIFY(Control<QToolButton>(&w, "BitBtn1")->toolTip().startsWith("Шаг вперед ("));
    }

    void frameLengthChangeShowsTheSameStartLonger()
    {
        record_.LCADR = 1;
        record_.prorezM = 2;
        TMagnit w(nullptr, file40k_);
        w.show();
        w.BitBtn1Click();   // the frame at 1 s
        auto* length = Control<QSpinBox>(&w, "CSpinEdit1");
        auto* apply = Control<QPushButton>(&w, "Button1");
        QVERIFY(!apply->isEnabled());
        length->setValue(2);
        QVERIFY(apply->isEnabled());
        w.Button1Click();
        QVERIFY(!apply->isEnabled());
        QCOMPARE(record_.LCADR, 2);
        QCOMPARE(record_.prevLCADR, 1);
        QCOMPARE(w.frameCount(), 40000);
        QCOMPARE(w.frameTime()[0], 1.0);
        QCOMPARE(w.reader()->CurrentTime(), 3.0);
        QCOMPARE(TS_Wait::liveCount(), 0);
    }

    void playForwardToTheEndThenStepBackShowsTheLastFrames()
    {
        record_.LCADR = 1;
        record_.prorezM = 1;
        record_.zader = 0;
        TMagnit w(nullptr, file4k_);
        w.show();
        w.SpeedButton1Click();   // returns when the loop has met the end
        QVERIFY(!w.isPlaying());
        QVERIFY(Shown(*rec_, "ВНИМАНИЕ", "Достигнут конец файла"));
        QVERIFY(!w.boundaryReached());   // the loop that saw it cleared it
        QCOMPARE(w.reader()->CurrentTime(), 10.0);
        QCOMPARE(w.frameTime()[0], 9.0);   // the last frame stays on screen
        QVERIFY(Control<QSpinBox>(&w, "CSpinEdit4")->isEnabled());

        rec_->messages.clear();
        w.BitBtn3Click();
        QVERIFY(!Shown(*rec_, "ВНИМАНИЕ", "Достигнут конец файла"));
        QVERIFY(!Shown(*rec_, "ВНИМАНИЕ", "Достигнуто начало файла"));
        QVERIFY2(w.frameTime()[0] >= 8.0 - 1e-9 && w.frameTime()[0] <= 9.0,
                 qPrintable(QString::number(w.frameTime()[0])));
        const int64_t first = std::llround(w.frameTime()[0] * 4000);
        QVERIFY(w.rawChannel(1) == ExpectedSamples(spec4k_, 1, first, 1, 4000));
    }

    void playBackwardEndsAtTheStart()
    {
        record_.LCADR = 1;
        record_.prorezM = 1;
        TMagnit w(nullptr, file4k_);
        w.show();
        w.Button2Click();   // track bar still at 0: a jump to the start
        Control<QSlider>(&w, "TrackBar1")->setValue(4);
        w.Button2Click();
        QCOMPARE(w.frameTime()[0], 4.0);
        w.BitBtn4Click();
        QVERIFY(!w.isPlaying());
        QVERIFY(Shown(*rec_, "ВНИМАНИЕ", "Достигнуто начало файла"));
        QCOMPARE(w.frameTime()[0], 0.0);
        QCOMPARE(w.reader()->CurrentTime(), 0.0);   // the loop put the reader to the start
    }

    void pauseEndsThePlayLoopAndDoubleClicksAreHarmless()
    {
        record_.LCADR = 1;
        record_.prorezM = 4;
        record_.zader = 60;
        TMagnit w(nullptr, file4k_);
        w.show();
        bool jumped = false;
        QTimer::singleShot(60, &w, [&] {
            // A jump while playing moves the loop on from there.
            Control<QSlider>(&w, "TrackBar1")->setValue(5);
            w.Button2Click();
            jumped = true;
        });
        QTimer::singleShot(150, &w, [&] {
            w.BitBtn2Click();
            w.BitBtn2Click();
        });
        w.SpeedButton1Click();
        QVERIFY(jumped);
        QVERIFY(!w.isPlaying());
        QVERIFY(!Shown(*rec_, "ВНИМАНИЕ", "Достигнут конец файла"));
        QVERIFY(w.frameTime()[0] >= 5.0);
        QVERIFY(w.frameTime()[0] < 10.0);
        QVERIFY(Control<QSpinBox>(&w, "CSpinEdit4")->isEnabled());
        // A second pause after the loop has ended changes nothing.
        const double shown = w.frameTime()[0];
        w.BitBtn2Click();
        QCOMPARE(w.frameTime()[0], shown);
    }

    void closingDuringPlayEndsTheLoopBeforeTheWindowGoes()
    {
        record_.LCADR = 1;
        record_.prorezM = 4;
        record_.zader = 50;
        record_.FOrder = 0;
        auto w = std::make_unique<TMagnit>(nullptr, file4k_);
        QPointer<TMagnit> guard(w.get());
        bool loopReturned = false;
        OnNextModal([&](QWidget*) {
            QTimer::singleShot(80, w.get(), [&] { w->reject(); });
            w->SpeedButton1Click();
            loopReturned = true;
        });
        const int result = w->exec();
        QVERIFY(loopReturned);
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(!w->isVisible());
        QVERIFY(!w->isPlaying());
        QVERIFY(w->reader() == nullptr);   // closed with the window
        QVERIFY(!Shown(*rec_, "ВНИМАНИЕ", "Достигнут конец файла"));
        // Handlers after closing find no reader and do nothing.
        w->BitBtn1Click();
        w->SpeedButton1Click();
        w.reset();
        QVERIFY(guard.isNull());
    }

    void closingStoresTheControls()
    {
        record_.LCADR = 1;
        TMagnit w(nullptr, file40k_);
        w.show();
        Control<QSpinBox>(&w, "CSpinEdit1")->setValue(3);
        Control<QRadioButton>(&w, "RadioButton2")->setChecked(true);
        Control<QSpinBox>(&w, "CSpinEdit2")->setValue(100);
        Control<QSpinBox>(&w, "CSpinEdit3")->setValue(2000);
        Control<QComboBox>(&w, "ComboBox1")->setCurrentIndex(4);
        Control<QSpinBox>(&w, "CSpinEdit4")->setValue(250);
        QCOMPARE(record_.zader, 250);
        w.close();
        QCOMPARE(record_.LCADR, 3);
        QCOMPARE(record_.PA_OR_VOLT, 1);
        QCOMPARE(record_.Fmin, 100);
        QCOMPARE(record_.Fmax, 2000);
        QCOMPARE(record_.FOrder, 4);
        QVERIFY(w.reader() == nullptr);
    }

    void channelBoxesHideCurvesAndRemember()
    {
        TMagnit w(nullptr, file40k_);
        w.show();
        // Channel 3's box is CheckBox3; channel 5's is CheckBox1.
        auto* box3 = Control<QCheckBox>(&w, "CheckBox3");
        QCOMPARE(box3->property("tag").toInt(), 102);
        box3->click();
        QVERIFY(!w.chart()->seriesVisible(2));
        QVERIFY(!record_.G_Vis[2]);
        Control<QCheckBox>(&w, "CheckBox1")->click();
        QVERIFY(!w.chart()->seriesVisible(4));
        QVERIFY(!record_.G_Vis[4]);
        QVERIFY(w.chart()->seriesVisible(0));
        // Hidden curves are filled all the same.
        QCOMPARE(w.chart()->series(2)->data()->size(), w.frameCount());
    }

    void axisClickAppliesToAllFromChannelThree()
    {
        TMagnit w(nullptr, file40k_);
        w.show();
        OnNextModal([](QWidget* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Канал 3"));
            Control<QCheckBox>(dlg, "CheckBox2")->setChecked(false);
            Control<QLineEdit>(dlg, "Edit1")->setText(QStringLiteral("-2,5"));
            Control<QLineEdit>(dlg, "Edit2")->setText(QStringLiteral("3"));
            Control<QCheckBox>(dlg, "CheckBox3")->setChecked(false);
            Control<ChartColorButton>(dlg, "ButtonColor1")->setColor(QColor(Qt::red));
            Control<QSpinBox>(dlg, "CSpinEdit1")->setValue(3);
            Control<QCheckBox>(dlg, "CheckBox1")->setChecked(true);
            Control<QPushButton>(dlg, "Button1")->click();
        });
        w.GRClickAxis(2);
        QVERIFY(record_.applyAxisToAll);
        for (int c = 0; c < 6; ++c) {
            QCPGraph* g = w.chart()->series(c);
            QCOMPARE(g->pen().color(), QColor(Qt::red));
            QCOMPARE(g->pen().width(), 3);
            QCOMPARE(w.chart()->valueAxis(c)->range().lower, -2.5);
            QCOMPARE(w.chart()->valueAxis(c)->range().upper, 3.0);
            QVERIFY(!w.chart()->axisAutomatic(c));
            QVERIFY(!w.chart()->valueAxis(c)->grid()->visible());
        }
        // Only channel 3's own settings were changed.
        QCOMPARE(record_.G_Tol[2], 3);
        QCOMPARE(record_.G_Tol[0], 1);
        QVERIFY(record_.G_Auto[0]);

        // Clicks elsewhere open nothing.
        bool opened = false;
        OnNextModal([&](QWidget*) { opened = true; }, 300);
        w.GRClickAxis(-1);
        QTest::qWait(400);
        QVERIFY(!opened);
    }

    void unitSwitchRedrawsTheFrameFilteredOnce()
    {
        record_.LCADR = 1;
        record_.prorezM = 1;
        TMagnit w(nullptr, file40k_);
        w.show();
        const std::vector<double> raw = w.rawChannel(0);
        auto* apply = Control<QPushButton>(&w, "Button3");
        QVERIFY(!apply->isEnabled());
        Control<QComboBox>(&w, "ComboBox1")->setCurrentIndex(2);
        Control<QSpinBox>(&w, "CSpinEdit2")->setValue(0);
        Control<QSpinBox>(&w, "CSpinEdit3")->setValue(500);
        QCOMPARE(record_.FOrder, 2);
        QCOMPARE(record_.Fmax, 500);
        QVERIFY(apply->isEnabled());
        w.Button3Click();
        QVERIFY(!apply->isEnabled());

        std::vector<double> once(raw.size());
        QVERIFY(
            !ApplyBandFilter(kFilterButterworth, 2, 0, 500, int(raw.size()), 40000, raw.data(), once.data()));
        const double pa = 1000 * record_.VOLT / record_.Chuv[0];
        for (int j : {0, 5, 1000, 39999})
            QCOMPARE(SeriesValue(w, 0, j), once[size_t(j)] * pa);

        // Switching the unit redraws from the frame as read, so the curve is filtered once.
        Control<QRadioButton>(&w, "RadioButton2")->setChecked(true);
        for (int j : {0, 5, 1000, 39999})
            QCOMPARE(SeriesValue(w, 0, j), once[size_t(j)] * record_.VOLT);
        QVERIFY(w.rawChannel(0) == raw);

        // "Нет": the frame as read.
        Control<QComboBox>(&w, "ComboBox1")->setCurrentIndex(0);
        w.Button3Click();
        QCOMPARE(SeriesValue(w, 0, 1000), raw[1000] * record_.VOLT);
        QCOMPARE(TS_Wait::liveCount(), 0);
    }

    void displayFilterUsesTheRateOfTheDecimatedFrame()
    {
        record_.LCADR = 1;
        record_.prorezM = 4;
        record_.FOrder = 3;
        record_.Fmin = 200;
        record_.Fmax = 1500;
        TMagnit w(nullptr, file40k_);
        w.show();
        const std::vector<double>& raw = w.rawChannel(3);
        std::vector<double> expected(raw.size());
        QVERIFY(!ApplyBandFilter(kFilterButterworth, 3, 200, 1500, int(raw.size()), 10000, raw.data(),
                                 expected.data()));
        const double pa = 1000 * record_.VOLT / record_.Chuv[3];
        QCOMPARE(SeriesValue(w, 3, 2500), expected[2500] * pa);
    }

    void exportWritesTheVisibleStretchUnfiltered()
    {
        record_.LCADR = 1;
        record_.prorezM = 3;
        record_.FOrder = 2;
        record_.Fmax = 300;
        TMagnit w(nullptr, file40k_);
        w.show();
        const QString out = path("middle.kvnb");
        w.setSaveFileChooser([&](QWidget*) { return out; });
        w.chart()->setXRange(0.25, 0.75);
        // A track bar dragged without a jump does not move what is exported.
        Control<QSlider>(&w, "TrackBar1")->setValue(3);
        w.BitBtn8Click();
        QVERIFY(Shown(*rec_, "ВНИМАНИЕ", "Файл записан"));
        QCOMPARE(WrittenNoteBar(&w)->currentMessage(), "Записано: " + QDir::toNativeSeparators(out));
        QCOMPARE(QFileInfo(out).size(), qint64(960060));
        QCOMPARE(TS_Wait::liveCount(), 0);

        TReadWriteMyFile file(out.toStdString());
        Segment seg;
        QVERIFY(!file.OpenForReading());
        QVERIFY(!file.ReadSegment(seg));
        QCOMPARE(seg.sampleRate, 40000u);
        QCOMPARE(seg.sampleCount, 20000);
        for (int c = 0; c < 6; ++c) {
            const auto frame = ExpectedSamples(spec40k_, c, 0, 1, 40000);
            const std::vector<double> expected(frame.begin() + 10000, frame.begin() + 30000);
            QVERIFY2(seg.channels[size_t(c)] == expected, qPrintable(QString("channel %1").arg(c + 1)));
            QCOMPARE(seg.paPerVolt[size_t(c)], 1000 / record_.Chuv[size_t(c)]);
        }

        // Playback goes on with the frame after the exported one.
        w.BitBtn1Click();
        QCOMPARE(w.frameTime()[0], 1.0);
        QVERIFY(w.rawChannel(0) == ExpectedSamples(spec40k_, 0, 40000, 3, 13333));
    }

    void exportOfAWindowPannedPastTheFrameIsShortened_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("past the end") << 0.5 << 1.5 << 20000 << 20000;
        QTest::newRow("before the start") << -0.5 << 0.5 << 0 << 20000;
        QTest::newRow("both ends") << -0.5 << 1.5 << 0 << 40000;
    }

    void exportOfAWindowPannedPastTheFrameIsShortened()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(int, first);
        QFETCH(int, count);
        record_.LCADR = 1;
        TMagnit w(nullptr, file40k_);
        w.show();
        w.BitBtn1Click();   // the frame at 1 s
        const QString out = path("panned.kvnb");
        QFile::remove(out);
        w.setSaveFileChooser([&](QWidget*) { return out; });
        w.chart()->setXRange(a, b);
        w.BitBtn8Click();
        QVERIFY(Shown(*rec_, "ВНИМАНИЕ", "Файл записан"));
        TReadWriteMyFile file(out.toStdString());
        Segment seg;
        QVERIFY(!file.OpenForReading());
        QVERIFY(!file.ReadSegment(seg));
        QCOMPARE(seg.sampleCount, count);
        const auto frame = ExpectedSamples(spec40k_, 4, 40000, 1, 40000);
        QCOMPARE(seg.channels[4].front(), frame[size_t(first)]);
        QCOMPARE(seg.channels[4].back(), frame[size_t(first + count - 1)]);
    }

    void exportRefusalsLeaveNoFileBehind()
    {
        record_.LCADR = 1;
        TMagnit w(nullptr, file40k_);
        w.show();
        const QString out = path("small.kvnb");
        QFile::remove(out);
        w.setSaveFileChooser([&](QWidget*) { return out; });

        // 99 samples in the visible window.
        w.chart()->setXRange(0.25, 10098.5 / 40000);
        w.BitBtn8Click();
        QVERIFY(Shown(*rec_, "ОШИБКА", "Слишком малый временной интервал. Запись невозможна!"));
        QVERIFY(!Shown(*rec_, "ВНИМАНИЕ", "Файл записан"));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(TS_Wait::liveCount(), 0);

        // 100 samples are enough.
        rec_->messages.clear();
        w.BitBtn6Click();
        w.chart()->setXRange(0.25, 10099.5 / 40000);
        w.BitBtn8Click();
        QVERIFY(Shown(*rec_, "ВНИМАНИЕ", "Файл записан"));
        const QByteArray written = [&] {
            QFile f(out);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QVERIFY(written.size() > 60);

        // An existing file: No keeps it and reads nothing; Yes with a refused window keeps it too.
        rec_->messages.clear();
        const double before = w.reader()->CurrentTime();
        rec_->answers = {IDNO};
        w.chart()->setXRange(0.25, 0.75);
        w.BitBtn8Click();
        QCOMPARE(rec_->messages.size(), size_t(1));
        QCOMPARE(rec_->messages[0].caption, std::string("Внимание!"));
        QCOMPARE(rec_->messages[0].text, std::string("Файл существует.Переписать?"));
        QCOMPARE(w.reader()->CurrentTime(), before);

        rec_->answers = {IDYES};
        w.chart()->setXRange(0.25, 0.2501);
        w.BitBtn8Click();
        QVERIFY(Shown(*rec_, "ОШИБКА", "Слишком малый временной интервал. Запись невозможна!"));
        const QByteArray kept = [&] {
            QFile f(out);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QCOMPARE(kept, written);

        // A cancelled dialog does nothing at all.
        rec_->messages.clear();
        w.setSaveFileChooser([](QWidget*) { return QString(); });
        w.BitBtn8Click();
        QVERIFY(rec_->messages.empty());
    }

    void refusedRecordingsOpenNoWindow_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("contradictory stamps")
            << QStringLiteral("contradictory.dat")
            << QStringLiteral("Неверно считано время записи: конец записи не "
                              "позже ее начала. Файл не может быть открыт, "
                              "работа программы продолжается.");
        QTest::newRow("missing") << QStringLiteral("missing.dat") << QString();
    }

    void refusedRecordingsOpenNoWindow()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        if (file == QLatin1String("contradictory.dat")) {
            RawRecordingSpec bad;
            bad.rate = 4000;
            bad.seconds = 2;
            bad.startHour = 10;
            bad.startSecond = 5;
            std::string error;
            QVERIFY(WriteRawRecording(path("contradictory.dat").toStdString(), bad, &error));
            // End stamp one second before the start on the same day.
            QFile f(path("contradictory.dat"));
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(f.size() - 4);
            const char end[4] = {5, 10, 0, 4};
            f.write(end, 4);
        }
        TMagnit w(nullptr, path(qPrintable(file)));
        QVERIFY(!w.isOpen());
        bool appeared = false;
        OnNextModal([&](QWidget*) { appeared = true; }, 300);
        QCOMPARE(w.exec(), int(QDialog::Rejected));
        QTest::qWait(400);
        QVERIFY(!appeared);
        QVERIFY(!rec_->messages.empty());
        if (!message.isEmpty()) {
            QCOMPARE(rec_->messages[0].kind, MessageKind::Plain);
            QCOMPARE(QString::fromStdString(rec_->messages[0].text), message);
        } else {
            QCOMPARE(rec_->messages[0].caption, std::string("GetLastError"));
        }
    }

    void decimatedPlaybackKeepsTheClockOnTheRecordsShownAndExportsThem()
    {
        // 40590 records a second read one in four: rounding the frame up would move the file
        // two records further than the clock on every frame.
        RawRecordingSpec spec;
        spec.rate = 40590;
        spec.seconds = 5;
        spec.noise = 30;
        const QString file = write("r40590.dat", spec);
        record_.LCADR = 1;
        record_.prorezM = 4;
        TMagnit w(nullptr, file);
        w.show();
        for (int i = 0; i < 3; ++i)
            w.BitBtn1Click();
        QCOMPARE(w.frameTime()[0], 3.0);
        QCOMPARE(Control<QLabel>(&w, "Label3")->text(), QStringLiteral("00:00:03"));
        // The label's second is the first record shown, and the file stands one frame on.
        const int64_t first = 3 * 40590;
        QCOMPARE(w.reader()->Position() - w.reader()->DataStart(), qint64(16 * (first + 40590)));
        for (int c = 0; c < 6; ++c)
            QVERIFY2(w.rawChannel(c) == ExpectedSamples(spec, c, first, 4, w.frameCount()),
                     qPrintable(QString("channel %1").arg(c + 1)));

        const QString out = path("decimated.kvnb");
        w.setSaveFileChooser([&](QWidget*) { return out; });
        w.chart()->setXRange(0.25, 0.75);
        w.BitBtn8Click();
        QVERIFY(Shown(*rec_, "ВНИМАНИЕ", "Файл записан"));
        TReadWriteMyFile file40590(out.toStdString());
        Segment seg;
        QVERIFY(!file40590.OpenForReading());
        QVERIFY(!file40590.ReadSegment(seg));
        QCOMPARE(seg.sampleCount, 20295);   // trunc(40590 * 0.5)
        for (int c = 0; c < 6; ++c) {
            const auto frame = ExpectedSamples(spec, c, first, 1, 40590);
            const std::vector<double> expected(frame.begin() + 10148, frame.begin() + 10148 + 20295);
            QVERIFY2(seg.channels[size_t(c)] == expected, qPrintable(QString("channel %1").arg(c + 1)));
        }
        // The export leaves the reader after the frame shown.
        QCOMPARE(w.reader()->Position() - w.reader()->DataStart(), qint64(16 * (first + 40590)));
        w.BitBtn1Click();
        QCOMPARE(w.frameTime()[0], 4.0);
        QVERIFY(w.rawChannel(5) == ExpectedSamples(spec, 5, 4 * 40590, 4, w.frameCount()));
        QCOMPARE(Texts(*rec_), std::vector<std::string>{"ВНИМАНИЕ|Файл записан"});
    }

    void theEndOfACleanRecordingIsSaidOnce_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("step past the last frame") << 0;
        QTest::newRow("play to the end") << 1;
        QTest::newRow("frame length change that reaches past the end") << 2;
    }

    void theEndOfACleanRecordingIsSaidOnce()
    {
        QFETCH(int, how);
        record_.LCADR = 1;
        record_.prorezM = 4;
        record_.zader = 0;
        TMagnit w(nullptr, file4k_);
        w.show();
        if (how == 1) {
            w.SpeedButton1Click();
        } else {
            Control<QSlider>(&w, "TrackBar1")->setValue(9);
            w.Button2Click();
            QCOMPARE(w.frameTime()[0], 9.0);
            QVERIFY(rec_->messages.empty());
            if (how == 0) {
                w.BitBtn1Click();
            } else {
                Control<QSpinBox>(&w, "CSpinEdit1")->setValue(2);
                w.Button1Click();
            }
        }
        QCOMPARE(Texts(*rec_), std::vector<std::string>{kEndOfFile});
        QVERIFY(!w.isPlaying());
        // The last frame read stays whole for a redraw.
        QVERIFY(w.frameCount() > 0);
        Control<QRadioButton>(&w, "RadioButton2")->setChecked(true);
        QCOMPARE(w.chart()->series(0)->data()->size(), w.frameCount());
        QCOMPARE(SeriesValue(w, 0, 7), w.rawChannel(0)[7] * record_.VOLT);

        // Each further step past the end says it once more, and only that.
        rec_->messages.clear();
        w.BitBtn1Click();
        QCOMPARE(Texts(*rec_), std::vector<std::string>{kEndOfFile});
    }

    void aFrameLongerThanTheRecordingIsShortenedOnce()
    {
        RawRecordingSpec spec;
        spec.rate = 4000;
        spec.seconds = 3;
        const QString file = write("r3s.dat", spec);
        record_.LCADR = 10;
        record_.prorezM = 1;
        TMagnit w(nullptr, file);
        w.show();
        QVERIFY(rec_->messages.empty());   // the note waits for the window to be on screen
        QCoreApplication::processEvents();
        QCOMPARE(Texts(*rec_),
                 std::vector<std::string>{
                     "ВНИМАНИЕ|Кадр длиной 10 с длиннее записи: длина кадра сокращена до 3 с."});
        QCOMPARE(w.frameSeconds(), 3);
        QCOMPARE(Control<QSpinBox>(&w, "CSpinEdit1")->value(), 3);
        QCOMPARE(Control<QSpinBox>(&w, "CSpinEdit1")->maximum(), 3);
        QCOMPARE(w.frameCount(), 12000);
        QCOMPARE(w.chart()->series(3)->data()->size(), 12000);
        QVERIFY(w.rawChannel(3) == ExpectedSamples(spec, 3, 0, 1, 12000));

        rec_->messages.clear();
        w.BitBtn1Click();
        QCOMPARE(Texts(*rec_), std::vector<std::string>{kEndOfFile});
        // The remembered length is the user's choice for longer recordings.
        w.close();
        QCOMPARE(record_.LCADR, 10);
    }

    void failedDisplayFilteringIsSaidAndShowsTheCurvesAsRead_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("fmin");
        QTest::addColumn<int>("fmax");
        QTest::newRow("upper cut-off 0") << 2 << 0 << 0;
        QTest::newRow("lower above upper") << 3 << 800 << 500;
        QTest::newRow("lower equals upper") << 1 << 500 << 500;
    }

    void failedDisplayFilteringIsSaidAndShowsTheCurvesAsRead()
    {
        QFETCH(int, order);
        QFETCH(int, fmin);
        QFETCH(int, fmax);
        record_.LCADR = 1;
        record_.prorezM = 4;
        TMagnit w(nullptr, file40k_);
        w.show();
        auto* apply = Control<QPushButton>(&w, "Button3");
        Control<QComboBox>(&w, "ComboBox1")->setCurrentIndex(order);
        Control<QSpinBox>(&w, "CSpinEdit2")->setValue(fmin);
        Control<QSpinBox>(&w, "CSpinEdit3")->setValue(fmax);
        w.Button3Click();
        QCOMPARE(Texts(*rec_), std::vector<std::string>{"ВНИМАНИЕ|Ошибка фильтрации"});
        QVERIFY(!w.displayFiltered());
        QVERIFY(apply->isEnabled());   // the settings have not taken effect
        const double pa = 1000 * record_.VOLT / record_.Chuv[1];
        for (int j : {0, 9, 2000})
            QCOMPARE(SeriesValue(w, 1, j), w.rawChannel(1)[size_t(j)] * pa);

        // Stepping on with the same settings does not repeat the box.
        w.BitBtn1Click();
        QCOMPARE(rec_->messages.size(), size_t(1));
        QVERIFY(!w.displayFiltered());
        QCOMPARE(SeriesValue(w, 1, 9), w.rawChannel(1)[9] * pa);

        // Settings that work filter the frame and clear the mark.
        Control<QSpinBox>(&w, "CSpinEdit2")->setValue(0);
        Control<QSpinBox>(&w, "CSpinEdit3")->setValue(1000);
        w.Button3Click();
        QCOMPARE(rec_->messages.size(), size_t(1));
        QVERIFY(w.displayFiltered());
        QVERIFY(!apply->isEnabled());
    }

    void filterBoxesStopBelowTheNyquistRateOfTheDecimatedFrame()
    {
        record_.LCADR = 1;
        record_.prorezM = 4;
        record_.FOrder = 2;
        record_.Fmin = 100;
        record_.Fmax = 8000;   // remembered from a full-rate recording
        TMagnit w(nullptr, file40k_);
        w.show();
        auto* fmin = Control<QSpinBox>(&w, "CSpinEdit2");
        auto* fmax = Control<QSpinBox>(&w, "CSpinEdit3");
        QCOMPARE(fmin->maximum(), 4999);
        QCOMPARE(fmax->maximum(), 4999);
        QCOMPARE(fmax->value(), 4999);
        fmax->setValue(20000);
        QCOMPARE(fmax->value(), 4999);
        // The highest cut-off offered filters.
        QVERIFY(rec_->messages.empty());
        QVERIFY(w.displayFiltered());
    }

    void aCloseDuringACommandTakesEffectAfterIt_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("frame length") << 0;
        QTest::newRow("filter") << 1;
        QTest::newRow("export") << 2;
    }

    void aCloseDuringACommandTakesEffectAfterIt()
    {
        QFETCH(int, command);
        record_.LCADR = 1;
        record_.FOrder = 2;
        auto w = std::make_unique<TMagnit>(nullptr, file40k_);
        const QString out = path("closing.kvnb");
        QFile::remove(out);
        w->setSaveFileChooser([&](QWidget*) { return out; });
        bool returned = false;
        OnNextModal([&](QWidget*) {
            Control<QSpinBox>(w.get(), "CSpinEdit1")->setValue(2);
            // A close already queued when the command starts runs while its notice paints.
            QMetaObject::invokeMethod(w.get(), "reject", Qt::QueuedConnection);
            if (command == 0)
                w->Button1Click();
            else if (command == 1)
                w->Button3Click();
            else
                w->BitBtn8Click();
            returned = true;
        });
        QCOMPARE(w->exec(), int(QDialog::Rejected));
        QVERIFY(returned);
        QVERIFY(w->reader() == nullptr);
        QCOMPARE(TS_Wait::liveCount(), 0);
        QVERIFY(!QFile::exists(out));
        QVERIFY(rec_->messages.empty());
    }

    // In English nothing of the window stays Russian, nor the message at the start of the file.
    void englishInterfaceLeavesNoRussian()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        record_.LCADR = 1;
        record_.prorezM = 3;
        QStringList left;
        {
            TMagnit w(nullptr, file40k_);
            QVERIFY(w.isOpen());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.BitBtn3Click();
            QVERIFY(w.boundaryReached());
            left = RussianTexts(&w);
        }
        InstallLanguage(UiLanguage::Russian);
        QVERIFY(!rec_->messages.empty());
        for (const auto& m : rec_->messages)
            left << QString::fromStdString(m.caption + " | " + m.text);
        static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
        left = left.filter(cyrillic);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }
};

QTEST_MAIN(TestTMagnit)
#include "tst_tmagnit.moc"
