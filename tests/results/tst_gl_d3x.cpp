// The 3-D view on a real (virtual) display: the first picture is the tilted one and shows the
// vector in its colour, held buttons turn the scene and stop at release, and the rotation step
// outlives the window in the settings store.
#include "TD3x.h"

#include "ChartImageChecks.h"
#include "D3xView.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "ModalDriver.h"
#include "RecordingPresenter.h"
#include "ResultMath.h"
#include "SettingsStore.h"

#include <QImage>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QtTest>

namespace {

// Pixels where one primary clearly dominates: the lit vector is a shade of pure red or blue,
// while grid, axes, ticks and labels are black on white.
int countDominant(const QImage& image, bool red)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int main = red ? c.red() : c.blue();
            const int other = red ? c.blue() : c.red();
            if (main > 100 && c.green() < 40 && other < 40)
                ++count;
        }
    return count;
}

int countDark(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 64)
                ++count;
    return count;
}

bool sameMatrix(const Matrix4& a, const Matrix4& b)
{
    for (int i = 0; i < 16; ++i)
        if (std::fabs(a[i] - b[i]) > 1e-12)
            return false;
    return true;
}

const std::array<double, 6> kBlock = {2, -2, 2, -1, 1, 0.5};

}   // namespace

class UpdateCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class TestD3x : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY(storeDir.isValid());
        SettingsStore::SetFileName(storeDir.filePath("store.ini"));
    }

    void firstPictureIsTiltedAndShowsTheVector_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("scale");
        QTest::newRow("active") << 1 << 2.0;
        QTest::newRow("reactive") << 2 << 1.0;
        QTest::newRow("zero scale") << 1 << 0.0;
    }

    void firstPictureIsTiltedAndShowsTheVector()
    {
        QFETCH(int, kind);
        QFETCH(double, scale);
        SettingsStore().WriteInteger("D3D", "tgrad", 3);
        RecordingPresenter presenter;
        TD3x view(nullptr, kBlock, scale, kind);
        QVERIFY(view.drawingReady());
        QCOMPARE(view.windowTitle(), QString("3-х мерный график"));
        QImage picture;
        OnNextModal([&](QWidget*) {
            QTRY_VERIFY(view.view()->hasPicture() && !view.timer()->isActive());
            picture = view.view()->grabFramebuffer();
        });
        view.exec();
        QVERIFY(presenter.messages.empty());
        QVERIFY(std::isfinite(view.view()->scale()) && view.view()->scale() > 0);

        // Drawn with -60 degrees about x and -30 about z; the second draw of the first tick
        // has added its +3 degrees about x for the next picture.
        const Matrix4 tilted = ApplyViewRotation(ViewBoxMatrix(), 0, 3);
        QVERIFY(sameMatrix(view.view()->pictureProjection(), tilted));
        QVERIFY(sameMatrix(view.view()->projection(), ApplyViewRotation(tilted, 1, 3)));

        QVERIFY(!picture.isNull());
        QVERIFY(countDominant(picture, kind == 1) > 50);
        QCOMPARE(countDominant(picture, kind != 1), 0);
        QVERIFY(countDark(picture) > 1000);   // grid, axes, ticks and labels
    }

    // The picture on show, as PNG and as a PDF page; the view has no vector form.
    void theViewSavesItsPicture()
    {
        RecordingPresenter presenter;
        TD3x view(nullptr, kBlock, 2.0, 1);
        QVERIFY(view.drawingReady());
        QTemporaryDir dir;
        OnNextModal([&](QWidget*) {
            QTRY_VERIFY(view.view()->hasPicture() && !view.timer()->isActive());
            auto* menu = view.view()->findChild<ChartImageMenu*>();
            QVERIFY(menu);
            QVERIFY(!menu->vector());
            CheckChartImages(*menu, dir, QSize(320, 240));
        });
        view.exec();
        QVERIFY(presenter.messages.empty());
    }

    // A click turns the view by the step at once; a held button then turns it at the set
    // speed and no faster; a release stops it; a drag in the view turns it directly.
    void clickStepsHoldTurnsSteadilyDragTurns()
    {
        SettingsStore().WriteInteger("D3D", "tgrad", 2);
        TD3x view(nullptr, kBlock, 2.0, 1);
        QCOMPARE(view.step(), 2);
        OnNextModal([&](QWidget*) {
            QTRY_VERIFY(view.view()->hasPicture() && !view.timer()->isActive());
            auto* zMinus = view.findChild<QPushButton*>("Button6");
            const Matrix4 start = view.view()->projection();
            QTest::mouseClick(zMinus, Qt::LeftButton);
            QCOMPARE(view.pressed(), 0);
            QVERIFY(!view.timer()->isActive());
            QVERIFY(sameMatrix(view.view()->projection(), ApplyViewRotation(start, 6, 2)));
            QVERIFY(sameMatrix(view.view()->pictureProjection(), view.view()->projection()));

            const Matrix4 beforeHold = view.view()->projection();
            QElapsedTimer clock;
            QTest::mousePress(zMinus, Qt::LeftButton);
            clock.start();
            QCOMPARE(view.pressed(), 6);
            QTest::qWait(TD3x::kHoldDelayMs + 300);
            QTest::mouseRelease(zMinus, Qt::LeftButton);
            const double held = view.heldDegrees();
            const double limit =
                2 + TD3x::kHoldDegreesPerSecond * (clock.elapsed() - TD3x::kHoldDelayMs) / 1000.0;
            QVERIFY2(held > 2 && held <= limit + 1e-9,
                     qPrintable(QString("%1 of at most %2").arg(held).arg(limit)));
            QVERIFY(sameMatrix(view.view()->projection(), ApplyViewRotation(beforeHold, 6, held)));
            QTest::qWait(60);
            QVERIFY(sameMatrix(view.view()->projection(), ApplyViewRotation(beforeHold, 6, held)));

            const Matrix4 beforeDrag = view.view()->projection();
            QWidget* gl = view.view();
            QTest::mousePress(gl, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
            QMouseEvent move(QEvent::MouseMove, QPointF(140, 100), gl->mapToGlobal(QPointF(140, 100)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(gl, &move);
            QTest::mouseRelease(gl, Qt::LeftButton, Qt::NoModifier, QPoint(140, 100));
            QVERIFY(sameMatrix(view.view()->projection(), ApplyViewRotation(beforeDrag, 5, 20)));
        });
        view.exec();
    }

    // Once the first picture stands, an idle window asks for no repaint: a blinking text
    // cursor would make the whole window be composed again with OpenGL twice a second.
    void idleWindowRepaintsNothing()
    {
        TD3x view(nullptr, kBlock, 2.0, 1);
        OnNextModal([&](QWidget*) {
            QTRY_VERIFY(view.view()->hasPicture() && !view.timer()->isActive());
            QTest::qWait(100);
            UpdateCounter counter;
            for (QWidget* w : view.findChildren<QWidget*>())
                w->installEventFilter(&counter);
            view.installEventFilter(&counter);
            QTest::qWait(1300);   // longer than two cursor blinks
            QCOMPARE(counter.paints, 0);
        });
        view.exec();
    }

    void stepIsKeptForTheNextWindow()
    {
        SettingsStore().WriteInteger("D3D", "tgrad", 3);
        {
            TD3x view(nullptr, kBlock, 2.0, 1);
            QCOMPARE(view.findChild<QSpinBox*>("CSpinEdit1")->value(), 3);
            OnNextModal([&](QWidget*) { view.findChild<QSpinBox*>("CSpinEdit1")->setValue(7); });
            view.exec();
        }
        QCOMPARE(SettingsStore().ReadInteger("D3D", "tgrad", 3), 7);
        TD3x next(nullptr, kBlock, 2.0, 1);
        QCOMPARE(next.step(), 7);

        // A stored step outside 1 ... 10 is brought into range.
        SettingsStore().WriteInteger("D3D", "tgrad", 40);
        TD3x clamped(nullptr, kBlock, 2.0, 1);
        QCOMPARE(clamped.step(), 10);
    }

    void englishInterfaceLeavesNoRussian()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        QStringList left;
        {
            TD3x view(nullptr, kBlock, 2.0, 1);
            QVERIFY(view.drawingReady());
            OnNextModal([&](QWidget*) {
                QTRY_VERIFY(view.view()->hasPicture() && !view.timer()->isActive());
                left = RussianTexts(&view);
            });
            view.exec();
        }
        InstallLanguage(UiLanguage::Russian);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }

private:
    QTemporaryDir storeDir;
};

QTEST_MAIN(TestD3x)
#include "tst_gl_d3x.moc"
