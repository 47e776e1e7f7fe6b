// The per-user settings store: sections and typed values on QSettings (an INI file under the
// user's configuration folder, "Sonorix/Sonorix.ini", read and written as plain text by the
// store itself, so no value in the file is ever deserialised). Every load or save opens the
// store, does its reads or writes and releases it, so each write is on disk when the call returns.
#pragma once

#include "Settings.h"

#include <QString>

class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // A value that is missing or of another type than asked for yields the default.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    double ReadFloat(const QString& section, const QString& key, double def) const;
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);   // "0" or "1"
    void WriteFloat(const QString& section, const QString& key, double value);

    // Where the store lives. Tests and the batch tool point it elsewhere; an empty name
    // returns to the user's own store.
    static void SetFileName(const QString& path);
    static QString FileName();

private:
    struct Impl;
    Impl* d_;
};

// The whole record, in the order the program has always loaded it ("Chs" before any
// sensitivity key, because the sensitivity key numbers go through the channel order).
void LoadSettings(Settings& s);
// The part of the record the main window writes when it is closed.
void SaveMainCloseSettings(const Settings& s);
// Constants, calibration and frame settings, after the settings dialog.
void SaveSettingsDialogKeys(const Settings& s);
// The channel order, after the channel-order dialog.
void SaveChannelOrderKeys(const Settings& s);
// The six appearance keys of one chart (0-based), written at once by the chart-axis dialog.
void SaveChartAppearance(const Settings& s, int chart);
