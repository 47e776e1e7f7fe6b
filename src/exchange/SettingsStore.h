// The per-user settings store: sections and typed values in an INI file under the user's
// configuration folder, "Sonorix/Sonorix.ini", read and written as plain text by the store
// itself, so no value in the file is ever deserialised. Every load or save opens the store,
// does its reads or writes and releases it, so each write is on disk when the call returns.
//
// Several programs may write the store at once (the desktop program, any number of batch
// runs): a write takes the lock file "<store>.lock" beside it, reads the file again under the
// lock and changes only the keys it was given, so no writer loses another's keys. The file is
// replaced through SafeFileWriter, so a failed write leaves it as it was and says why.
#pragma once

#include "Settings.h"

#include <QDate>
#include <QString>

#include <optional>
#include <string>
#include <vector>

// The outcome of a write to the store: empty when the file holds what was written, else why
// not, in the system's words where the system gave them (a read-only file system, a full disk,
// a lock another program holds).
struct [[nodiscard]] StoreStatus {
    QString error;
    bool ok() const { return error.isEmpty(); }
};

class SettingsStore {
public:
    // Reads the store now; writes go to the file at Save() (or at destruction).
    SettingsStore();
    // Takes the lock first and holds it until destruction, so what is read is what the writes
    // change: for a write whose keys depend on other stored keys (the channel order).
    enum class LockNow { Yes };
    explicit SettingsStore(LockNow);
    // Writes what Save() has not written, and ignores a failure: callers that must tell the
    // user call Save() themselves.
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
    // Text as written (a folder, a name); line breaks in it are stored as blanks.
    QString ReadText(const QString& section, const QString& key, const QString& def) const;
    void WriteText(const QString& section, const QString& key, const QString& value);

    // Writes the keys given since the last Save into the file as it is now, under the lock.
    // Nothing to write is success. Every key given is attempted once: a failed Save is not
    // retried by the destructor.
    StoreStatus Save();

    // Why the file cannot be read fully (too large, not UTF-8 text, a line that is neither a
    // section nor a key), or empty. Such a store reads as empty and ignores every write, so
    // the file stays as it is.
    QString UnreadableReason() const;
    bool Contains(const QString& section, const QString& key) const;

    // Where the store lives. Tests and the batch tool point it elsewhere; an empty name
    // returns to the user's own store.
    static void SetFileName(const QString& path);
    static QString FileName();
    // How long a write waits for another writer's lock (10 s unless a test changes it).
    static void SetLockTimeout(int milliseconds);

private:
    struct Impl;
    Impl* d_;
};

struct StoreLoadReport {
    QString unreadable;                 // why the file could not be read (then all defaults)
    std::vector<std::string> refused;   // keys whose impossible values gave way to defaults
};

// The whole record, in the order the program has always loaded it ("Chs" before any
// sensitivity key, because the sensitivity key numbers go through the channel order).
// A channel order that is not a permutation and constants outside their ranges
// (SettingLimits.h) are replaced by their defaults and named in the report, sensitivities
// by their keys in the file.
StoreLoadReport LoadSettings(Settings& s);
// The part of the record the main window writes when it is closed.
StoreStatus SaveMainCloseSettings(const Settings& s);
// Constants, calibration and frame settings, after the settings dialog.
StoreStatus SaveSettingsDialogKeys(const Settings& s);
// The channel order, after the channel-order dialog, with the sensitivities filed under
// the key numbers of the new order.
StoreStatus SaveChannelOrderKeys(const Settings& s);
// The six appearance keys of one chart (0-based), written at once by the chart-axis dialog.
StoreStatus SaveChartAppearance(const Settings& s, int chart);
// New sensitivities of some microphones (0-based), each filed under its key through the
// channel order the store holds at the moment of the write; no other key changes. A stored
// channel order that is no permutation is refused, and nothing is written.
struct MicrophoneSensitivity {
    int microphone = 0;
    double sensitivity = 0.0;
};
StoreStatus SaveMicrophoneSensitivities(const std::vector<MicrophoneSensitivity>& values);

// The first lines of every window's message about a failed write: the store's file and the
// reason. The window adds what happens to the values.
QString StoreWriteFailureText(const StoreStatus& status);
// The same with the question a dialog asks then: apply the values without saving them (until
// the program ends), or stay open with them.
QString StoreApplyUnsavedQuestion(const StoreStatus& status);

// At start-up, before the load: a store file the program cannot read fully is renamed to
// "<name>.unreadable-<yyyy-MM-dd>" beside it (with "-2", "-3", ... when that name is taken),
// so the program starts from defaults without ever writing over it. Nothing when the file
// reads fully or does not exist; keptAs empty (and error set) when it could not be renamed.
struct KeptStore {
    QString problem;
    QString keptAs;
    QString error;
};
std::optional<KeptStore> KeepUnreadableStoreAside(const QDate& today = QDate::currentDate());

// The one message about the store the main window shows at start-up (UTF-8), or empty.
std::string StoreStartMessage(const std::optional<KeptStore>& kept, const StoreLoadReport& report);
