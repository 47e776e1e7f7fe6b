// A chart's picture for reports: every form written from the chart's menu is a real picture,
// the save flow asks for a file and a size and remembers both, the six-channel chart opens the
// menu on a right click but still pans on a right drag and zooms with + and -, dialogs start in
// the folder last used for their kind of file, and the window tells where a file went.
#include "ChartBands.h"
#include "ChartImage.h"
#include "Language.h"
#include "RecordingPresenter.h"
#include "RecentFolders.h"
#include "SettingsStore.h"
#include "WrittenNote.h"

#include "ChartImageChecks.h"
#include "InterfaceTexts.h"
#include "ModalDriver.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QtTest>

#include <qcustomplot.h>

#include <vector>

namespace {
struct ShownChart {
    QCustomPlot plot;
    ChartBands chart{&plot};
    std::vector<double> x, y;

    ShownChart() : x(1001), y(1001)
    {
        for (int i = 0; i <= 1000; ++i) {
            x[i] = i * 0.001;
            y[i] = i % 7;
        }
        for (int c = 0; c < ChartBands::kChannels; ++c)
            chart.setSeriesData(c, x.data(), y.data(), 1001, 1.0);
        plot.resize(800, 600);
        plot.show();
        chart.setXRange(0, 1);
        chart.replot();
    }

    QPoint inside() const { return chart.band(1)->center(); }
};

// A picture with something drawn on it, as a rendered view would grab.
QImage drawnPicture()
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::red, 4));
    painter.drawLine(0, 0, 300, 200);
    return image;
}
}   // namespace

class ChartImageTest : public QObject {
    Q_OBJECT

    QTemporaryDir store_;

private slots:
    void init()
    {
        QFile::remove(store_.filePath("store.ini"));
        SettingsStore::SetFileName(store_.filePath("store.ini"));
    }

    void cleanup() { InstallLanguage(UiLanguage::Russian); }
    void cleanupTestCase() { SettingsStore::SetFileName(QString()); }

    void formatFromTheExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("format");   // -1: none
        QTest::newRow("png") << "a/b.png" << int(ImageFormat::Png);
        QTest::newRow("upper case") << "b.SVG" << int(ImageFormat::Svg);
        QTest::newRow("pdf") << "c.d.pdf" << int(ImageFormat::Pdf);
        QTest::newRow("other") << "c.jpg" << -1;
        QTest::newRow("none") << "png" << -1;
    }

    void formatFromTheExtension()
    {
        QFETCH(QString, path);
        QFETCH(int, format);
        const std::optional<ImageFormat> found = ImageFormatOf(path);
        QCOMPARE(found ? int(*found) : -1, format);
    }

    void everyFormOfTheSixChannelChart()
    {
        ShownChart shown;
        QTemporaryDir dir;
        CheckChartImages(*shown.chart.imageMenu(), dir, QSize(640, 480));
    }

    void aViewWithAPictureOnlyWritesPngAndPdf()
    {
        QLabel view;
        view.resize(300, 200);
        ChartImageMenu menu(&view, drawnPicture);
        QTemporaryDir dir;
        CheckChartImages(menu, dir, QSize(600, 400));
    }

    void rightClickOpensTheMenuRightDragStillPans()
    {
        ShownChart shown;
        QMenu* menu = shown.chart.imageMenu()->menu();
        const QPoint at = shown.inside();
        QTest::mousePress(&shown.plot, Qt::RightButton, {}, at);
        QTest::mouseMove(&shown.plot, at + QPoint(2, 1));
        QTest::mouseRelease(&shown.plot, Qt::RightButton, {}, at + QPoint(2, 1));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(shown.chart.xMinimum(), 0.0);
        QCOMPARE(shown.chart.xMaximum(), 1.0);
        menu->hide();

        QTest::mousePress(&shown.plot, Qt::RightButton, {}, at);
        QTest::mouseMove(&shown.plot, at + QPoint(40, 0));
        QTest::mouseMove(&shown.plot, at + QPoint(80, 0));
        QTest::mouseRelease(&shown.plot, Qt::RightButton, {}, at + QPoint(80, 0));
        QVERIFY(shown.chart.xMinimum() < 0.0);
        QTest::qWait(50);
        QVERIFY(!menu->isVisible());
    }

    void anyOtherChartOpensTheMenuOnItsContextEvent()
    {
        QCustomPlot plot;
        plot.addGraph()->setData({0, 1, 2}, {1, 3, 2});
        plot.rescaleAxes();
        plot.resize(400, 300);
        plot.show();
        auto* menu = new ChartImageMenu(&plot);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 100),
                                plot.mapToGlobal(QPoint(100, 100)));
        QApplication::sendEvent(&plot, &event);
        QTRY_VERIFY(menu->menu()->isVisible());
        QCOMPARE(menu->menu()->actions().size(), 2);
        QCOMPARE(menu->saveAction()->text(), QString("Сохранить изображение…"));
        QCOMPARE(menu->copyAction()->text(), QString("Копировать"));
        menu->menu()->hide();
    }

    void plusAndMinusZoomAboutTheMiddle()
    {
        ShownChart shown;
        QApplication::setActiveWindow(&shown.plot);
        QVERIFY(QTest::qWaitForWindowActive(&shown.plot));
        QTest::keyClick(&shown.plot, Qt::Key_Plus);
        QCOMPARE(shown.chart.xMinimum(), 0.5 - 0.5 / ChartBands::kKeyZoom);
        QCOMPARE(shown.chart.xMaximum(), 0.5 + 0.5 / ChartBands::kKeyZoom);
        QTest::keyClick(&shown.plot, Qt::Key_Minus);
        QCOMPARE(shown.chart.xMinimum() + 1.0, 1.0);
        QCOMPARE(shown.chart.xMaximum(), 1.0);
    }

    // The flow a user goes through: the file (an SVG chosen by its filter, the name typed
    // without extension), then the size; both are remembered for the next time.
    void saveAsAsksForFileAndSizeAndRemembersThem()
    {
        QTemporaryDir dir;
        QDialog window;
        auto* layout = new QVBoxLayout(&window);
        auto* plot = new QCustomPlot(&window);
        layout->addWidget(plot);
        plot->addGraph()->setData({0, 1, 2}, {1, 3, 2});
        plot->rescaleAxes();
        window.resize(500, 400);
        window.show();
        ChartImageMenu menu(plot);
        QCOMPARE(menu.offeredSize(), plot->size());

        OnNextModals({[&](QWidget* w) {
                          auto* fd = qobject_cast<QFileDialog*>(w);
                          QVERIFY(fd);
                          fd->setDirectory(dir.path());
                          fd->selectNameFilter(fd->nameFilters().at(1));
                          emit fd->filterSelected(fd->nameFilters().at(1));
                          fd->findChild<QLineEdit*>("fileNameEdit")->setText("chart");
                          static_cast<QDialog*>(fd)->accept();
                      },
                      [&](QWidget* w) {
                          w->findChild<QSpinBox*>("imageWidth")->setValue(321);
                          w->findChild<QSpinBox*>("imageHeight")->setValue(123);
                          static_cast<QDialog*>(w)->accept();
                      }});
        const QString written = menu.saveAs();
        QCOMPARE(written, dir.filePath("chart.svg"));
        QVERIFY(SvgDrawingElements(written) > 0);
        QCOMPARE(menu.offeredSize(), QSize(321, 123));
        QCOMPARE(RecentFolder(FolderKind::Images), QFileInfo(dir.path()).absoluteFilePath());
        QStatusBar* bar = WrittenNoteBar(plot);
        QVERIFY(bar);
        QCOMPARE(bar->currentMessage(), "Записано: " + QDir::toNativeSeparators(written));
    }

    // In English: the menu, the file dialog with its filters, the size dialog, the written note
    // and the question before a file is written over.
    void theSaveFlowSpeaksEnglish()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        QTemporaryDir dir;
        QDialog window;
        auto* layout = new QVBoxLayout(&window);
        auto* plot = new QCustomPlot(&window);
        layout->addWidget(plot);
        plot->addGraph()->setData({0, 1, 2}, {1, 3, 2});
        window.show();
        ChartImageMenu menu(plot);
        QStringList left = RussianTexts(menu.menu());
        QCOMPARE(menu.saveAction()->text(), QString("Save image…"));

        QStringList filters;
        const auto chooseChart = [&](QWidget* w) {
            auto* fd = qobject_cast<QFileDialog*>(w);
            QVERIFY(fd);
            left << RussianTexts(fd);
            filters = fd->nameFilters();
            fd->setDirectory(dir.path());
            fd->findChild<QLineEdit*>("fileNameEdit")->setText("chart");
            static_cast<QDialog*>(fd)->accept();
        };
        OnNextModals({chooseChart, [&](QWidget* w) {
                          left << RussianTexts(w);
                          static_cast<QDialog*>(w)->accept();
                      }});
        const QString written = menu.saveAs();
        QCOMPARE(written, dir.filePath("chart.png"));
        QCOMPARE(filters, (QStringList{"PNG image (*.png)", "SVG image (*.svg)", "PDF document (*.pdf)"}));
        QCOMPARE(WrittenNoteBar(plot)->currentMessage(), "Written: " + QDir::toNativeSeparators(written));
        left << RussianTexts(&window);
        left.removeDuplicates();
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));

        RecordingPresenter presenter;
        presenter.defaultAnswer = IDNO;
        OnNextModal(chooseChart);
        QVERIFY(menu.saveAs().isEmpty());
        QCOMPARE(presenter.messages.size(), size_t{1});
        QCOMPARE(presenter.messages[0].caption, std::string("Warning!"));
        QCOMPARE(presenter.messages[0].text, std::string("The file exists. Overwrite?"));
    }

    // Written by one run, read by the next: each kind keeps its own folder, and a folder that
    // has gone since reads as none, so the dialog starts where it always did.
    void foldersPerKindSurviveARestart()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("csv");
        QDir(dir.path()).mkdir("gone");
        RememberFolder(FolderKind::Csv, dir.filePath("csv/table.csv"));
        RememberFolder(FolderKind::Audio, dir.filePath("gone"));
        QDir(dir.path()).rmdir("gone");
        QCOMPARE(SettingsStore().ReadText("Folders", "Csv", QString()), dir.filePath("csv"));

        QFileDialog dialog;
        QFileDialog other;
        const QString before = other.directory().absolutePath();
        StartInRecentFolder(dialog, FolderKind::Csv);
        QCOMPARE(dialog.directory().absolutePath(), dir.filePath("csv"));
        StartInRecentFolder(other, FolderKind::Audio);
        QCOMPARE(other.directory().absolutePath(), before);
        QVERIFY(RecentFolder(FolderKind::Settings).isEmpty());
    }

    void theWrittenNoteInADialogAndAMainWindow()
    {
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* button = new QLabel("x", &dialog);
        layout->addWidget(button);
        dialog.show();
        QVERIFY(!WrittenNoteBar(button));
        ShowWritten(button, "/a/b.csv");
        QStatusBar* bar = WrittenNoteBar(&dialog);
        QVERIFY(bar);
        QCOMPARE(layout->indexOf(bar), 1);
        QCOMPARE(bar->currentMessage(), QString("Записано: /a/b.csv"));
        ShowWritten(button, "/a/c.csv");
        QCOMPARE(dialog.findChildren<QStatusBar*>().size(), 1);

        QMainWindow main;
        auto* central = new QLabel("y", &main);
        main.setCentralWidget(central);
        ShowWritten(central, "/a/d.ini");
        QCOMPARE(main.statusBar()->currentMessage(), QString("Записано: /a/d.ini"));
    }
};

QTEST_MAIN(ChartImageTest)
#include "tst_chart_image.moc"
