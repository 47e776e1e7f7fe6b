// The filter options dialog: the select-all buttons, the modal results the filtering command
// tells apart, and what typed spin-edit text reads as.
#include "TMath.h"
#include "ui_TMath.h"

#include "InterfaceTexts.h"
#include "Language.h"
#include "ModalDriver.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include <functional>

using CloseAction = std::function<void(QDialog*)>;
Q_DECLARE_METATYPE(CloseAction)

class TestTMath : public QObject {
    Q_OBJECT

private slots:
    void selectAllAndNoneReachEveryChannel()
    {
        TMath dlg(nullptr);
        const auto& boxes = dlg.channelBoxes();
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(boxes[c]->objectName(), QString("CheckBox%1").arg(c + 1));
            QVERIFY(!boxes[c]->isChecked());
        }
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        boxes[2]->setChecked(true);
        QTest::mouseClick(dlg.form()->Button1, Qt::LeftButton);
        for (QCheckBox* box : boxes)
            QVERIFY(box->isChecked());
        QTest::mouseClick(dlg.form()->Button4, Qt::LeftButton);
        for (QCheckBox* box : boxes)
            QVERIFY(!box->isChecked());
    }

    void closingGivesTheResultTheCallerTellsApart_data()
    {
        QTest::addColumn<CloseAction>("close");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("Применить") << CloseAction([](QDialog* d) {
            d->findChild<QPushButton*>("Button2")->click();
        }) << false;
        QTest::newRow("Отмена") << CloseAction([](QDialog* d) {
            d->findChild<QPushButton*>("Button3")->click();
        }) << true;
        QTest::newRow("close box") << CloseAction([](QDialog* d) { d->close(); }) << false;
    }

    void closingGivesTheResultTheCallerTellsApart()
    {
        QFETCH(CloseAction, close);
        QFETCH(bool, cancelled);
        TMath dlg(nullptr);
        OnNextModal([close](QWidget* w) { close(qobject_cast<QDialog*>(w)); });
        const int result = dlg.exec();
        QCOMPARE(result == TMath::kResultNo, cancelled);
        if (!cancelled)
            QVERIFY(result == TMath::kResultYes || result == QDialog::Rejected);
    }

    void typedTextReadsAsAValueInRange_data()
    {
        QTest::addColumn<QString>("spin");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expected");
        QTest::newRow("order above 6") << "CSpinEdit1"
                                       << "9" << 6;
        QTest::newRow("order in range") << "CSpinEdit1"
                                        << "4" << 4;
        QTest::newRow("Fmax above 100000") << "CSpinEdit3"
                                           << "200000" << 100000;
        QTest::newRow("Fmax far above") << "CSpinEdit3"
                                        << "99999999999" << 100000;
        QTest::newRow("Fmin not a number") << "CSpinEdit2"
                                           << "12a" << 0;
        QTest::newRow("Fmin negative") << "CSpinEdit2"
                                       << "-5" << 0;
        QTest::newRow("Fmax emptied") << "CSpinEdit3"
                                      << "" << 0;
    }

    void typedTextReadsAsAValueInRange()
    {
        QFETCH(QString, spin);
        QFETCH(QString, typed);
        QFETCH(int, expected);
        TMath dlg(nullptr);
        auto* box = dlg.findChild<QSpinBox*>(spin);
        QVERIFY(box);
        // A start value that none of the rows expects, so a refused entry shows.
        box->setValue(3);
        // Typed as a user would, then applied: what the filtering command reads afterwards.
        OnNextModal([box, typed](QWidget* w) {
            box->setFocus();
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Delete);
            QTest::keyClicks(box, typed);
            QTest::mouseClick(w->findChild<QPushButton*>("Button2"), Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), int(TMath::kResultYes));
        QCOMPARE(box->value(), expected);
        QCOMPARE(box->text(), QString::number(expected));
    }

    void englishInterfaceLeavesNoRussian()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        QStringList left;
        {
            TMath dlg(nullptr);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            left = RussianTexts(&dlg);
            // The fixed size was taken from the English captions: none of them is cut short.
            for (QPushButton* button : dlg.findChildren<QPushButton*>())
                QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
        }
        InstallLanguage(UiLanguage::Russian);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }
};

QTEST_MAIN(TestTMath)
#include "tst_tmath.moc"
