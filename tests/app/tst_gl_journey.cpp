// The whole program as a user goes through it, from the main window and without a person:
// a generated recording is stepped, played, filtered for display and a stretch exported; the
// segment is filtered, its spectra taken and undone, its intensity reduced over a band between
// the cursors into the vector window, the table (with its CSV) and the 3-D view; and the test
// signal goes the same way to the table. Every dialog and message is answered by code.
#include "ChartBands.h"
#include "D3xView.h"
#include "ModalDriver.h"
#include "NumberText.h"
#include "RadioGroup.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"
#include "RecordingPresenter.h"
#include "ResultText.h"
#include "SampleGen.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "TD3x.h"
#include "TDemo.h"
#include "TFileSave.h"
#include "TMagnit.h"
#include "TMain.h"
#include "TMath.h"
#include "TRaschet.h"
#include "TTabl.h"
#include "TestSignal.h"
#include "ui_TFileSave.h"
#include "ui_TMath.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <cmath>

namespace {

double CellNumber(const QString& text)
{
    bool ok = false;
    const double v = QLocale().toDouble(text.trimmed(), &ok);
    return ok ? v : NAN;
}

QStringList Cp1251Lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder cp1251("windows-1251");
    const QString text = cp1251(file.readAll());
    return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// Pixels where red clearly dominates: the active vector in the 3-D view.
int RedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 100 && c.green() < 40 && c.blue() < 40)
                ++count;
        }
    return count;
}

// In the vector window: the table (its cells and CSV file) and the 3-D view of the active
// vector (its first picture), then the window is closed.
struct VectorWindowVisit {
    IntensityResult result;
    TableCells cells;
    QString tableCsv;   // written when not empty
    QImage picture;
    bool visited = false;

    void schedule(QWidget* owner)
    {
        OnNextModal(
            [this](QWidget* modal) {
                auto* vectors = qobject_cast<TRaschet*>(modal);
                QVERIFY(vectors);
                visited = true;
                result = vectors->result();
                OnNextModal(
                    [this](QWidget* w) {
                        auto* table = qobject_cast<TTabl*>(w);
                        QVERIFY(table);
                        cells = table->cells();
                        if (!tableCsv.isEmpty())
                            QVERIFY(table->SaveToCsv(tableCsv));
                        table->accept();
                    },
                    10000, vectors);
                vectors->findChild<QPushButton*>(QStringLiteral("Button4"))->click();
                OnNextModal(
                    [this](QWidget* w) {
                        auto* view = qobject_cast<TD3x*>(w);
                        QVERIFY(view && view->drawingReady());
                        QTRY_VERIFY(view->view()->hasPicture());
                        picture = view->view()->grabFramebuffer();
                        view->reject();
                    },
                    10000, vectors);
                vectors->findChild<QPushButton*>(QStringLiteral("Button3"))->click();
                vectors->reject();
            },
            10000, owner);
    }
};

}   // namespace

class JourneyTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        UseRussianLocale();
        SettingsStore::SetFileName(path("Sonorix.ini"));
    }

    void cleanupTestCase() { SettingsStore::SetFileName(QString()); }

    void fromARecordingToTheTable()
    {
        // A slow plane wave from fiZ 60, fiX 30: the phase across each pair stays small, so
        // the estimate points along the arrival direction.
        RawRecordingSpec spec;
        spec.rate = 4000;
        spec.seconds = 4;
        spec.frequency = 40.0;
        spec.amplitude = 1000.0;
        spec.fiZ = 60.0;
        spec.fiX = 30.0;
        std::string error;
        QVERIFY2(WriteRawRecording(path("rec.dat").toStdString(), spec, &error), error.c_str());

        TMain main;
        QStringList chosen = {path("rec.dat"), path("seg.kvnb")};
        main.launcher().chooseFile = [&chosen](QWidget*) {
            return chosen.isEmpty() ? QString() : chosen.takeFirst();
        };
        Settings& s = CurrentSettings();
        s.LCADR = 2;
        s.prorezM = 1;
        s.zader = 0;
        s.lmic = spec.lmic;
        s.skorost = spec.soundSpeed;
        s.S_Fmin = 0;
        s.S_Fmax = 100;
        main.show();
        RecordingPresenter presenter;

        // Playback: play to the end, back to the start, a step, filter the display, export.
        bool played = false;
        OnNextModal([&](QWidget* w) {
            auto* playback = qobject_cast<TMagnit*>(w);
            QVERIFY(playback && playback->isOpen());
            playback->SpeedButton1Click();
            QCOMPARE(playback->reader()->CurrentTime(), 4.0);
            playback->BitBtn6Click();
            playback->BitBtn1Click();
            QCOMPARE(playback->frameTime()[0], 2.0);
            playback->BitBtn6Click();
            QCOMPARE(playback->frameTime()[0], 0.0);
            playback->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(2);
            playback->findChild<QSpinBox*>(QStringLiteral("CSpinEdit2"))->setValue(0);
            playback->findChild<QSpinBox*>(QStringLiteral("CSpinEdit3"))->setValue(500);
            playback->Button3Click();
            playback->setSaveFileChooser([this](QWidget*) { return path("seg.kvnb"); });
            playback->chart()->setXRange(0.0, 2.0);
            playback->BitBtn8Click();
            played = true;
            playback->reject();
        });
        main.SpeedButton2Click();
        QVERIFY(played);

        // The exported segment: two seconds of the recording as read, unfiltered.
        QCOMPARE(QFileInfo(path("seg.kvnb")).size(), qint64(SegmentFileBytes(8000)));
        {
            TReadWriteMyFile file(path("seg.kvnb").toStdString());
            Segment seg;
            QVERIFY(!file.OpenForReading());
            QVERIFY(!file.ReadSegment(seg));
            QCOMPARE(seg.sampleRate, 4000u);
            for (int c = 0; c < 6; ++c) {
                std::vector<double> expected(8000);
                for (int j = 0; j < 8000; ++j)
                    expected[j] = RawSampleCode(spec, c, j) - spec.nullAdc;
                SuppressSpikes(expected.data(), 8000);
                QVERIFY2(seg.channels[c] == expected, qPrintable(QString::number(c + 1)));
            }
        }

        // Processing the segment.
        VectorWindowVisit visit;
        visit.tableCsv = path("table.csv");
        bool processed = false;
        OnNextModal([&](QWidget* w) {
            auto* processing = qobject_cast<TFileSave*>(w);
            QVERIFY(processing);
            Ui::TFileSave* ui = processing->form();
            OnNextModal(
                [](QWidget* m) {
                    auto* dialog = qobject_cast<TMath*>(m);
                    QVERIFY(dialog);
                    dialog->Button1Click();
                    dialog->form()->ComboBox2->setCurrentIndex(0);
                    dialog->form()->CSpinEdit1->setValue(2);
                    dialog->form()->CSpinEdit2->setValue(0);
                    dialog->form()->CSpinEdit3->setValue(200);
                    dialog->form()->Button2->click();
                },
                10000, processing);
            processing->Button4Click();
            const ProcessingData& data = processing->data();
            QVERIFY(data.samples()[0] != data.segment.channels[0]);

            ui->ComboBox4->setCurrentIndex(2);   // Hanning
            ui->RadioGroup2->setItemIndex(1);    // periodic
            processing->Button6Click();
            QVERIFY(processing->view().spectrumView);
            const auto peak =
                std::max_element(data.spectra[0].begin(), data.spectra[0].begin() + data.halfCount());
            QVERIFY(std::abs(data.frequency[peak - data.spectra[0].begin()] - 40.0) < 0.6);
            processing->BitBtn1Click();
            QVERIFY(!processing->view().spectrumView);
            QCOMPARE(ui->RadioGroup1->count(), 2);

            processing->Button7Click();
            processing->Button1Click();
            processing->chart().setCursorPixels(int(processing->chart().xToPixel(20.0)),
                                                int(processing->chart().xToPixel(60.0)));
            visit.schedule(processing);
            processing->Button2Click();
            QVERIFY(processing->SaveIntensityCsv(path("intensity.csv")));
            processed = true;
            processing->reject();
        });
        main.SpeedButton2Click();
        QVERIFY(processed && visit.visited);

        // What the user reads off: the band, the direction, the files.
        QVERIFY(QString::fromStdString(visit.result.bandText)
                    .startsWith(QStringLiteral("Суммирование гармоник в диапазоне, Гц (")));
        QVERIFY2(std::abs(CellNumber(visit.cells[7][2]) - 30.0) < 1.0, qPrintable(visit.cells[7][2]));
        QVERIFY2(std::abs(CellNumber(visit.cells[7][4]) - 30.0) < 1.0, qPrintable(visit.cells[7][4]));
        QVERIFY(visit.result.I[0] > 0 && visit.result.I[1] > 0 && visit.result.I[2] > 0);
        QVERIFY(RedPixels(visit.picture) > 50);

        const QStringList table = Cp1251Lines(path("table.csv"));
        QCOMPARE(table.size(), 11);
        QCOMPARE(table[0], QString::fromStdString(visit.result.bandText));
        QVERIFY(table[9].startsWith(QStringLiteral("FI_I,град;")));

        const QStringList spectra = Cp1251Lines(path("intensity.csv"));
        QCOMPARE(spectra.value(0), QStringLiteral("Амплитудно-частотные характеристики интенсивности"));
        QCOMPARE(spectra.value(3), QStringLiteral("F(Гц);Ix;Iy;Iz;Jx;Jy;Jz;Kx;Ky;Kz;Пx;Пy;Пz"));
        QCOMPARE(spectra.size(), 4 + 200 + 5);   // bins 1 ... 200: 0,5 ... 100 Hz

        // Closing the program keeps what the user chose.
        main.close();
        SettingsStore store;
        QCOMPARE(store.ReadInteger(QStringLiteral("Mag"), QStringLiteral("LCADR"), 0), 2);
        QCOMPARE(store.ReadInteger(QStringLiteral("Mag"), QStringLiteral("Fmax"), 0), 500);
        QCOMPARE(store.ReadInteger(QStringLiteral("Sav"), QStringLiteral("FmaxFilter"), 0), 200);
        QCOMPARE(store.ReadInteger(QStringLiteral("Sav"), QStringLiteral("Wind"), 0), 2);
        QCOMPARE(store.ReadInteger(QStringLiteral("Sav"), QStringLiteral("impuls"), 0), 1);
        QVERIFY(store.ReadBool(QStringLiteral("Sav"), QStringLiteral("ch6"), false));
    }

    void theTestSignalToTheTable()
    {
        TMain main;
        Settings& s = CurrentSettings();
        s.type_sig = kTestSignalSine;
        s.freq_sig = 50;
        s.ampl_sig = 1000;
        s.FI_Z = 120;
        s.FI_X = 200;
        s.ampl_noise_sig = 0;
        s.freq_ocifr = 4000;
        s.dlit = 1;
        s.impuls = 0;
        main.show();
        RecordingPresenter presenter;
        VectorWindowVisit visit;
        OnNextModals({
            [](QWidget* w) {
                QVERIFY(qobject_cast<TDemo*>(w));
                w->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            },
            [&visit](QWidget* w) {
                auto* processing = qobject_cast<TFileSave*>(w);
                QVERIFY(processing && processing->testSignalMode());
                processing->Button7Click();
                processing->chart().setXRange(30.0, 70.0);
                visit.schedule(processing);
                processing->Button2Click();
                processing->reject();
            },
        });
        main.N7Click();
        QTRY_VERIFY(visit.visited);
        QVERIFY(presenter.messages.empty());
        // The impulse integral of a plane wave from (120, 200), every component negative; the
        // table's alpha, a one-argument arc tangent, shows that direction within its quadrant.
        const double tz = 120 * M_PI / 180, tx = 200 * M_PI / 180;
        const std::array<double, 3> d = {std::sin(tz) * std::cos(tx), std::sin(tz) * std::sin(tx),
                                         std::cos(tz)};
        const auto& I = visit.result.I;
        const double norm = std::sqrt(I[0] * I[0] + I[1] * I[1] + I[2] * I[2]);
        const double angle = std::acos((I[0] * d[0] + I[1] * d[1] + I[2] * d[2]) / norm) * 180 / M_PI;
        QVERIFY2(angle < 0.5, qPrintable(QString::number(angle)));
        QVERIFY2(std::abs(CellNumber(visit.cells[7][2]) - 20.0) < 0.5, qPrintable(visit.cells[7][2]));
        QCOMPARE(QString::fromStdString(visit.result.bandText).left(12), QStringLiteral("Интегрирован"));
    }
};

QTEST_MAIN(JourneyTest)
#include "tst_gl_journey.moc"
