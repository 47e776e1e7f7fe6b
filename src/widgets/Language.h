// The interface language. Russian is the source language of every text; English comes from the
// translations built into the program. The choice is kept in the store; without one the program
// speaks Russian on a Russian system and English elsewhere.
#pragma once

#include "ResultText.h"

#include <QLocale>

enum class UiLanguage { Russian, English };

// The stored choice, or the system's language when none is stored.
UiLanguage StartLanguage(const QLocale& system = QLocale::system());
void StoreLanguage(UiLanguage language);

// Installs the language's translators: the program's own, the core's texts and Qt's own dialogs.
// Returns false when a translation could not be loaded (the interface then stays Russian).
bool InstallLanguage(UiLanguage language);
UiLanguage CurrentLanguage();

// The CSV form the windows write: the program's own Russian form in the Russian interface, the
// plain form other programs read ("," separated, "." decimal, UTF-8) in the English one.
CsvForm InterfaceCsvForm();

// "ru" or "en", as the store writes it.
QString LanguageCode(UiLanguage language);
