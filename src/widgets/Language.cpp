#include "Language.h"

#include "CoreText.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <vector>

namespace {
const QString kSection = QStringLiteral("Interface");
const QString kKey = QStringLiteral("Language");

UiLanguage g_language = UiLanguage::Russian;

std::vector<QPointer<QTranslator>>& installed()
{
    static std::vector<QPointer<QTranslator>> translators;
    return translators;
}

void removeInstalled()
{
    for (QPointer<QTranslator>& translator : installed()) {
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    installed().clear();
}

bool install(QTranslator* translator)
{
    if (!QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed().emplace_back(translator);
    return true;
}

std::string translateCore(const char* context, const char* source)
{
    return QCoreApplication::translate(context, source).toStdString();
}
}   // namespace

QString LanguageCode(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral("en") : QStringLiteral("ru");
}

UiLanguage StartLanguage(const QLocale& system)
{
    const QString stored = SettingsStore().ReadText(kSection, kKey, QString());
    if (stored == LanguageCode(UiLanguage::English))
        return UiLanguage::English;
    if (stored == LanguageCode(UiLanguage::Russian))
        return UiLanguage::Russian;
    return system.language() == QLocale::Russian ? UiLanguage::Russian : UiLanguage::English;
}

void StoreLanguage(UiLanguage language)
{
    SettingsStore store;
    if (store.ReadText(kSection, kKey, QString()) != LanguageCode(language))
        store.WriteText(kSection, kKey, LanguageCode(language));
}

bool InstallLanguage(UiLanguage language)
{
    removeInstalled();
    SetCoreTranslator(nullptr);
    g_language = UiLanguage::Russian;
    if (!QCoreApplication::instance())
        return language == UiLanguage::Russian;

    // Qt's own dialogs follow the interface: Russian ones for the Russian interface, the
    // untranslated English ones otherwise.
    if (language == UiLanguage::Russian) {
        auto* qt = new QTranslator;
        if (qt->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            install(qt);
        else
            delete qt;
        return true;
    }

    const QDir folder(QStringLiteral(":/i18n"));
    const QStringList files = folder.entryList({QStringLiteral("*_en.qm")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        return false;
    for (const QString& file : files) {
        auto* translator = new QTranslator;
        if (!translator->load(folder.filePath(file))) {
            delete translator;
            removeInstalled();
            return false;
        }
        if (!install(translator)) {
            removeInstalled();
            return false;
        }
    }
    SetCoreTranslator(translateCore);
    g_language = UiLanguage::English;
    return true;
}

UiLanguage CurrentLanguage()
{
    return g_language;
}

CsvForm InterfaceCsvForm()
{
    return g_language == UiLanguage::English ? CsvForm::Plain : CsvForm::Program;
}
