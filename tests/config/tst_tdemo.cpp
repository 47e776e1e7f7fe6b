// The test-signal parameter dialog: amplitude conversion both ways, the fields it stores,
// the modal result, and a VOLT that cannot be divided by.
#include "TDemo.h"

#include "InterfaceTexts.h"
#include "Language.h"
#include "ModalDriver.h"
#include "RecordingPresenter.h"
#include "Settings.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

class TDemoTest : public QObject {
    Q_OBJECT

private:
    static QSpinBox* spin(TDemo& d, const char* name) { return d.findChild<QSpinBox*>(name); }

private slots:
    void init() { CurrentSettings() = DefaultSettings(); }
    void cleanup() { InstallLanguage(UiLanguage::Russian); }

    void showsStoredFieldsWithAmplitudeInVolts()
    {
        Settings& s = CurrentSettings();
        s.type_sig = 2;
        s.FI_Z = 30;
        s.freq_ocifr = 65;
        TDemo d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Параметры демосигнала"));
        QCOMPARE(d.findChild<QComboBox*>("ComboBox1")->currentText(), QStringLiteral("Импульс"));
        QCOMPARE(spin(d, "CSpinEdit5")->value(), 8);   // trunc(3276 x 0.00263) = trunc(8.61588)
        QCOMPARE(spin(d, "CSpinEdit3")->value(), 30);
        QCOMPARE(spin(d, "CSpinEdit6")->value(), 65);
        QCOMPARE(spin(d, "CSpinEdit6")->maximum(), 100000000);
    }

    void oneVoltRoundTrips()
    {
        {
            TDemo d(nullptr);
            spin(d, "CSpinEdit5")->setValue(1);
            spin(d, "CSpinEdit1")->setValue(65);
            spin(d, "CSpinEdit7")->setValue(3);
            d.Button1Click();
            QCOMPARE(d.result(), int(QDialog::Accepted));
        }
        QCOMPARE(CurrentSettings().ampl_sig, 381);   // trunc(1 / 0.00263 + 1.0)
        QCOMPARE(CurrentSettings().freq_sig, 65);
        QCOMPARE(CurrentSettings().dlit, 3);
        TDemo again(nullptr);
        QCOMPARE(spin(again, "CSpinEdit5")->value(), 1);
    }

    void unusableVoltKeepsAmplitudeAndSaysSo_data()
    {
        QTest::addColumn<double>("volt");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -0.00263;
        QTest::newRow("too small for 32 bits") << 1e-9;
    }

    void unusableVoltKeepsAmplitudeAndSaysSo()
    {
        QFETCH(double, volt);
        RecordingPresenter presenter;
        CurrentSettings().VOLT = volt;
        TDemo d(nullptr);
        spin(d, "CSpinEdit5")->setValue(5);
        spin(d, "CSpinEdit2")->setValue(20);
        d.Button1Click();
        QCOMPARE(CurrentSettings().ampl_sig, 3276);
        QCOMPARE(CurrentSettings().ampl_noise_sig, 20);   // the other fields are still taken
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].caption, std::string("ВНИМАНИЕ"));
        QVERIFY(presenter.messages[0].text.find("VOLT") != std::string::npos);
    }

    void speaksEnglish()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        RecordingPresenter presenter;
        CurrentSettings().VOLT = 0.0;
        TDemo d(nullptr);
        const QStringList left = RussianTexts(&d);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        QCOMPARE(d.findChild<QComboBox*>("ComboBox1")->itemText(1), QStringLiteral("Square wave"));
        d.Button1Click();
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].caption, std::string("WARNING"));
        QVERIFY2(QString::fromStdString(presenter.messages[0].text).startsWith("Amplitude not changed: VOLT"),
                 presenter.messages[0].text.c_str());
    }

    void onlyAcceptButtonEndsWithOk()
    {
        {
            TDemo d(nullptr);
            OnNextModal([](QWidget* w) { w->findChild<QPushButton*>("Button1")->click(); });
            QCOMPARE(d.exec(), int(QDialog::Accepted));
        }
        CurrentSettings().freq_sig = 77;
        TDemo d(nullptr);
        OnNextModal([](QWidget* w) {
            w->findChild<QSpinBox*>("CSpinEdit1")->setValue(5);
            static_cast<QDialog*>(w)->reject();
        });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QCOMPARE(CurrentSettings().freq_sig, 77);
    }
};

QTEST_MAIN(TDemoTest)
#include "tst_tdemo.moc"
