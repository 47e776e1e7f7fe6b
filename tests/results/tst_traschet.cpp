// The intensity-vector window and the calculation table it opens: projections, chart ranges
// (with half-widths that do not fit the vector), label texts under a Russian locale, the
// table's cells and title, its CSV export with the overwrite question, the 3-D view's
// refusal to open where no OpenGL context can be had (the offscreen platform), the line on
// the probe's limits in both windows and the file, and closes that arrive while a command
// waits for the user.
#include "TRaschet.h"
#include "TTabl.h"

#include "ChartImageChecks.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "ModalDriver.h"
#include "RecordingPresenter.h"
#include "ResultText.h"
#include "SettingsStore.h"

#include <qcustomplot.h>

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>

namespace {

IntensityResult unitResult()
{
    IntensityResult r;
    r.I = {1, 0, 0};
    r.J = {-0.5, 0.25, 2};
    r.K = {0, 0, 0};
    r.P = {-1, 1, 0};
    r.maxI = 1.5;
    r.maxJ = 3;
    r.bandText = "Суммирование гармоник в диапазоне, Гц (50 : 400)";
    return r;
}

QCustomPlot* chart(const QWidget& w, int n)
{
    auto* c = w.findChild<QCustomPlot*>(QStringLiteral("Chart%1").arg(n));
    if (!c)
        qFatal("no chart %d", n);
    return c;
}

// The points of a chart's one series, as (x, y) pairs in order.
QList<QPointF> points(const QWidget& w, int n, const char* seriesName)
{
    auto* curve = chart(w, n)->findChild<QCPCurve*>(seriesName);
    if (!curve)
        qFatal("no series %s", seriesName);
    QList<QPointF> result;
    for (auto it = curve->data()->constBegin(); it != curve->data()->constEnd(); ++it)
        result << QPointF(it->key, it->value);
    return result;
}

QString labelText(const QWidget& w, const char* name)
{
    return w.findChild<QLabel*>(name)->text();
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A recording presenter that also runs an action while a message is "up", as a close that
// reaches the window through the message box's event loop would.
class ActingPresenter : public RecordingPresenter {
public:
    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override
    {
        if (action)
            std::exchange(action, nullptr)();
        return RecordingPresenter::present(kind, caption, text, flags);
    }

    std::function<void()> action;
};

const char kLimitSentence[] = "Полоса выходит за 340 Гц, где kΔr = 1 для пары X: направление и "
                              "модуль вектора могут быть заметно искажены.";

// The child lies inside the window and clear of the other widget.
bool placedApart(const QWidget& window, const QWidget* child, const QWidget* other)
{
    const QRect rect(child->mapTo(&window, QPoint(0, 0)), child->size());
    const QRect otherRect(other->mapTo(&window, QPoint(0, 0)), other->size());
    return window.rect().contains(rect) && !rect.intersects(otherRect);
}

}   // namespace

class TestResultWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY(storeDir.isValid());
        SettingsStore::SetFileName(storeDir.filePath("store.ini"));
    }

    void projectionsLabelsAndStartingSheet()
    {
        TRaschet w(nullptr, unitResult());
        QCOMPARE(w.windowTitle(), QString("Расчет интенсивности (Вт/м2)"));
        QCOMPARE(w.findChild<QTabWidget*>("PageControl1")->currentIndex(), 0);
        QCOMPARE(labelText(w, "Label1"), QString("Ir= {1,00000; 0,00000; 0,00000}"));
        QCOMPARE(labelText(w, "Label4"), QString("Jr= {-0,50000; 0,25000; 2,00000}"));
        QCOMPARE(labelText(w, "Label5"), QString("Суммирование гармоник в диапазоне, Гц (50 : 400)"));

        // Each projection runs from the origin to the tip.
        const auto line = [](double x, double y) { return QList<QPointF>{{0, 0}, {x, y}}; };
        QCOMPARE(points(w, 1, "Series1"), line(1, 0));
        QCOMPARE(points(w, 2, "Series2"), line(1, 0));
        QCOMPARE(points(w, 3, "Series3"), line(0, 0));
        QCOMPARE(points(w, 4, "LineSeries1"), line(-0.5, 0.25));
        QCOMPARE(points(w, 5, "LineSeries3"), line(-0.5, 2));
        QCOMPARE(points(w, 6, "LineSeries5"), line(0.25, 2));
        for (int n = 1; n <= 6; ++n) {
            const double half = n <= 3 ? 1.5 : 3.0;
            QCOMPARE(chart(w, n)->xAxis->range(), QCPRange(-half, half));
            QCOMPARE(chart(w, n)->yAxis->range(), QCPRange(-half, half));
            auto* curve = chart(w, n)->findChild<QCPCurve*>();
            QCOMPARE(curve->pen().color(), n <= 3 ? QColor(Qt::red) : QColor(Qt::blue));
            QCOMPARE(curve->pen().width(), 3);
        }
        // Drawing again gives the same picture, not a second line.
        w.setBandText("other");
        w.DrawResult();
        QCOMPARE(points(w, 1, "Series1").size(), 2);
        QCOMPARE(labelText(w, "Label5"), QString("other"));
    }

    void everyProjectionSavesItsPicture()
    {
        TRaschet w(nullptr, unitResult());
        w.resize(900, 700);
        w.show();
        for (int n = 1; n <= 6; ++n)
            QVERIFY(chart(w, n)->findChild<ChartImageMenu*>());
        QTemporaryDir dir;
        CheckChartImages(*chart(w, 4)->findChild<ChartImageMenu*>(), dir, QSize(300, 300));
    }

    void halfWidthsThatDoNotFit_data()
    {
        QTest::addColumn<double>("maxI");
        QTest::addColumn<double>("expected");
        // A signed maximum of an all-negative vector, a zero half-width for a zero vector is
        // handled below, and a too small one: the charts always hold the whole vector.
        QTest::newRow("signed maximum") << -0.5 << 2.0;
        QTest::newRow("too small") << 1.0 << 2.0;
        QTest::newRow("wider than the vector") << 3.0 << 3.0;
    }

    void halfWidthsThatDoNotFit()
    {
        QFETCH(double, maxI);
        QFETCH(double, expected);
        IntensityResult r = unitResult();
        r.I = {-2, -0.5, -1};
        r.maxI = maxI;
        TRaschet w(nullptr, r);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(chart(w, n)->xAxis->range(), QCPRange(-expected, expected));
    }

    void zeroVectorGetsAPositiveRange()
    {
        IntensityResult r;
        TRaschet w(nullptr, r);
        for (int n = 1; n <= 6; ++n) {
            const QCPRange range = chart(w, n)->yAxis->range();
            QVERIFY(range.upper > 0 && std::isfinite(range.upper));
            QCOMPARE(range.lower, -range.upper);
        }
    }

    void tableOpensWithTheResult()
    {
        TRaschet w(nullptr, unitResult());
        bool seen = false;
        OnNextModal([&](QWidget* modal) {
            auto* table = qobject_cast<TTabl*>(modal);
            QVERIFY(table);
            seen = true;
            QCOMPARE(table->windowTitle(), QString("Расчетная таблица"));
            QCOMPARE(table->title(), QString("Суммирование гармоник в диапазоне, Гц (50 : 400)"));
            QCOMPARE(table->cellText(0, 3), QString("Акт.интенсив.,Вт/м^2"));
            QCOMPARE(table->cellText(1, 3), QString("1,00000"));
            QCOMPARE(table->cellText(2, 7), QString("0,0"));
            QCOMPARE(table->cellText(3, 7), QString("90,0"));
            QCOMPARE(table->cellText(2, 6), QString("-45,0"));   // П = (-1, 1, 0)
            QCOMPARE(table->cellText(2, 5), QString("90,0"));    // K = 0
            QCOMPARE(table->cellText(1, 5), QString());
            QTest::mouseClick(table->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        QTest::mouseClick(w.findChild<QPushButton*>("Button4"), Qt::LeftButton);
        QVERIFY(seen);
    }

    void csvAsksBeforeReplacing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("table.csv");
        writeBytes(path, "old\r\n");
        TTabl table(nullptr);
        table.setTitle("Band");
        {
            RecordingPresenter presenter;
            presenter.answers = {IDNO};
            QVERIFY(!table.SaveToCsv(path));
            QCOMPARE(presenter.messages.size(), size_t(1));
            QCOMPARE(presenter.messages[0].caption, std::string("Внимание!"));
            QCOMPARE(presenter.messages[0].text, std::string("Файл существует.Переписать?"));
            QVERIFY(presenter.messages[0].flags & MB_YESNO);
            QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
        }
        {
            RecordingPresenter presenter;
            presenter.answers = {IDYES};
            QVERIFY(table.SaveToCsv(path));
            const QByteArray bytes = fileBytes(path);
            QVERIFY(bytes.startsWith("Band\r\n;\r\n\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0;"));
            QCOMPARE(bytes.count("\r\n"), 11);
        }
        {
            // A new file is written without a question.
            RecordingPresenter presenter;
            QVERIFY(table.SaveToCsv(dir.filePath("new.csv")));
            QVERIFY(presenter.messages.empty());
        }
        {
            // A name that cannot be written is reported, and the window stays usable.
            RecordingPresenter presenter;
            presenter.defaultAnswer = IDYES;
            QVERIFY(!table.SaveToCsv(dir.path()));
            QCOMPARE(presenter.messages.size(), size_t(2));
            QCOMPARE(presenter.messages[1].kind, MessageKind::Plain);
            // With the system's reason: the target is a folder.
            QVERIFY(QString::fromStdString(presenter.messages[1].text)
                        .endsWith(QString(": ") + QString::fromLocal8Bit(std::strerror(EISDIR))));
        }
    }

    void csvThroughTheSaveDialog()
    {
        QTemporaryDir dir;
        TRaschet w(nullptr, unitResult());
        TTabl table(&w);
        table.setTitle("T");
        table.setValues(CalculationTable(unitResult()));
        OnNextModal([&](QWidget* modal) {
            auto* fd = qobject_cast<QFileDialog*>(modal);
            QVERIFY(fd);
            QCOMPARE(fd->objectName(), QString("SD"));
            QCOMPARE(fd->defaultSuffix(), QString("csv"));
            fd->setDirectory(dir.path());
            auto* name = fd->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name);
            name->setText("result");
            static_cast<QDialog*>(fd)->accept();
        });
        QTest::mouseClick(table.findChild<QPushButton*>("Button2"), Qt::LeftButton);
        const QByteArray bytes = fileBytes(dir.filePath("result.csv"));
        const QString text = QStringDecoder("windows-1251").decode(bytes);
        const QStringList lines = text.split("\r\n");
        QCOMPARE(lines.size(), 12);   // 11 lines, each ended
        QCOMPARE(lines[0], QString("T"));
        QCOMPARE(lines[5], QString("Акт.интенсив.,Вт/м^2;1,00000;1,00000;0,00000;0,00000;"));
    }

    void viewWithoutOpenGlSaysSoAndCloses()
    {
        // The offscreen platform has no OpenGL: the view must report it, not take the
        // process down, and leave the step in the store alone.
        SettingsStore().WriteInteger("D3D", "tgrad", 7);
        TRaschet w(nullptr, unitResult());
        RecordingPresenter presenter;
        QTest::mouseClick(w.findChild<QPushButton*>("Button3"), Qt::LeftButton);
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].caption, std::string("Ошибка"));
        QCOMPARE(presenter.messages[0].text, std::string("Выбран неверный формат"));
        QCOMPARE(SettingsStore().ReadInteger("D3D", "tgrad", 3), 7);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void limitWarningInTheWindowTheTableAndTheFile()
    {
        IntensityResult r = unitResult();
        r.limitWarning = kLimitSentence;
        TRaschet w(nullptr, r);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* notice = w.findChild<QLabel*>("LabelLimit");
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->text(), QString(kLimitSentence));
        QVERIFY(placedApart(w, notice, w.findChild<QTabWidget*>("PageControl1")));
        QVERIFY(placedApart(w, notice, w.findChild<QPushButton*>("Button4")));
        QVERIFY(notice->height() >= notice->heightForWidth(notice->width()));

        QTemporaryDir dir;
        bool seen = false;
        OnNextModal([&](QWidget* modal) {
            auto* table = qobject_cast<TTabl*>(modal);
            QVERIFY(table);
            seen = true;
            auto* tableNotice = table->findChild<QLabel*>("LabelLimit");
            QVERIFY(tableNotice->isVisible());
            QCOMPARE(table->limitWarning(), QString(kLimitSentence));
            QVERIFY(placedApart(*table, tableNotice, table->findChild<QWidget*>("GRID")));
            QVERIFY(tableNotice->height() >= tableNotice->heightForWidth(tableNotice->width()));
            RecordingPresenter presenter;
            QVERIFY(table->SaveToCsv(dir.filePath("with.csv")));
            table->setLimitWarning(QString());
            QVERIFY(!tableNotice->isVisible());
            QVERIFY(table->SaveToCsv(dir.filePath("without.csv")));
            table->reject();
        });
        QTest::mouseClick(w.findChild<QPushButton*>("Button4"), Qt::LeftButton);
        QVERIFY(seen);
        // The numbers' lines stay as they were; the sentence is one line more, in the file's
        // code page (which has no delta).
        const QByteArray without = fileBytes(dir.filePath("without.csv"));
        const QByteArray with = fileBytes(dir.filePath("with.csv"));
        QCOMPARE(without.count("\r\n"), 11);
        QVERIFY(with.startsWith(without));
        QCOMPARE(QStringDecoder("windows-1251").decode(with.mid(without.size())),
                 QString(kLimitSentence).replace(QChar(0x0394), QLatin1Char('d')) + "\r\n");

        // Without a warning no line is shown and the window keeps its size.
        TRaschet plain(nullptr, unitResult());
        QVERIFY(!plain.findChild<QLabel*>("LabelLimit")->isVisibleTo(&plain));
        QCOMPARE(plain.width(), w.width());
        QVERIFY(w.height() > plain.height());
    }

    // A close that arrives while the export's file dialog is open (queued, as the title-bar
    // button or Esc would deliver it) waits for the export: the file is written, then the
    // table closes.
    void queuedCloseDuringTheExportWaitsForIt()
    {
        QTemporaryDir dir;
        TTabl table(nullptr);
        table.setTitle("T");
        table.setValues(CalculationTable(unitResult()));
        table.show();
        bool closeAsked = false;
        bool shownAfterClose = false;
        OnNextModal([&](QWidget* modal) {
            auto* fd = qobject_cast<QFileDialog*>(modal);
            QVERIFY(fd);
            fd->setDirectory(dir.path());
            fd->findChild<QLineEdit*>("fileNameEdit")->setText("result");
            QTimer::singleShot(0, &table, [&] {
                table.reject();
                closeAsked = true;
                shownAfterClose = table.isVisible();
            });
            QTimer::singleShot(0, fd, [fd] { static_cast<QDialog*>(fd)->accept(); });
        });
        QTest::mouseClick(table.findChild<QPushButton*>("Button2"), Qt::LeftButton);
        QVERIFY(closeAsked);
        QVERIFY(shownAfterClose);
        QCOMPARE(fileBytes(dir.filePath("result.csv")).count("\r\n"), 11);
        QVERIFY(!table.isVisible());
        QCOMPARE(table.result(), int(QDialog::Rejected));
    }

    // The vector window closed while its table is open stays until the table is closed.
    void closeWhileTheTableIsOpenWaitsForIt()
    {
        TRaschet w(nullptr, unitResult());
        w.show();
        bool shownAfterClose = false;
        bool tableShown = false;
        OnNextModal([&](QWidget* modal) {
            w.reject();
            shownAfterClose = w.isVisible();
            tableShown = modal->isVisible();
            QTest::mouseClick(modal->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        QTest::mouseClick(w.findChild<QPushButton*>("Button4"), Qt::LeftButton);
        QVERIFY(shownAfterClose);
        QVERIFY(tableShown);
        QVERIFY(!w.isVisible());
        QCOMPARE(static_cast<QDialog&>(w).result(), int(QDialog::Rejected));
    }

    // Closes that arrive while a message box is up: the table's overwrite question (answered
    // yes, so the file is replaced first) and the 3-D view's refusal without OpenGL.
    void closeDuringAMessageWaitsForIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("table.csv");
        writeBytes(path, "old\r\n");
        TTabl table(nullptr);
        table.setTitle("T");
        table.show();
        {
            ActingPresenter presenter;
            presenter.answers = {IDYES};
            bool shownAfterClose = false;
            presenter.action = [&] {
                table.reject();
                shownAfterClose = table.isVisible();
            };
            QVERIFY(table.SaveToCsv(path));
            QVERIFY(shownAfterClose);
            QCOMPARE(presenter.messages.size(), size_t(1));
        }
        QCOMPARE(fileBytes(path).count("\r\n"), 11);
        QVERIFY(!table.isVisible());

        TRaschet w(nullptr, unitResult());
        w.show();
        {
            ActingPresenter presenter;
            bool shownAfterClose = false;
            presenter.action = [&] {
                w.reject();
                shownAfterClose = w.isVisible();
            };
            QTest::mouseClick(w.findChild<QPushButton*>("Button3"), Qt::LeftButton);
            QVERIFY(shownAfterClose);
            QCOMPARE(presenter.messages.size(), size_t(1));
        }
        QVERIFY(!w.isVisible());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // In English nothing stays Russian in the window, the table it opens or the message of a
    // view that cannot draw.
    void englishInterfaceLeavesNoRussian()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        IntensityResult r = unitResult();
        r.bandText = "Sum of harmonics in the band, Hz (50 : 400)";
        QStringList left;
        {
            TRaschet w(nullptr, r);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            left << RussianTexts(&w);
            OnNextModal([&](QWidget* modal) {
                left << RussianTexts(modal);
                QTest::mouseClick(modal->findChild<QPushButton*>("Button1"), Qt::LeftButton);
            });
            QTest::mouseClick(w.findChild<QPushButton*>("Button4"), Qt::LeftButton);
            RecordingPresenter presenter;
            QTest::mouseClick(w.findChild<QPushButton*>("Button3"), Qt::LeftButton);
            for (const auto& m : presenter.messages)
                left << QString::fromStdString(m.caption + " | " + m.text);
        }
        // Its CSV file is the plain form other programs read, not the program's Russian one.
        static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
        {
            QTemporaryDir dir;
            TTabl table(nullptr);
            table.setTitle(QString::fromStdString(r.bandText));
            table.setValues(CalculationTable(r));
            const QString path = dir.filePath("table.csv");
            QVERIFY(table.SaveToCsv(path));
            const QByteArray bytes = fileBytes(path);
            QVERIFY(!bytes.contains('\r') && !bytes.contains(';'));
            QVERIFY2(bytes.contains("quantity,unit,modulus,x,y,z\n"), bytes.constData());
            QVERIFY2(!QString::fromUtf8(bytes).contains(cyrillic), bytes.constData());
        }
        InstallLanguage(UiLanguage::Russian);
        left = left.filter(cyrillic);
        left.removeDuplicates();
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }

private:
    QTemporaryDir storeDir;
};

QTEST_MAIN(TestResultWindows)
#include "tst_traschet.moc"
