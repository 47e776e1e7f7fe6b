// The channel-order dialog: what it shows, the duplicate check with its focus move, and the
// map it stores.
#include "TChans.h"

#include "InterfaceTexts.h"
#include "Language.h"
#include "ModalDriver.h"
#include "RecordingPresenter.h"
#include "Settings.h"
#include "WindowTestSupport.h"

#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <array>

using ChannelMap = std::array<int32_t, 6>;
Q_DECLARE_METATYPE(ChannelMap)

namespace {

QSpinBox* slot(const TChans& dlg, int s)
{
    return dlg.findChild<QSpinBox*>(QString("CSpinEdit%1").arg(s));
}

}   // namespace

class TestTChans : public QObject {
    Q_OBJECT

    Settings record_;
    QTemporaryDir dir_;

private slots:
    void init()
    {
        UseFreshStore(dir_);
        record_ = DefaultSettings();
        PublishSettings(&record_);
    }

    void cleanup()
    {
        ReleaseSettingsAndStore();
        InstallLanguage(UiLanguage::Russian);
    }

    void showsTheMapCountedFromOne()
    {
        {
            TChans dlg(nullptr);
            QCOMPARE(dlg.windowTitle(), QString("Соответствие каналов"));
            for (int s = 1; s <= 6; ++s)
                QCOMPARE(slot(dlg, s)->value(), s);
        }
        record_.Chs = {4, 5, 2, 3, 0, 1};
        TChans dlg(nullptr);
        const int shown[] = {5, 6, 3, 4, 1, 2};
        for (int s = 1; s <= 6; ++s)
            QCOMPARE(slot(dlg, s)->value(), shown[s - 1]);
    }

    void refusesARepeatedChannel_data()
    {
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<int>("focusSlot");
        QTest::newRow("first two equal") << QList<int>{1, 1, 3, 4, 5, 6} << 1;
        QTest::newRow("first slot repeats later") << QList<int>{2, 3, 3, 2, 5, 6} << 1;
        QTest::newRow("last two equal") << QList<int>{1, 2, 3, 4, 6, 6} << 5;
        QTest::newRow("all equal") << QList<int>{4, 4, 4, 4, 4, 4} << 1;
    }

    void refusesARepeatedChannel()
    {
        QFETCH(QList<int>, values);
        QFETCH(int, focusSlot);
        RecordingPresenter presenter;
        TChans dlg(nullptr);
        for (int s = 1; s <= 6; ++s)
            slot(dlg, s)->setValue(values[s - 1]);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(dlg.findChild<QPushButton*>("Button1"), Qt::LeftButton);

        QCOMPARE(presenter.messages.size(), size_t{1});
        QCOMPARE(presenter.messages[0].kind, MessageKind::Plain);
        QCOMPARE(QString::fromStdString(presenter.messages[0].text),
                 QString("Не может быть одинаковых каналов"));
        QWidget* focused = dlg.focusWidget();
        QVERIFY(focused);
        QVERIFY2(focused == slot(dlg, focusSlot) || slot(dlg, focusSlot)->isAncestorOf(focused),
                 qPrintable("focus on " + focused->objectName()));
        QVERIFY(dlg.isVisible());
        QCOMPARE(record_.Chs, (ChannelMap{0, 1, 2, 3, 4, 5}));
    }

    void speaksEnglish()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        RecordingPresenter presenter;
        TChans dlg(nullptr);
        const QStringList left = RussianTexts(&dlg);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        QCOMPARE(dlg.windowTitle(), QString("Channel mapping"));
        slot(dlg, 2)->setValue(1);
        QTest::mouseClick(dlg.findChild<QPushButton*>("Button1"), Qt::LeftButton);
        QCOMPARE(presenter.messages.size(), size_t{1});
        QCOMPARE(QString::fromStdString(presenter.messages[0].text), QString("Channels cannot repeat"));
    }

    void storesAPermutationCountedFromZero()
    {
        RecordingPresenter presenter;
        TChans dlg(nullptr);
        const int values[] = {5, 6, 3, 4, 1, 2};
        for (int s = 1; s <= 6; ++s)
            slot(dlg, s)->setValue(values[s - 1]);
        OnNextModal(
            [](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("Button1"), Qt::LeftButton); });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(presenter.messages.empty());
        QCOMPARE(record_.Chs, (ChannelMap{4, 5, 2, 3, 0, 1}));
        Settings stored;
        LoadSettings(stored);
        QCOMPARE(stored.Chs, (ChannelMap{4, 5, 2, 3, 0, 1}));
    }

    // A store that takes nothing: the user is told why and chooses; "No" keeps the dialog open
    // with the order entered and the record as it was, "Yes" applies it for the session.
    void aStoreThatCannotBeWrittenLeavesTheChoiceToTheUser()
    {
        QFile blocker(dir_.filePath("blocker"));   // a file where the store's folder would be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString store = dir_.filePath("blocker/store.ini");
        SettingsStore::SetFileName(store);
        RecordingPresenter presenter;
        presenter.answers = {IDNO, IDYES};
        TChans dlg(nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        slot(dlg, 1)->setValue(2);
        slot(dlg, 2)->setValue(1);
        QTest::mouseClick(dlg.findChild<QPushButton*>("Button1"), Qt::LeftButton);
        QCOMPARE(presenter.messages.size(), size_t{1});
        const QString text = QString::fromStdString(presenter.messages[0].text);
        QVERIFY2(text.contains(store) && text.contains("Not a directory"), qPrintable(text));
        QCOMPARE(presenter.messages[0].flags, int(MB_YESNO | MB_ICONWARNING));
        QVERIFY(dlg.isVisible());
        QCOMPARE(slot(dlg, 1)->value(), 2);
        QCOMPARE(record_.Chs, (ChannelMap{0, 1, 2, 3, 4, 5}));

        QTest::mouseClick(dlg.findChild<QPushButton*>("Button1"), Qt::LeftButton);
        QCOMPARE(presenter.messages.size(), size_t{2});
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(record_.Chs, (ChannelMap{1, 0, 2, 3, 4, 5}));
    }

    void closingWithoutSavingKeepsTheMap()
    {
        TChans dlg(nullptr);
        slot(dlg, 1)->setValue(2);
        slot(dlg, 2)->setValue(1);
        OnNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        QCOMPARE(record_.Chs, (ChannelMap{0, 1, 2, 3, 4, 5}));
    }
};

QTEST_MAIN(TestTChans)
#include "tst_tchans.moc"
