// The interface language: the English translation is complete and keeps every placeholder and
// accelerator of its Russian source, it is chosen from the store or the system, and installing
// it turns the core's texts and Qt's own dialogs to English and back.
#include "CoreText.h"
#include "Language.h"
#include "SettingsStore.h"
#include "WindowTestSupport.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>

namespace {
struct Message {
    QString file, context, source, translation;
    bool finished = false;
};

QList<Message> readTs(const QString& path)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message m;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("message"))
            m = Message{QFileInfo(path).fileName(), context, {}, {}, false};
        else if (xml.name() == QLatin1String("source"))
            m.source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            m.finished = type.isEmpty();
            m.translation = xml.readElementText();
            messages << m;
        }
    }
    return messages;
}

QStringList placeholders(const QString& text)
{
    static const QRegularExpression place(QStringLiteral("%(?:L?\\d+|n)"));
    QStringList found;
    for (auto it = place.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}
}   // namespace

class TestLanguage : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() { UseFreshStore(dir_); }
    void cleanupTestCase() { ReleaseSettingsAndStore(); }
    void init() { InstallLanguage(UiLanguage::Russian); }
    void cleanup() { InstallLanguage(UiLanguage::Russian); }

    void everyTextHasAFaithfulEnglishTranslation()
    {
        const QDir folder(QStringLiteral(SONORIX_TRANSLATIONS_DIR));
        const QStringList files = folder.entryList({QStringLiteral("*_en.ts")}, QDir::Files);
        QVERIFY(!files.isEmpty());
        static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
        QStringList faults;
        for (const QString& name : files) {
            for (const Message& m : readTs(folder.filePath(name))) {
                const QString where = QStringLiteral("%1 %2 \"%3\"").arg(m.file, m.context, m.source);
                if (!m.finished || m.translation.isEmpty())
                    faults << where + QStringLiteral(": not translated");
                else if (placeholders(m.source) != placeholders(m.translation))
                    faults << where + QStringLiteral(": placeholders differ");
                else if (m.source.contains(QLatin1Char('&')) != m.translation.contains(QLatin1Char('&')))
                    faults << where + QStringLiteral(": accelerator differs");
                else if (m.translation.contains(cyrillic) && !m.source.contains(QStringLiteral("Language")))
                    faults << where + QStringLiteral(": Russian left in the translation");
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void startLanguageFromTheStoreElseTheSystem()
    {
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        const QLocale german(QLocale::German, QLocale::Germany);
        SettingsStore().WriteText(QStringLiteral("Interface"), QStringLiteral("Language"), QString());
        QCOMPARE(StartLanguage(russian), UiLanguage::Russian);
        QCOMPARE(StartLanguage(german), UiLanguage::English);
        StoreLanguage(UiLanguage::English);
        QCOMPARE(StartLanguage(russian), UiLanguage::English);
        StoreLanguage(UiLanguage::Russian);
        QCOMPARE(StartLanguage(german), UiLanguage::Russian);
    }

    // Qt's own buttons and the core's texts follow the installed language, and Russian restores both.
    void installingSwitchesQtAndCoreTexts()
    {
        const auto cancelText = [] {
            QDialogButtonBox box(QDialogButtonBox::Cancel);
            return box.button(QDialogButtonBox::Cancel)->text();
        };
        QVERIFY(InstallLanguage(UiLanguage::Russian));
        QVERIFY2(cancelText().contains("Отмена"), qPrintable(cancelText()));
        QCOMPARE(QString::fromStdString(CoreText("MessageBox", "Ошибка")), QStringLiteral("Ошибка"));
        QVERIFY(InstallLanguage(UiLanguage::English));
        QCOMPARE(CurrentLanguage(), UiLanguage::English);
        QVERIFY2(cancelText().contains("Cancel"), qPrintable(cancelText()));
        QCOMPARE(QString::fromStdString(CoreText("MessageBox", "Ошибка")), QStringLiteral("Error"));
        QVERIFY(InstallLanguage(UiLanguage::Russian));
        QCOMPARE(CurrentLanguage(), UiLanguage::Russian);
        QCOMPARE(QString::fromStdString(CoreText("MessageBox", "Ошибка")), QStringLiteral("Ошибка"));
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
