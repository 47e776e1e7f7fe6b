// What the window tests set up alike: the Russian locale the program's users work in, and
// a settings store of the test's own in a temporary folder, fresh for each test function.
#pragma once

#include "NumberText.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

inline void UseRussianLocale()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SetDecimalSeparator(',');
}

// Points the store at an empty file in dir.
inline void UseFreshStore(const QTemporaryDir& dir)
{
    const QString name = dir.filePath(QStringLiteral("store.ini"));
    QFile::remove(name);
    SettingsStore::SetFileName(name);
}

// The defaults, with the processing window's test signal small (1000 Hz for 1 s), published
// as the program's record, in test-signal mode.
inline void PublishSmallTestSignal(Settings& settings)
{
    settings = DefaultSettings();
    settings.freq_ocifr = 1000;
    settings.dlit = 1;
    PublishSettings(&settings);
    SetTestSignalFlag(true);
}

inline void ReleaseSettingsAndStore()
{
    PublishSettings(nullptr);
    SettingsStore::SetFileName(QString());
}
