// Saves a picture of every window of the program into the folder named on the command line:
// the windows open on generated recordings, on the test signal and on an intensity result
// computed from it, as a user would see them on a first start. Runs under a virtual X server
// (tools/screenshots.sh) because the 3-D view needs OpenGL. A second argument "en" shows the
// English interface with an English user's number form; the default is Russian.
#include "AudioFile.h"
#include "Intensity.h"
#include "Recording.h"
#include "IntensityText.h"
#include "Language.h"
#include "NumberText.h"
#include "RecordingPresenter.h"
#include "ResultText.h"
#include "SampleGen.h"
#include "Segment.h"
#include "SettingsStore.h"
#include "TAboutBox.h"
#include "TAudioOpen.h"
#include "TBands.h"
#include "TCalib.h"
#include "TChans.h"
#include "TD3x.h"
#include "TDemo.h"
#include "TFileSave.h"
#include "TMagnit.h"
#include "TMain.h"
#include "TMath.h"
#include "TPower.h"
#include "TRaschet.h"
#include "TReGR.h"
#include "TS_Wait.h"
#include "TTabl.h"
#include "TUst.h"
#include "TestSignal.h"
#include "Twww.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

QString g_outDir;
int g_failures = 0;

// Lets queued layouts, replots and paints run before a picture is taken.
void settle(int ms = 200)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void save(QWidget* w, const QString& name)
{
    settle();
    const QString path = QDir(g_outDir).filePath(name + QStringLiteral(".png"));
    const QPixmap picture = w->grab();
    const bool ok = !picture.isNull() && picture.save(path);
    std::printf("%s %s (%dx%d)\n", ok ? "saved" : "FAILED", qPrintable(path), picture.width(),
                picture.height());
    if (!ok)
        ++g_failures;
}

void fail(const char* what)
{
    std::printf("FAILED %s\n", what);
    ++g_failures;
}

// Shows a dialog without a modal loop, takes its picture and hides it again.
void shoot(QWidget* w, const QString& name)
{
    w->show();
    w->raise();
    save(w, name);
    w->hide();
}

// Messages are printed rather than shown, so no box blocks the run; a message in the output
// means a window refused something it should have accepted.
class PrintingPresenter : public RecordingPresenter {
public:
    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override
    {
        std::printf("message: [%s] %s\n", caption.c_str(), text.c_str());
        return RecordingPresenter::present(kind, caption, text, flags);
    }
};

QString writeRawRecording(const QTemporaryDir& dir)
{
    RawRecordingSpec spec;
    spec.rate = 40000;
    spec.seconds = 4;
    // Twenty periods in the one-second frame, and an amplitude that stays clear of code 0
    // below the ADC zero, so the picture shows whole waves rather than a clipped band.
    spec.frequency = 20;
    spec.amplitude = 1000;
    spec.noise = 30;
    const QString path = dir.filePath(QStringLiteral("sample.dat"));
    std::string error;
    if (!WriteRawRecording(path.toStdString(), spec, &error)) {
        std::printf("cannot write %s: %s\n", qPrintable(path), error.c_str());
        return {};
    }
    return path;
}

QString writeSegmentFile(const QTemporaryDir& dir, const Settings& s)
{
    RawRecordingSpec wave;
    wave.frequency = 40;
    wave.amplitude = 1000;
    wave.fiZ = 60;
    wave.fiX = 30;
    wave.noise = 40;
    wave.lmic = s.lmic;
    wave.soundSpeed = s.skorost;
    const uint32_t rate = 20000;
    const double seconds = 0.5;
    const auto channels = PlaneWaveChannels(wave, rate, int64_t(rate * seconds));
    const auto bytes = SegmentFileContents(rate, seconds, s.Chuv, channels);
    const QString path = dir.filePath(QStringLiteral("sample.kvnb"));
    std::string error;
    if (!WriteBytes(path.toStdString(), bytes, &error)) {
        std::printf("cannot write %s: %s\n", qPrintable(path), error.c_str());
        return {};
    }
    return path;
}

// The band result the processing window hands to the intensity-vector window for the test
// signal with the settings as they are: the intensity spectra of the whole signal, reduced
// over the analysis band S_Fmin ... S_Fmax by the rule the window and the batch tool share.
bool testSignalSpectra(const Settings& s, IntensitySpectra& spectra, int& sampleCount)
{
    const uint32_t rate = SegmentEvenRate(uint32_t(s.freq_ocifr));
    const int64_t count = TestSignalSampleCount(rate, s.dlit);
    if (count < 4 || count > 50'000'000)
        return false;
    const int n = int(count);
    std::array<std::vector<double>, 6> samples;
    double* channels[6];
    for (int c = 0; c < 6; ++c) {
        samples[c].resize(n);
        channels[c] = samples[c].data();
    }
    std::vector<double> t(n);
    SynthesizeTestSignal(TestSignalParams::FromSettings(s), n, channels, t.data());

    const int bins = n / 2;
    sampleCount = n;
    spectra.frequency.resize(bins);
    const double df = 1.0 / t[n - 1];
    for (int k = 0; k < bins; ++k)
        spectra.frequency[k] = k * df;
    double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a) {
            spectra.values[3 * g + a].assign(bins, 0.0);
            groups[g][a] = spectra.values[3 * g + a].data();
        }
    const double* input[6] = {channels[0], channels[1], channels[2], channels[3], channels[4], channels[5]};
    if (ComputeIntensitySpectra(IntensityConstantsFrom(CurrentSettings(), TestSignalFlag()), 0, n, input,
                                t.data(), groups[0], groups[1], groups[2], groups[3]) != 0)
        return false;
    return true;
}

bool testSignalResult(const Settings& s, IntensityResult& result)
{
    IntensitySpectra spectra;
    int n = 0;
    if (!testSignalSpectra(s, spectra, n))
        return false;
    FrequencyRange band;
    band.given = true;
    band.lo = s.S_Fmin;
    band.hi = s.S_Fmax;
    BandResult reduced;
    if (ReduceBand(spectra.view(), band, s.impuls, reduced) != BandStatus::Ok)
        return false;
    result = reduced.result;
    return true;
}

// Twelve points of a 63 Hz plane wave through a face, as segment files in dir/points.
QStringList writeSurveyPoints(const QTemporaryDir& dir)
{
    QDir(dir.path()).mkpath(QStringLiteral("points"));
    QStringList points;
    for (int i = 0; i < 12; ++i) {
        RawRecordingSpec wave;
        wave.frequency = 63.0;
        wave.amplitude = 920.0 + 20.0 * i;
        wave.fiZ = 90.0;
        wave.fiX = 0.0;
        wave.noise = 30;
        const uint32_t rate = 2000;
        const double duration = 1.0;
        const auto channels = PlaneWaveChannels(wave, rate, SegmentSampleCount(rate, duration));
        const QString path =
            dir.filePath(QStringLiteral("points/p%1.kvnb").arg(i + 1, 2, 10, QLatin1Char('0')));
        std::string error;
        if (!WriteBytes(QFile::encodeName(path).toStdString(),
                        SegmentFileContents(rate, duration, DefaultSettings().Chuv, channels), &error)) {
            std::printf("cannot write %s: %s\n", qPrintable(path), error.c_str());
            return {};
        }
        points << path;
    }
    return points;
}

// A six-channel WAV of the sample segment, for the channel and stretch dialog.
QString writeWav(const QTemporaryDir& dir, const Settings& s)
{
    Segment segment;
    const uint32_t rate = 20000;
    segment.sampleRate = rate;
    RawRecordingSpec wave;
    wave.frequency = 40;
    wave.amplitude = 1000;
    const auto channels = PlaneWaveChannels(wave, rate, rate * 2);
    segment.Allocate(int32_t(rate * 2));
    for (int c = 0; c < 6; ++c)
        segment.channels[c] = channels[c];
    for (int32_t j = 0; j < segment.sampleCount; ++j)
        segment.time[j] = j / double(rate);
    std::vector<char> bytes;
    if (!EncodeFloatWav(segment, 2048.0, std::string(), bytes).ok())
        return {};
    const QString path = dir.filePath(QStringLiteral("sample.wav"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        return {};
    (void)s;
    return path;
}

}   // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Sonorix"));
    g_outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    const bool english = argc > 2 && QString::fromLocal8Bit(argv[2]) == QLatin1String("en");
    QDir().mkpath(g_outDir);
    // The pictures show the program as its user sees it: a Russian user's decimal commas, or
    // an English user's points.
    if (english) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SetDecimalSeparator('.');
    } else {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        SetDecimalSeparator(',');
    }
    if (!InstallLanguage(english ? UiLanguage::English : UiLanguage::Russian)) {
        std::printf("FAILED the interface language could not be installed\n");
        return 1;
    }
    PrintingPresenter presenter;

    // The pictures show a first start; the user's own settings are neither read nor changed.
    QTemporaryDir work;
    if (!work.isValid()) {
        std::printf("FAILED no temporary folder\n");
        return 1;
    }
    SettingsStore::SetFileName(work.filePath(QStringLiteral("Sonorix.ini")));

    TMain main;
    main.resize(982, 453);
    main.show();
    save(&main, QStringLiteral("main-window"));

    {
        TAboutBox about(&main);
        shoot(&about, QStringLiteral("about-box"));
    }
    {
        TS_Wait wait(&main);
        wait.setText(QCoreApplication::translate("TFileSave", "Идет вычисление АЧХ"));
        wait.showAndPaint();
        save(&wait, QStringLiteral("wait-notice"));
    }
    {
        Twww www(&main);
        www.setWindowState(Qt::WindowNoState);
        www.resize(900, 600);
        shoot(&www, QStringLiteral("web-site"));
    }
    {
        TDemo demo(&main);
        shoot(&demo, QStringLiteral("test-signal-dialog"));
    }
    {
        TUst ust(&main);
        shoot(&ust, QStringLiteral("settings-dialog"));
    }
    {
        TChans chans(&main);
        shoot(&chans, QStringLiteral("channel-order-dialog"));
    }
    {
        TReGR axis(&main, 0);
        axis.setWindowTitle(QCoreApplication::translate("TFileSave", "Канал 1"));
        shoot(&axis, QStringLiteral("chart-axis-dialog"));
    }
    {
        // Filled as the filtering command fills it from the processing window's options.
        TMath math(&main);
        math.channelBoxes()[0]->setChecked(true);
        math.channelBoxes()[1]->setChecked(true);
        math.findChild<QComboBox*>(QStringLiteral("ComboBox2"))->setCurrentIndex(0);
        math.findChild<QSpinBox*>(QStringLiteral("CSpinEdit1"))->setValue(4);
        math.findChild<QSpinBox*>(QStringLiteral("CSpinEdit2"))->setValue(20);
        math.findChild<QSpinBox*>(QStringLiteral("CSpinEdit3"))->setValue(2000);
        shoot(&math, QStringLiteral("filter-dialog"));
    }

    {
        TCalib calibration(&main);
        shoot(&calibration, QStringLiteral("calibration-dialog"));
    }
    const QString wavPath = writeWav(work, main.settings());
    AudioFileInfo wavInfo;
    if (!wavPath.isEmpty() && ReadAudioInfo(wavPath.toStdString(), wavInfo).ok()) {
        TAudioOpen audio(&main, wavPath, wavInfo);
        shoot(&audio, QStringLiteral("audio-open-dialog"));
    } else {
        fail("audio-open-dialog: the WAV file was not written");
    }

    const QString rawPath = writeRawRecording(work);
    if (!rawPath.isEmpty()) {
        SetTestSignalFlag(false);
        TMagnit playback(&main, rawPath);
        if (playback.isOpen())
            shoot(&playback, QStringLiteral("playback"));
        else
            fail("playback: the recording did not open");
    }

    // The processing window on the test signal, once per state worth a picture: each state
    // starts from a freshly opened window, as a user would reach it.
    const auto processingState = [&](const QString& name, const std::function<void(TFileSave&)>& steps) {
        SetTestSignalFlag(true);
        TFileSave processing(&main, QString());
        processing.setUnitSelection(main.settings().S_PA_OR_VOLT);
        processing.show();
        settle();
        steps(processing);
        save(&processing, name);
        processing.hide();
    };
    processingState(QStringLiteral("processing-test-signal"), [](TFileSave&) {});
    processingState(QStringLiteral("processing-spectra"), [](TFileSave& w) { w.Button6Click(); });
    processingState(QStringLiteral("processing-intensity"), [](TFileSave& w) { w.Button7Click(); });
    // The pair operations work on the snapshot "M" takes.
    processingState(QStringLiteral("processing-vt"), [](TFileSave& w) {
        w.Button3Click();
        w.SpeedButton5Click();
    });
    const QString segmentPath = writeSegmentFile(work, main.settings());
    if (!segmentPath.isEmpty()) {
        SetTestSignalFlag(false);
        TFileSave processing(&main, segmentPath);
        processing.setUnitSelection(main.settings().S_PA_OR_VOLT);
        processing.show();
        save(&processing, QStringLiteral("processing-segment"));
        processing.hide();
    }

    SetTestSignalFlag(true);
    {
        BandWindowInput input;
        if (testSignalSpectra(main.settings(), input.spectra, input.sampleCount)) {
            const Settings& s = main.settings();
            input.periodic = s.impuls == 1;
            input.density = s.plotnost;
            input.soundSpeed = s.skorost;
            input.spacings = s.lmic;
            input.range = {true, 20.0, 2000.0};
            TBands bands(&main, std::move(input));
            bands.resize(1280, 860);
            shoot(&bands, QStringLiteral("bands"));
        } else {
            fail("bands: spectra of the test signal");
        }
    }
    const QStringList points = writeSurveyPoints(work);
    if (!points.isEmpty()) {
        TPower survey(&main);
        survey.resize(1280, 860);
        survey.show();
        survey.AddFiles(points);
        survey.Calculate();
        if (survey.hasPower())
            save(&survey, QStringLiteral("survey"));
        else
            fail("survey: no power");
        survey.hide();
    }

    IntensityResult result;
    if (testSignalResult(main.settings(), result)) {
        {
            TRaschet vectors(&main, result);
            shoot(&vectors, QStringLiteral("intensity-vectors"));
        }
        {
            TTabl table(&main);
            table.setTitle(QString::fromStdString(result.bandText));
            table.setValues(CalculationTable(result));
            shoot(&table, QStringLiteral("calculation-table"));
        }
        {
            TD3x view(&main, ActiveReactiveBlock(result), result.maxI, 1);
            view.show();
            settle(300);
            if (view.drawingReady())
                save(&view, QStringLiteral("3d-view"));
            else
                fail("3d-view: no OpenGL drawing context");
            view.hide();
        }
    } else {
        fail("intensity result from the test signal");
    }

    main.hide();
    return g_failures == 0 ? 0 : 1;
}
