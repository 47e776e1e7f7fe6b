// The small shared windows in English: the about box, the maker's page it opens and the wait
// notice with its cancel button.
#include "Language.h"
#include "TAboutBox.h"
#include "TS_Wait.h"
#include "Twww.h"

#include "InterfaceTexts.h"

#include <QtTest>

class TestSmallWindows : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { InstallLanguage(UiLanguage::Russian); }

    void speakEnglish()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        TAboutBox about(nullptr);
        Twww www(nullptr);
        www.navigate();
        TS_Wait notice(nullptr);
        notice.offerCancel([] {});
        QStringList left;
        for (QWidget* window : std::initializer_list<QWidget*>{&about, &www, &notice})
            left << RussianTexts(window);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        QCOMPARE(about.windowTitle(), QString("About"));
        QVERIFY2(www.browser()->toPlainText().contains("Phone: "), qPrintable(www.browser()->toPlainText()));
        QCOMPARE(notice.text(), QString("Reading the file"));
    }
};

QTEST_MAIN(TestSmallWindows)
#include "tst_small_windows.moc"
