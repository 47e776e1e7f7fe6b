// The main window and the settings store as a user meets them: first start, the stored
// record after each kind of ending, a store it cannot read, sensitivities across a channel-
// order change and a restart, and where the open command sends each file name.
#include "RecordingPresenter.h"
#include "SettingsStore.h"
#include "SonorixApplication.h"
#include "TAboutBox.h"
#include "TChans.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "TMain.h"
#include "TS_Wait.h"
#include "Twww.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QToolButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <sys/stat.h>

class TestTMain : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString storeFile_;

    struct Opened {
        QStringList playback, processing;
        QList<bool> flagAtProcessing;
        int waitNoticesDuringOpen = 0;
    };

    // A launcher that records instead of opening windows, answering the open dialog with `next`.
    static WindowLauncher recordingLauncher(Opened& o, QString& next, bool demoAccepted = true)
    {
        WindowLauncher l;
        l.chooseFile = [&next](QWidget*) { return next; };
        l.openPlayback = [&o](QWidget*, const QString& n) {
            o.playback << n;
            o.waitNoticesDuringOpen = TS_Wait::liveCount();
        };
        l.openProcessing = [&o](QWidget*, const QString& n, int) {
            o.processing << n;
            o.flagAtProcessing << TestSignalFlag();
        };
        l.runTestSignalDialog = [demoAccepted](QWidget*) { return demoAccepted; };
        return l;
    }

    QSettings raw() const { return QSettings(storeFile_, QSettings::IniFormat); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        storeFile_ = dir_.filePath(QStringLiteral("store.ini"));
        SettingsStore::SetFileName(storeFile_);
    }

    void init()
    {
        QFile::remove(storeFile_);
        SetTestSignalFlag(false);
    }

    void firstStartGivesEveryDefault()
    {
        TMain w;
        const Settings& s = w.settings();
        QCOMPARE(s.Chs, (std::array<int32_t, 6>{0, 1, 2, 3, 4, 5}));
        QCOMPARE(s.VOLT, 0.00263);
        QCOMPARE(s.NULL_ADC, 1120);
        QCOMPARE(s.plotnost, 1.4);
        QCOMPARE(s.freq_ocifr, 100000);
        QCOMPARE(s.G_Color[2], 0xFF0000);
        QCOMPARE(s.G_Color[3], 0x0050C8);   // right-axis curves default to another colour
        QCOMPARE(s.G_Min[5], -5.0f);
        QCOMPARE(s.impuls, 1);
        QCOMPARE(w.lastOpenKind(), -1);
        QCOMPARE(&CurrentSettings(), &w.settings());
        QVERIFY(!QFile::exists(storeFile_));   // loading writes nothing
    }

    void sensitivitiesFollowTheChannelOrder()
    {
        {
            QSettings st = raw();
            const int order[6] = {4, 5, 2, 3, 0, 1};
            for (int n = 1; n <= 6; ++n) {
                st.setValue(QStringLiteral("Chs/Chs%1").arg(n), order[n - 1]);
                st.setValue(QStringLiteral("Mag/Chuv%1").arg(n), 10.0 * n);
            }
        }
        Settings s;
        LoadSettings(s);
        QCOMPARE(s.Chuv[0], 50.0);   // slot 1 feeds channel 5
        QCOMPARE(s.Chuv[4], 10.0);
        QCOMPARE(s.Chuv[2], 30.0);
        s.Chuv[0] = 55.5;
        QVERIFY(SaveSettingsDialogKeys(s).ok());
        QSettings st = raw();
        QCOMPARE(st.value("Mag/Chuv5").toDouble(), 55.5);
        QCOMPARE(st.value("Mag/Chuv1").toDouble(), 10.0);
    }

    void foreignValuesReadAsTheProgramExpects_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("expected");
        QTest::newRow("impuls 7 is true") << "Sav/impuls"
                                          << "7"
                                          << "impuls" << 1.0;
        QTest::newRow("impuls 0") << "Sav/impuls"
                                  << "0"
                                  << "impuls" << 0.0;
        QTest::newRow("bool as word") << "Mag/G_Auto2"
                                      << "false"
                                      << "G_Auto2" << 0.0;
        QTest::newRow("wrong type gives default") << "Mag/NULL_ADC"
                                                  << "abc"
                                                  << "NULL_ADC" << 1120.0;
        QTest::newRow("float with comma is not a float") << "Sav/VOLT"
                                                         << "0,5"
                                                         << "VOLT" << 0.00263;
        QTest::newRow("integer as float text") << "Mag/LCADR"
                                               << "2.5"
                                               << "LCADR" << 1.0;
    }

    void foreignValuesReadAsTheProgramExpects()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, field);
        QFETCH(double, expected);
        raw().setValue(key, stored);
        Settings s;
        LoadSettings(s);
        const double got = field == "impuls"     ? s.impuls
                           : field == "G_Auto2"  ? s.G_Auto[1]
                           : field == "NULL_ADC" ? s.NULL_ADC
                           : field == "VOLT"     ? s.VOLT
                                                 : s.LCADR;
        QCOMPARE(got, expected);
    }

    void impulsIsWrittenBackAsZeroOrOne()
    {
        raw().setValue("Sav/impuls", "7");
        {
            TMain w;
            w.close();
        }
        QCOMPARE(raw().value("Sav/impuls").toString(), QStringLiteral("1"));
    }

    void chartLimitsAreSinglePrecision()
    {
        raw().setValue("Mag/G_Max1", "0.1");
        Settings s;
        LoadSettings(s);
        QCOMPARE(s.G_Max[0], 0.1f);
        QVERIFY(SaveChartAppearance(s, 0).ok());
        QCOMPARE(raw().value("Mag/G_Max1").toDouble(), static_cast<double>(0.1f));
    }

    void exitWritesNothingWhileClosingSaves()
    {
        {
            TMain w;
            w.settings().PA_OR_VOLT = 1;
            w.N3Click();
        }
        QVERIFY(!raw().contains("Mag/PA_OR_VOLT"));
        {
            TMain w;
            QCOMPARE(w.settings().PA_OR_VOLT, 0);
            w.settings().PA_OR_VOLT = 1;
            w.settings().freq_sig = 77;
            w.settings().G_Vis[2] = false;
            w.close();
        }
        QSettings st = raw();
        QCOMPARE(st.value("Mag/PA_OR_VOLT").toInt(), 1);
        QCOMPARE(st.value("Demo/freq_sig").toInt(), 77);
        QCOMPARE(st.value("Mag/G_Vis3").toString(), QStringLiteral("0"));
        // Keys saved only by the dialogs stay out of the close-time save.
        QVERIFY(!st.contains("Sav/VOLT"));
        QVERIFY(!st.contains("Chs/Chs1"));
    }

    void dialogCommandsSaveHoweverTheDialogClosed()
    {
        TMain w;
        w.launcher().runSettingsDialog = [](QWidget*) {};   // closed without accepting
        w.launcher().runChannelDialog = [&w](QWidget*) { w.settings().Chs = {1, 0, 2, 3, 4, 5}; };
        w.SpeedButton1->click();
        QCOMPARE(raw().value("Sav/VOLT").toDouble(), 0.00263);
        QCOMPARE(raw().value("Mag/NULL_ADC").toInt(), 1120);
        w.SpeedButton3->click();
        QCOMPARE(raw().value("Chs/Chs1").toInt(), 1);
        QCOMPARE(raw().value("Chs/Chs2").toInt(), 0);
    }

    void calibrationFollowsTheChannelsInTheSettingsMenu()
    {
        TMain w;
        QStringList texts;
        for (const QAction* action : w.findChild<QMenu*>("N4")->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{"Установки", "Каналы", "Калибровка"}));
        int runs = 0;
        w.launcher().runCalibrationDialog = [&runs](QWidget*) { ++runs; };
        w.findChild<QAction*>("N9")->trigger();
        QCOMPARE(runs, 1);
        // The dialog files what it applies; a dialog that applied nothing leaves the store alone.
        QVERIFY(!raw().contains("Mag/Chuv1"));
    }

    void sensitivitiesKeepTheirChannelsAfterAnOrderChangeAndARestart()
    {
        const std::array<double, 6> entered{10, 20, 30, 40, 50, 60};
        {
            TMain w;
            w.launcher().runSettingsDialog = [&w, &entered](QWidget*) { w.settings().Chuv = entered; };
            w.SpeedButton1->click();
            // Slots 1 and 2 swapped in the real channel-order dialog. (Not through exec(): the
            // exit test before this one has told every later event loop to return at once.)
            w.launcher().runChannelDialog = [](QWidget* owner) {
                TChans dlg(owner);
                dlg.findChild<QSpinBox*>("CSpinEdit1")->setValue(2);
                dlg.findChild<QSpinBox*>("CSpinEdit2")->setValue(1);
                dlg.findChild<QPushButton*>("Button1")->click();
            };
            w.SpeedButton3->click();
            QCOMPARE(w.settings().Chs, (std::array<int32_t, 6>{1, 0, 2, 3, 4, 5}));
            w.close();
        }
        TMain restarted;
        QCOMPARE(restarted.settings().Chs, (std::array<int32_t, 6>{1, 0, 2, 3, 4, 5}));
        QCOMPARE(restarted.settings().Chuv, entered);
    }

    void unreadableStoreIsKeptAsideAndReportedOnce()
    {
        const QByteArray original("[Mag]\nNULL_ADC=1000\nLCADR=3\n[Sa");   // cut short in a header
        {
            QFile f(storeFile_);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(original);
        }
        const QString kept = storeFile_ + ".unreadable-" + QDate::currentDate().toString("yyyy-MM-dd");
        RecordingPresenter presenter;
        {
            TMain w;
            QCOMPARE(w.settings().NULL_ADC, 1120);
            QCOMPARE(presenter.messages.size(), size_t{1});
            QCOMPARE(presenter.messages[0].caption, std::string("ВНИМАНИЕ"));
            const QString text = QString::fromStdString(presenter.messages[0].text);
            QVERIFY2(text.contains(QDir::toNativeSeparators(kept)), qPrintable(text));
            w.close();
        }
        QFile keptFile(kept);
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), original);
        QCOMPARE(raw().value("Mag/NULL_ADC").toInt(), 1120);   // the new store beside it
        TMain again;
        QCOMPARE(presenter.messages.size(), size_t{1});
        QVERIFY(QFile::remove(kept));
    }

    // A named pipe in the store's place is refused at once and kept aside like any store the
    // program cannot read; nothing waits for a writer to the pipe.
    void aPipeInTheStoresPlaceIsRefusedAtStartUp()
    {
        QVERIFY(::mkfifo(QFile::encodeName(storeFile_).constData(), 0600) == 0);
        const QString kept = storeFile_ + ".unreadable-" + QDate::currentDate().toString("yyyy-MM-dd");
        RecordingPresenter presenter;
        {
            TMain w;
            QCOMPARE(presenter.messages.size(), size_t{1});
            const QString text = QString::fromStdString(presenter.messages[0].text);
            QVERIFY2(text.contains("именованный канал") && text.contains(kept), qPrintable(text));
            QCOMPARE(w.settings().NULL_ADC, 1120);
            w.close();
        }
        QVERIFY(QFileInfo(kept).exists() && !QFileInfo(kept).isFile());
        QVERIFY(QFile::remove(kept));
        QCOMPARE(raw().value("Mag/NULL_ADC").toInt(), 1120);   // the new store in its place
    }

    // Every save of the main window that the store does not take is said, with the reason;
    // closing then asks, and "No" keeps the window (and the session's settings) open.
    void aStoreThatCannotBeWrittenIsReportedAndClosingAsks()
    {
        QFile blocker(dir_.filePath("blocker"));   // a file where the store's folder would be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString store = dir_.filePath("blocker/store.ini");
        SettingsStore::SetFileName(store);
        RecordingPresenter presenter;
        presenter.answers = {IDOK, IDNO, IDYES};
        {
            TMain w;
            w.launcher().runSettingsDialog = [](QWidget*) {};
            w.show();
            w.SpeedButton1->click();
            QCOMPARE(presenter.messages.size(), size_t{1});
            QString text = QString::fromStdString(presenter.messages[0].text);
            QVERIFY2(text.contains(store) && text.contains("Not a directory"), qPrintable(text));
            QVERIFY(!w.close());
            QVERIFY(w.isVisible());
            QCOMPARE(presenter.messages.size(), size_t{2});
            QCOMPARE(presenter.messages[1].flags, int(MB_YESNO | MB_ICONWARNING));
            text = QString::fromStdString(presenter.messages[1].text);
            QVERIFY2(text.contains(store) && text.contains("Not a directory"), qPrintable(text));
            QVERIFY(w.close());
        }
        SettingsStore::SetFileName(storeFile_);
        QVERIFY(QFileInfo(dir_.filePath("blocker")).isFile());
    }

    void impossibleConstantsAreNamedInOneMessage()
    {
        raw().setValue("Sav/VOLT", "nan");
        raw().setValue("Sav/lmic2", "0");
        raw().setValue("Mag/NULL_ADC", "99999");
        raw().setValue("Mag/LCADR", "4");
        RecordingPresenter presenter;
        TMain w;
        QCOMPARE(presenter.messages.size(), size_t{1});
        const QString text = QString::fromStdString(presenter.messages[0].text);
        QVERIFY2(text.contains("VOLT, NULL_ADC, lmic2"), qPrintable(text));
        QCOMPARE(w.settings().VOLT, 0.00263);
        QCOMPARE(w.settings().NULL_ADC, 1120);
        QCOMPARE(w.settings().lmic[1], 0.5);
        QCOMPARE(w.settings().LCADR, 4);
    }

    void openCommandChoosesTheWindowByName()
    {
        Opened o;
        QString next;
        TMain w(nullptr, recordingLauncher(o, next));

        next = "/data/REC.DAT";   // the search is case-sensitive: nothing chosen before, nothing opens
        w.SpeedButton2->click();
        QCOMPARE(w.lastOpenKind(), -1);
        QVERIFY(o.playback.isEmpty() && o.processing.isEmpty());

        next = "/data/x.dat_old";
        w.SpeedButton2->click();
        QCOMPARE(o.playback, QStringList{"/data/x.dat_old"});
        QCOMPARE(o.waitNoticesDuringOpen, 1);   // the notice stays up while the window is open

        next = "/data/x.dat.kvnb";   // both occur: the segment wins
        w.SpeedButton2->click();
        QCOMPARE(o.processing, QStringList{"/data/x.dat.kvnb"});

        next = "/data/notes.txt";   // neither: the previous kind again
        w.SpeedButton2->click();
        QCOMPARE(o.processing.size(), 2);
        QCOMPARE(TS_Wait::liveCount(), 0);
    }

    void ctrlOOpensAndF1ShowsTheAboutBox()
    {
        Opened o;
        QString next = "/data/x.dat";
        WindowLauncher l = recordingLauncher(o, next);
        int abouts = 0;
        l.runAboutBox = [&abouts](QWidget*) { ++abouts; };
        TMain w(nullptr, l);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        QCOMPARE(abouts, 1);
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(o.playback, QStringList{"/data/x.dat"});
        QVERIFY(w.SpeedButton2->toolTip().startsWith("Открыть файл ("));
    }

    // The language menu turns the open window to English and back, and the choice is kept.
    void languageMenuSwitchesTheWindowAndIsKept()
    {
        InstallLanguage(UiLanguage::Russian);
        TMain w(nullptr, WindowLauncher{});
        QCOMPARE(w.windowTitle(), QStringLiteral("Sonorix 1.0 (Программа расчета интенсимметрии)"));
        w.findChild<QAction*>(QStringLiteral("LanguageEnglish"))->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(CurrentLanguage(), UiLanguage::English);
        QCOMPARE(StartLanguage(QLocale(QLocale::Russian)), UiLanguage::English);
        // The language menu names each language in itself; nothing else stays Russian.
        QStringList left = RussianTexts(&w);
        left.removeAll(QStringLiteral("Язык / Language"));
        left.removeAll(QStringLiteral("Русский"));
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char('\n'))));
        QVERIFY2(w.SpeedButton2->toolTip().startsWith(QStringLiteral("Open file (")),
                 qPrintable(w.SpeedButton2->toolTip()));

        w.findChild<QAction*>(QStringLiteral("LanguageRussian"))->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(CurrentLanguage(), UiLanguage::Russian);
        QCOMPARE(w.windowTitle(), QStringLiteral("Sonorix 1.0 (Программа расчета интенсимметрии)"));
        QVERIFY(w.SpeedButton2->toolTip().startsWith(QStringLiteral("Открыть файл (")));
        QCOMPARE(StartLanguage(QLocale(QLocale::English)), UiLanguage::Russian);
    }

    void cancellingTheOpenDialogShowsNothing()
    {
        Opened o;
        QString next;
        WindowLauncher l = recordingLauncher(o, next);
        int noticesSeen = 0;
        l.chooseFile = [&noticesSeen](QWidget*) {
            noticesSeen = TS_Wait::liveCount();
            return QString();
        };
        TMain w(nullptr, l);
        w.SpeedButton2->click();
        QCOMPARE(noticesSeen, 0);
        QCOMPARE(TS_Wait::liveCount(), 0);
        QCOMPARE(w.lastOpenKind(), -1);
        QVERIFY(o.playback.isEmpty() && o.processing.isEmpty());
    }

    void testSignalFlagLifecycle()
    {
        Opened o;
        QString next;
        {
            TMain w(nullptr, recordingLauncher(o, next, /*demoAccepted=*/false));
            w.N7Click();   // the parameter dialog closed without "Принять"
            QVERIFY(!TestSignalFlag());
            QVERIFY(o.processing.isEmpty());
        }
        TMain w(nullptr, recordingLauncher(o, next));
        w.N7Click();
        QCOMPARE(o.processing, QStringList{QString()});
        QCOMPARE(o.flagAtProcessing, QList<bool>{true});
        QVERIFY(TestSignalFlag());

        next = "/data/seg.kvnb";   // the next file is read from disk, not synthesised
        w.SpeedButton2->click();
        QCOMPARE(o.flagAtProcessing.last(), false);
        QVERIFY(!TestSignalFlag());
    }

    void everyLinkClickOpensAnotherSiteWindow()
    {
        TMain w;
        for (int i = 0; i < 3; ++i)
            w.Label1Click();
        QCOMPARE(w.findChildren<Twww*>().size(), 3);
        Twww* site = w.findChildren<Twww*>().first();
        QCOMPARE(site->windowTitle(), QStringLiteral("Сайт ООО \"Кварнис\""));
        site->close();   // closing hides; the window lives on with its owner
        QCOMPARE(w.findChildren<Twww*>().size(), 3);
    }

    void aboutBoxTakesItsSiteWindowWithIt()
    {
        QPointer<Twww> site;
        {
            TAboutBox box(nullptr);
            box.Label1Click();
            site = box.findChild<Twww*>();
            QVERIFY(site);
            QCOMPARE(box.findChild<QWidget*>("ProductName")->property("text").toString(),
                     QStringLiteral("Программа Sonorix"));
        }
        QVERIFY(site.isNull());
    }
};

QTEST_MAIN(TestTMain)
#include "tst_tmain.moc"
