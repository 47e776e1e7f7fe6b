// The chart-axis dialog: refusals keep it open and store nothing; an accepted edit lands in
// the record and in the store at once, in single precision; the colour button; cancelling.
#include "TReGR.h"

#include "ChartColorButton.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "ModalDriver.h"
#include "NumberText.h"
#include "RecordingPresenter.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

class TReGRTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        UseRussianLocale();
        QVERIFY(dir_.isValid());
    }

    void init()
    {
        CurrentSettings() = DefaultSettings();
        UseFreshStore(dir_);
    }

    void cleanup() { InstallLanguage(UiLanguage::Russian); }
    void cleanupTestCase() { SettingsStore::SetFileName(QString()); }

    void showsChannelSettings()
    {
        Settings& s = CurrentSettings();
        s.G_Max[3] = 12.5f;
        s.G_Min[3] = -0.25f;
        s.G_Auto[3] = false;
        s.G_Tol[3] = 3;
        s.G_Color[3] = 0x0000FF;   // red in the 0x00BBGGRR word
        s.applyAxisToAll = true;
        TReGR d(nullptr, 3);
        QCOMPARE(d.windowTitle(), QStringLiteral("Канал 4"));
        QCOMPARE(d.findChild<QLineEdit*>("Edit2")->text(), QStringLiteral("12,50"));
        QCOMPARE(d.findChild<QLineEdit*>("Edit1")->text(), QStringLiteral("-0,25"));
        QVERIFY(!d.findChild<QCheckBox*>("CheckBox2")->isChecked());
        QVERIFY(!d.findChild<QCheckBox*>("CheckBox1")->isChecked());
        QCOMPARE(d.findChild<QSpinBox*>("CSpinEdit1")->value(), 3);
        QCOMPARE(d.findChild<ChartColorButton*>("ButtonColor1")->color(), QColor(255, 0, 0));
    }

    void refusesBadInput_data()
    {
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("maximum");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");   // empty: focus not moved
        const QString notNumber = QStringLiteral("Неверно введено число!");
        const QString order = QStringLiteral("Максимум должен быть больше минимума!");
        QTest::newRow("equal") << "2"
                               << "2" << order << "";
        QTest::newRow("reversed") << "3"
                                  << "-1" << order << "";
        QTest::newRow("min not a number") << "abc"
                                          << "5" << notNumber << "Edit1";
        QTest::newRow("max not a number") << "1"
                                          << "5x" << notNumber << "Edit2";
        QTest::newRow("point instead of comma") << "0.5"
                                                << "5" << notNumber << "Edit1";
        QTest::newRow("beyond single precision") << "-1e39"
                                                 << "5" << notNumber << "Edit1";
        QTest::newRow("equal once narrowed") << "0,1000000001"
                                             << "0,1000000002" << order << "";
    }

    void refusesBadInput()
    {
        QFETCH(QString, minimum);
        QFETCH(QString, maximum);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        RecordingPresenter presenter;
        TReGR d(nullptr, 0);
        d.findChild<QLineEdit*>("Edit1")->setText(minimum);
        d.findChild<QLineEdit*>("Edit2")->setText(maximum);
        d.findChild<QCheckBox*>("CheckBox2")->setChecked(false);
        d.Button1Click();
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(presenter.messages[0].text), message);
        QCOMPARE(QString::fromStdString(presenter.messages[0].caption), QStringLiteral("ВНИМАНИЕ"));
        QCOMPARE(d.result(), 0);   // still open
        if (!focus.isEmpty())
            QCOMPARE(d.focusWidget(), d.findChild<QWidget*>(focus));
        QCOMPARE(d.findChild<QLineEdit*>("Edit1")->text(), minimum);   // text left as typed
        QVERIFY(CurrentSettings().G_Auto[0]);                          // nothing stored
        QCOMPARE(CurrentSettings().G_Max[0], 5.0f);
        QCOMPARE(SettingsStore().ReadFloat("Mag", "G_Max1", -123.0), -123.0);
    }

    void speaksEnglish()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        RecordingPresenter presenter;
        TReGR d(nullptr, 3);
        const QStringList left = RussianTexts(&d);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        QCOMPARE(d.windowTitle(), QStringLiteral("Channel 4"));
        d.findChild<QLineEdit*>("Edit1")->setText("abc");
        d.Button1Click();
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(presenter.messages[0].text), QStringLiteral("Invalid number!"));
    }

    void storesInSinglePrecisionAndWritesTheStoreAtOnce()
    {
        {
            TReGR d(nullptr, 2);
            d.findChild<QLineEdit*>("Edit2")->setText("0,1");
            d.findChild<QLineEdit*>("Edit1")->setText(" -7,5 ");
            d.findChild<QCheckBox*>("CheckBox2")->setChecked(false);
            d.findChild<QCheckBox*>("CheckBox3")->setChecked(false);
            d.findChild<QCheckBox*>("CheckBox1")->setChecked(true);
            d.findChild<QSpinBox*>("CSpinEdit1")->setValue(2);
            d.findChild<ChartColorButton*>("ButtonColor1")->setColor(QColor(0x12, 0x34, 0x56));
            d.Button1Click();
            QCOMPARE(d.result(), int(QDialog::Accepted));
        }
        const Settings& s = CurrentSettings();
        QCOMPARE(s.G_Max[2], 0.1f);
        QCOMPARE(s.G_Min[2], -7.5f);
        QVERIFY(!s.G_Auto[2] && !s.G_Setka[2]);
        QCOMPARE(s.G_Tol[2], 2);
        QCOMPARE(s.G_Color[2], 0x563412);
        QVERIFY(s.applyAxisToAll);
        QCOMPARE(s.G_Max[0], 5.0f);   // other channels untouched

        SettingsStore store;
        QCOMPARE(store.ReadFloat("Mag", "G_Max3", 0.0), static_cast<double>(0.1f));
        QVERIFY(store.ReadFloat("Mag", "G_Max3", 0.0) != 0.1);
        QCOMPARE(store.ReadFloat("Mag", "G_Min3", 0.0), -7.5);
        QCOMPARE(store.ReadBool("Mag", "G_Auto3", true), false);
        QCOMPARE(store.ReadBool("Mag", "G_Setka3", true), false);
        QCOMPARE(store.ReadInteger("Mag", "G_Color3", 0), 0x563412);
        QCOMPARE(store.ReadInteger("Mag", "G_Tol3", 0), 2);
        QCOMPARE(store.ReadFloat("Mag", "G_Max1", -1.0), -1.0);

        TReGR again(nullptr, 2);
        QCOMPARE(again.findChild<QLineEdit*>("Edit2")->text(), QStringLiteral("0,10"));
    }

    void cancelStoresNothingAndKeepsApplyToAll()
    {
        CurrentSettings().applyAxisToAll = true;
        TReGR d(nullptr, 1);
        OnNextModal([](QWidget* w) {
            w->findChild<QLineEdit*>("Edit2")->setText("99");
            w->findChild<QPushButton*>("Button2")->click();
        });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QVERIFY(CurrentSettings().applyAxisToAll);
        QCOMPARE(CurrentSettings().G_Max[1], 5.0f);
        QVERIFY(!QFile::exists(SettingsStore::FileName()));
    }

    void colourButtonPicksInTheColourDialog()
    {
        TReGR d(nullptr, 0);
        auto* button = d.findChild<ChartColorButton*>("ButtonColor1");
        QCOMPARE(button->color(), QColor(0, 0, 255));   // default word 0xFF0000 is blue
        QVERIFY(!button->icon().isNull());
        bool sawDialog = false;
        OnNextModal([&sawDialog](QWidget* w) {
            auto* dialog = qobject_cast<QColorDialog*>(w);
            sawDialog = dialog != nullptr;
            if (dialog) {
                dialog->setCurrentColor(QColor(0, 128, 0));
                dialog->accept();
            }
        });
        button->click();
        QVERIFY(sawDialog);
        QCOMPARE(button->color(), QColor(0, 128, 0));
        QCOMPARE(WordFromColor(button->color()), 0x008000);
        QCOMPARE(ColorFromWord(0xFF0000), QColor(0, 0, 255));
    }
};

QTEST_MAIN(TReGRTest)
#include "tst_tregr.moc"
