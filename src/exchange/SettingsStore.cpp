#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>

#include "SafeFile.h"
#include "SettingLimits.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString g_fileName;
int g_lockTimeoutMs = 10000;

// Keys ("Section/key", or a bare key outside any section) and their values as the file has them.
using StoreMap = QMap<QString, QString>;

QString defaultFileName()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(QStringLiteral("Sonorix/Sonorix.ini"));
}

QString keyOf(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

// The store's file is read and written here rather than by the toolkit's own INI format, which
// turns values of the form "@Variant(...)" into objects by deserialising their bytes: a few
// bytes of a damaged or foreign file could then ask for gigabytes before a single key was
// read. Here every value is the text after "=", so anything the program does not write reads
// as missing. The layout is the same as before ("[Section]" lines, "key=value" lines, keys
// percent-encoded as the toolkit writes them), so existing stores read as they did.

// A store file is a few KB; anything far larger is not one.
constexpr qint64 kMaxStoreBytes = 1 << 20;

bool isQuote(QChar c)
{
    return c == QLatin1Char('"');
}

// Reads the text of a store file into map. Returns why the file is not one the program can
// read fully (in words for the user's message), or an empty text when every line was read.
// A file that is not read fully is not read at all: half a store would mix the user's values
// with defaults and then be written back as if it were the user's.
QString parseStore(const QByteArray& bytes, StoreMap& map)
{
    map.clear();
    if (bytes.size() > kMaxStoreBytes)
        return QCoreApplication::translate("SettingsStore", "файл больше 1 МБ");
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QCoreApplication::translate("SettingsStore", "файл не в кодировке UTF-8");
    if (text.startsWith(QChar(0xFEFF)))   // a byte-order mark some editors add
        text.remove(0, 1);
    for (const QChar c : std::as_const(text)) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            return QCoreApplication::translate("SettingsStore", "в файле двоичные данные");
    }
    QString section;
    int lineNumber = 0;
    for (QStringView line : QStringView(text).split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")))) {
        ++lineNumber;
        line = line.trimmed();
        if (line.isEmpty() || line.front() == QLatin1Char(';') || line.front() == QLatin1Char('#'))
            continue;
        const QString notIni = QCoreApplication::translate(
                                   "SettingsStore", "строка %1 не является ни заголовком раздела, ни ключом")
                                   .arg(lineNumber);
        if (line.front() == QLatin1Char('[')) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            if (close < 0) {
                map.clear();
                return notIni;
            }
            section =
                QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(1, close - 1).trimmed().toUtf8()));
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            map.clear();
            return notIni;
        }
        const QString key =
            QString::fromUtf8(QByteArray::fromPercentEncoding(line.left(eq).trimmed().toUtf8()));
        QStringView value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && isQuote(value.front()) && isQuote(value.back()))
            value = value.mid(1, value.size() - 2);
        // Keys outside any section sit in "General", as QSettings files them.
        const bool topLevel = section.isEmpty() || section == QLatin1String("General");
        const QString path = topLevel ? key : section + QLatin1Char('/') + key;
        if (!map.contains(path))   // the first of two keys wins
            map.insert(path, value.toString());
    }
    return QString();
}

std::string localName(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString systemText(int error)
{
    return QString::fromStdString(std::generic_category().message(error == 0 ? EIO : error));
}

// Reads the store file at path into map. Returns why the file is not one the program can read
// fully, or an empty text; a file that is not there reads as empty. Only a regular file is
// opened, and never so that the open could wait: a named pipe or a device in the store's place
// is refused at once, as a file of another program's making would be.
QString readStoreFile(const QString& path, StoreMap& map)
{
    map.clear();
    const std::string name = localName(path);
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0)
        return QString();
    std::error_code refused;
    const int fd = OpenRegularFileForReading(name, refused);
    if (fd < 0)
        return QCoreApplication::translate("SettingsStore", "файл не открывается для чтения: %1")
            .arg(QString::fromStdString(refused.message()));
    QByteArray bytes;
    char block[65536];
    int readError = 0;
    while (bytes.size() <= kMaxStoreBytes) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            readError = errno;
        if (n <= 0)
            break;
        bytes.append(block, static_cast<qsizetype>(n));
    }
    ::close(fd);
    if (readError != 0)
        return QCoreApplication::translate("SettingsStore", "ошибка чтения: %1").arg(systemText(readError));
    return parseStore(bytes, map);
}

// Why the store file at path cannot be read fully; empty when it can, or when there is none.
QString storeFileProblem(const QString& path)
{
    StoreMap ignored;
    return readStoreFile(path, ignored);
}

QByteArray encodedName(const QString& name)
{
    return name.toUtf8().toPercentEncoding();
}

QByteArray storeBytes(const StoreMap& map)
{
    // The map is ordered by path, so each section's keys come together.
    QByteArray out;
    QString section;
    bool first = true;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        // A foreign top-level key "x/" would come out as a line "=..." under [x], which no
        // reader takes for a key: it is dropped rather than making the whole file unreadable.
        if (slash == it.key().size() - 1)
            continue;
        const QString keySection = slash < 0 ? QStringLiteral("General") : it.key().left(slash);
        if (first || keySection != section) {
            if (!first)
                out += '\n';
            out += '[' + encodedName(keySection) + "]\n";
            section = keySection;
            first = false;
        }
        QString value = it.value();
        value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        // Quotes keep outer blanks and outer quotes, which the reader would otherwise drop.
        if (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace() ||
                                 (value.size() >= 2 && isQuote(value.front()) && isQuote(value.back()))))
            value = QLatin1Char('"') + value + QLatin1Char('"');
        out += encodedName(it.key().mid(slash + 1)) + '=' + value.toUtf8() + '\n';
    }
    return out;
}

// Takes the store's lock, making its folder first (a first start has none). Returns why it
// could not, naming the program that holds it when another one does; empty when taken.
QString takeLock(const QString& file, std::unique_ptr<QLockFile>& lock)
{
    const std::filesystem::path folder = std::filesystem::path(localName(file)).parent_path();
    std::error_code made;
    if (!folder.empty())
        std::filesystem::create_directories(folder, made);
    if (made)
        return QCoreApplication::translate("SettingsStore", "папка %1 не создается: %2")
            .arg(QDir::toNativeSeparators(QFile::decodeName(folder.c_str())),
                 QString::fromStdString(made.message()));
    const QString lockName = file + QStringLiteral(".lock");
    lock = std::make_unique<QLockFile>(lockName);
    errno = 0;
    if (lock->tryLock(g_lockTimeoutMs))
        return QString();
    const int error = errno;
    const QString shown = QDir::toNativeSeparators(lockName);
    if (lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, program;
        if (lock->getLockInfo(&pid, &host, &program))
            return QCoreApplication::translate("SettingsStore",
                                               "файл настроек записывает другая программа: %1 (процесс %2 "
                                               "на компьютере %3) держит блокировку %4 дольше %5 с")
                .arg(program.isEmpty() ? QStringLiteral("?") : program)
                .arg(pid)
                .arg(host.isEmpty() ? QStringLiteral("?") : host, shown)
                .arg(g_lockTimeoutMs / 1000.0);
        return QCoreApplication::translate("SettingsStore",
                                           "файл настроек записывает другая программа: блокировка %1")
            .arg(shown);
    }
    return QCoreApplication::translate("SettingsStore", "файл блокировки %1 не создается: %2")
        .arg(shown, systemText(error == 0 ? EACCES : error));
}
}   // namespace

struct SettingsStore::Impl {
    QString file;
    StoreMap values;    // as the file had them when read
    StoreMap changes;   // written through this store, not yet saved
    // Why the file cannot be read fully, or empty. Such a store reads as empty and writes
    // nothing, so the user's file is never replaced by the program's defaults.
    QString problem;
    std::unique_ptr<QLockFile> lock;   // held from construction (LockNow)
    QString lockProblem;

    const QString* find(const QString& path) const
    {
        if (auto it = changes.constFind(path); it != changes.constEnd())
            return &*it;
        if (auto it = values.constFind(path); it != values.constEnd())
            return &*it;
        return nullptr;
    }
};

SettingsStore::SettingsStore() : d_(new Impl)
{
    d_->file = FileName();
    d_->problem = readStoreFile(d_->file, d_->values);
}

SettingsStore::SettingsStore(LockNow) : d_(new Impl)
{
    d_->file = FileName();
    d_->lockProblem = takeLock(d_->file, d_->lock);
    d_->problem = readStoreFile(d_->file, d_->values);
}

SettingsStore::~SettingsStore()
{
    (void)Save();
    delete d_;
}

void SettingsStore::SetLockTimeout(int milliseconds)
{
    g_lockTimeoutMs = milliseconds;
}

StoreStatus SettingsStore::Save()
{
    if (d_->changes.isEmpty())
        return {};
    StoreMap changes;
    changes.swap(d_->changes);
    const auto unreadable = [](const QString& why) {
        return StoreStatus{
            QCoreApplication::translate(
                "SettingsStore", "файл настроек не удалось прочитать (%1), и программа его не изменяет")
                .arg(why)};
    };
    if (!d_->problem.isEmpty())
        return unreadable(d_->problem);
    if (!d_->lockProblem.isEmpty())
        return {d_->lockProblem};
    std::unique_ptr<QLockFile> lock;
    if (!d_->lock) {
        if (const QString why = takeLock(d_->file, lock); !why.isEmpty())
            return {why};
    }
    // Another writer may have changed the file since it was read: only this store's own keys
    // go over what is there now.
    StoreMap current;
    if (const QString why = readStoreFile(d_->file, current); !why.isEmpty())
        return unreadable(why);
    for (auto it = changes.constBegin(); it != changes.constEnd(); ++it)
        current.insert(it.key(), it.value());
    const QByteArray bytes = storeBytes(current);
    const SafeWriteResult written = WriteFileSafely(
        localName(d_->file), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), true);
    if (!written.ok)
        return {QString::fromStdString(written.errorText)};
    d_->values = current;
    return {};
}

void SettingsStore::SetFileName(const QString& path)
{
    g_fileName = path;
}

QString SettingsStore::FileName()
{
    return g_fileName.isEmpty() ? defaultFileName() : g_fileName;
}

QString SettingsStore::UnreadableReason() const
{
    return d_->problem;
}

bool SettingsStore::Contains(const QString& section, const QString& key) const
{
    return d_->find(keyOf(section, key)) != nullptr;
}

namespace {
// Values are kept as text we control, so that a value written by any other program in the
// INI form ("1", "true", "0.5") reads the same, and anything else reads as missing.
bool textOf(const QString* value, QString& out)
{
    if (!value)
        return false;
    out = value->trimmed();
    return true;
}
}   // namespace

int SettingsStore::ReadInteger(const QString& section, const QString& key, int def) const
{
    QString t;
    if (!textOf(d_->find(keyOf(section, key)), t))
        return def;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? v : def;
}

bool SettingsStore::ReadBool(const QString& section, const QString& key, bool def) const
{
    QString t;
    if (!textOf(d_->find(keyOf(section, key)), t))
        return def;
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    return ok ? v != 0 : def;
}

double SettingsStore::ReadFloat(const QString& section, const QString& key, double def) const
{
    QString t;
    if (!textOf(d_->find(keyOf(section, key)), t))
        return def;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? v : def;
}

void SettingsStore::WriteInteger(const QString& section, const QString& key, int value)
{
    d_->changes.insert(keyOf(section, key), QString::number(value));
}

void SettingsStore::WriteBool(const QString& section, const QString& key, bool value)
{
    d_->changes.insert(keyOf(section, key), value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::WriteFloat(const QString& section, const QString& key, double value)
{
    // Shortest text that reads back as the same double.
    d_->changes.insert(keyOf(section, key), QString::number(value, 'g', QLocale::FloatingPointShortest));
}

QString SettingsStore::ReadText(const QString& section, const QString& key, const QString& def) const
{
    const QString* value = d_->find(keyOf(section, key));
    return value ? *value : def;
}

void SettingsStore::WriteText(const QString& section, const QString& key, const QString& value)
{
    d_->changes.insert(keyOf(section, key), value);
}

namespace {
const QString kDemo = QStringLiteral("Demo");
const QString kMag = QStringLiteral("Mag");
const QString kChs = QStringLiteral("Chs");
const QString kSav = QStringLiteral("Sav");

QString indexed(const char* name, int n)
{
    return QLatin1String(name) + QString::number(n);
}

// Sensitivity j is filed under the logical channel its recording slot feeds.
QString chuvKey(const Settings& s, int j)
{
    return indexed("Chuv", s.Chs[j] + 1);
}

bool isPermutation(const std::array<int32_t, 6>& order)
{
    std::array<bool, 6> seen{};
    for (const int32_t channel : order) {
        if (channel < 0 || channel > 5 || seen[static_cast<size_t>(channel)])
            return false;
        seen[static_cast<size_t>(channel)] = true;
    }
    return true;
}

// The stored channel order; a key that is there but holds no integer (a word, a number too
// large for one) reads as -1, an impossible channel, so that it is refused and named like an
// out-of-range one rather than silently taken for its default.
std::array<int32_t, 6> storedChannelOrder(const SettingsStore& st)
{
    std::array<int32_t, 6> order{};
    for (int n = 1; n <= 6; ++n) {
        const QString key = indexed("Chs", n);
        order[static_cast<size_t>(n - 1)] = st.Contains(kChs, key) ? st.ReadInteger(kChs, key, -1) : n - 1;
    }
    return order;
}
}   // namespace

StoreLoadReport LoadSettings(Settings& s)
{
    const Settings def = DefaultSettings();
    SettingsStore st;
    StoreLoadReport report;
    report.unreadable = st.UnreadableReason();

    // A constant that is there but is no number is as impossible as one out of range: it is
    // read as NaN (or an impossible code) so that the range check below refuses and names it.
    const double notANumber = std::numeric_limits<double>::quiet_NaN();
    const auto constant = [&](const QString& section, const QString& key, double fallback) {
        return st.Contains(section, key) ? st.ReadFloat(section, key, notANumber) : fallback;
    };

    s.type_sig = st.ReadInteger(kDemo, "type_sig", def.type_sig);
    s.freq_sig = st.ReadInteger(kDemo, "freq_sig", def.freq_sig);
    s.ampl_sig = st.ReadInteger(kDemo, "ampl_sig", def.ampl_sig);
    s.FI_Z = st.ReadInteger(kDemo, "FI_Z", def.FI_Z);
    s.FI_X = st.ReadInteger(kDemo, "FI_X", def.FI_X);
    s.ampl_noise_sig = st.ReadInteger(kDemo, "ampl_noise_sig", def.ampl_noise_sig);
    s.freq_ocifr = st.ReadInteger(kDemo, "freq_ocifr", def.freq_ocifr);
    s.dlit = st.ReadInteger(kDemo, "dlit", def.dlit);

    s.LCADR = st.ReadInteger(kMag, "LCADR", def.LCADR);
    s.PA_OR_VOLT = st.ReadInteger(kMag, "PA_OR_VOLT", def.PA_OR_VOLT);
    s.Fmin = st.ReadInteger(kMag, "Fmin", def.Fmin);
    s.Fmax = st.ReadInteger(kMag, "Fmax", def.Fmax);
    s.FOrder = st.ReadInteger(kMag, "FOrder", def.FOrder);
    s.prorezM = st.ReadInteger(kMag, "prorezM", def.prorezM);
    s.zader = st.ReadInteger(kMag, "zader", def.zader);
    s.NULL_ADC = st.Contains(kMag, "NULL_ADC") ? st.ReadInteger(kMag, "NULL_ADC", -1) : def.NULL_ADC;

    s.Chs = storedChannelOrder(st);
    // The reader indexes its channels through the map, and the sensitivity keys are numbered
    // through it: anything but a permutation of 0 ... 5 gives way to the default order.
    if (!isPermutation(s.Chs)) {
        for (int n = 1; n <= 6; ++n) {
            if (s.Chs[n - 1] != def.Chs[n - 1])
                report.refused.push_back("Chs" + std::to_string(n));
        }
        s.Chs = def.Chs;
    }

    for (int j = 1; j <= 6; ++j) {
        const int i = j - 1;
        s.G_Auto[i] = st.ReadBool(kMag, indexed("G_Auto", j), def.G_Auto[i]);
        s.G_Max[i] = static_cast<float>(st.ReadFloat(kMag, indexed("G_Max", j), def.G_Max[i]));
        s.G_Min[i] = static_cast<float>(st.ReadFloat(kMag, indexed("G_Min", j), def.G_Min[i]));
        s.G_Setka[i] = st.ReadBool(kMag, indexed("G_Setka", j), def.G_Setka[i]);
        s.G_Color[i] = st.ReadInteger(kMag, indexed("G_Color", j), def.G_Color[i]);
        s.G_Tol[i] = st.ReadInteger(kMag, indexed("G_Tol", j), def.G_Tol[i]);
        s.G_Vis[i] = st.ReadBool(kMag, indexed("G_Vis", j), def.G_Vis[i]);
        s.Chuv[i] = constant(kMag, chuvKey(s, i), def.Chuv[i]);
    }

    s.S_PA_OR_VOLT = st.ReadInteger(kSav, "S_PA_OR_VOLT", def.S_PA_OR_VOLT);
    s.plotnost = constant(kSav, "plotnost", def.plotnost);
    s.VOLT = constant(kSav, "VOLT", def.VOLT);
    s.skorost = constant(kSav, "skorost", def.skorost);
    for (int n = 1; n <= 3; ++n)
        s.lmic[n - 1] = constant(kSav, indexed("lmic", n), def.lmic[n - 1]);
    s.S_Fmin = st.ReadInteger(kSav, "S_Fmin", def.S_Fmin);
    s.S_Fmax = st.ReadInteger(kSav, "S_Fmax", def.S_Fmax);
    s.impuls = st.ReadBool(kSav, "impuls", true) ? Settings::kImpulsPeriodic : Settings::kImpulsImpulse;
    s.I_PO_CHUV = st.ReadBool(kSav, "I_PO_CHUV", def.I_PO_CHUV);

    // Sensitivities are named as the file names them, through the channel order.
    for (const std::string& key : RepairConstants(s)) {
        if (key.rfind("Chuv", 0) == 0 && key.size() == 5)
            report.refused.push_back(chuvKey(s, key[4] - '1').toStdString());
        else
            report.refused.push_back(key);
    }
    return report;
}

StoreStatus SaveMainCloseSettings(const Settings& s)
{
    SettingsStore st;
    st.WriteInteger(kMag, "LCADR", s.LCADR);
    st.WriteInteger(kMag, "PA_OR_VOLT", s.PA_OR_VOLT);
    st.WriteInteger(kMag, "Fmin", s.Fmin);
    st.WriteInteger(kMag, "Fmax", s.Fmax);
    st.WriteInteger(kMag, "FOrder", s.FOrder);
    st.WriteInteger(kMag, "prorezM", s.prorezM);
    st.WriteInteger(kMag, "zader", s.zader);
    st.WriteInteger(kMag, "NULL_ADC", s.NULL_ADC);
    for (int j = 1; j <= 6; ++j)
        st.WriteBool(kMag, indexed("G_Vis", j), s.G_Vis[j - 1]);

    st.WriteInteger(kSav, "S_PA_OR_VOLT", s.S_PA_OR_VOLT);
    st.WriteInteger(kSav, "S_Fmin", s.S_Fmin);
    st.WriteInteger(kSav, "S_Fmax", s.S_Fmax);
    st.WriteInteger(kSav, "impuls", s.impuls);

    st.WriteInteger(kDemo, "type_sig", s.type_sig);
    st.WriteInteger(kDemo, "freq_sig", s.freq_sig);
    st.WriteInteger(kDemo, "ampl_sig", s.ampl_sig);
    st.WriteInteger(kDemo, "FI_Z", s.FI_Z);
    st.WriteInteger(kDemo, "FI_X", s.FI_X);
    st.WriteInteger(kDemo, "ampl_noise_sig", s.ampl_noise_sig);
    st.WriteInteger(kDemo, "freq_ocifr", s.freq_ocifr);
    st.WriteInteger(kDemo, "dlit", s.dlit);
    return st.Save();
}

StoreStatus SaveSettingsDialogKeys(const Settings& s)
{
    SettingsStore st;
    st.WriteFloat(kSav, "plotnost", s.plotnost);
    st.WriteFloat(kSav, "VOLT", s.VOLT);
    st.WriteFloat(kSav, "skorost", s.skorost);
    for (int n = 1; n <= 3; ++n)
        st.WriteFloat(kSav, indexed("lmic", n), s.lmic[n - 1]);
    st.WriteInteger(kMag, "prorezM", s.prorezM);
    st.WriteInteger(kMag, "LCADR", s.LCADR);
    for (int j = 0; j < 6; ++j)
        st.WriteFloat(kMag, chuvKey(s, j), s.Chuv[j]);
    st.WriteInteger(kMag, "NULL_ADC", s.NULL_ADC);
    st.WriteBool(kSav, "I_PO_CHUV", s.I_PO_CHUV);
    return st.Save();
}

StoreStatus SaveChannelOrderKeys(const Settings& s)
{
    // The sensitivity keys are numbered through the order, so they are filed again under the
    // new numbers in the same write: each sensitivity stays with the element the user gave it
    // to, and a store that holds the new order never holds the old numbering.
    SettingsStore st;
    for (int n = 1; n <= 6; ++n)
        st.WriteInteger(kChs, indexed("Chs", n), s.Chs[n - 1]);
    for (int j = 0; j < 6; ++j)
        st.WriteFloat(kMag, chuvKey(s, j), s.Chuv[j]);
    return st.Save();
}

StoreStatus SaveChartAppearance(const Settings& s, int chart)
{
    if (chart < 0 || chart > 5)
        return {};
    const int j = chart + 1;
    SettingsStore st;
    st.WriteBool(kMag, indexed("G_Auto", j), s.G_Auto[chart]);
    // The single-precision value, widened: what the chart actually uses.
    st.WriteFloat(kMag, indexed("G_Max", j), static_cast<double>(s.G_Max[chart]));
    st.WriteFloat(kMag, indexed("G_Min", j), static_cast<double>(s.G_Min[chart]));
    st.WriteBool(kMag, indexed("G_Setka", j), s.G_Setka[chart]);
    st.WriteInteger(kMag, indexed("G_Color", j), s.G_Color[chart]);
    st.WriteInteger(kMag, indexed("G_Tol", j), s.G_Tol[chart]);
    return st.Save();
}

StoreStatus SaveMicrophoneSensitivities(const std::vector<MicrophoneSensitivity>& values)
{
    // The key numbers go through the channel order, which another program may change: it is
    // read under the lock the write holds.
    SettingsStore st(SettingsStore::LockNow::Yes);
    Settings s = DefaultSettings();
    s.Chs = storedChannelOrder(st);
    if (!isPermutation(s.Chs))
        return {QCoreApplication::translate("SettingsStore",
                                            "порядок каналов в файле настроек недопустим (Chs1 ... Chs6)")};
    for (const MicrophoneSensitivity& v : values) {
        if (v.microphone < 0 || v.microphone > 5)
            continue;
        const int element = s.Chs[static_cast<size_t>(v.microphone)];
        st.WriteFloat(kMag, chuvKey(s, element), v.sensitivity);
    }
    return st.Save();
}

QString StoreWriteFailureText(const StoreStatus& status)
{
    return QCoreApplication::translate("SettingsStore", "Настройки не записаны в файл\n%1\nПричина: %2.")
        .arg(QDir::toNativeSeparators(SettingsStore::FileName()), status.error);
}

QString StoreApplyUnsavedQuestion(const StoreStatus& status)
{
    return StoreWriteFailureText(status) + QLatin1Char('\n') +
           QCoreApplication::translate("SettingsStore",
                                       "Применить значения без сохранения, до выхода из программы? "
                                       "«Нет» оставляет окно открытым с введенными значениями.");
}

std::optional<KeptStore> KeepUnreadableStoreAside(const QDate& today)
{
    const QString name = SettingsStore::FileName();
    const QString problem = storeFileProblem(name);
    if (problem.isEmpty())
        return std::nullopt;
    KeptStore kept;
    kept.problem = problem;
    // QFile::rename never replaces an existing file, so an earlier kept store survives.
    const QString base = name + QStringLiteral(".unreadable-") + today.toString(QStringLiteral("yyyy-MM-dd"));
    QFile file(name);
    for (int n = 1; n <= 100; ++n) {
        const QString candidate = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        if (QFileInfo::exists(candidate))
            continue;
        if (file.rename(candidate)) {
            kept.keptAs = candidate;
            return kept;
        }
        if (QFileInfo::exists(name) && !QFileInfo::exists(candidate))
            break;   // not a clash with a kept file: the folder or the file refuses
    }
    kept.error = file.errorString();
    return kept;
}

std::string StoreStartMessage(const std::optional<KeptStore>& kept, const StoreLoadReport& report)
{
    const QString store = QDir::toNativeSeparators(SettingsStore::FileName());
    QString text;
    if (kept && !kept->keptAs.isEmpty()) {
        text = QCoreApplication::translate(
                   "SettingsStore", "Файл настроек не удалось прочитать (%1). Он сохранен под именем\n%2\n"
                                    "Программа начинает работу с настройками по умолчанию.")
                   .arg(kept->problem, QDir::toNativeSeparators(kept->keptAs));
    } else if (kept || !report.unreadable.isEmpty()) {
        const QString problem = kept ? kept->problem : report.unreadable;
        const QString why =
            kept && !kept->error.isEmpty() ? QStringLiteral(" (%1)").arg(kept->error) : QString();
        text =
            QCoreApplication::translate(
                "SettingsStore", "Файл настроек\n%1\nне удалось прочитать (%2) и не удалось переименовать%3. "
                                 "Программа работает с настройками по умолчанию и не изменяет этот файл: "
                                 "настройки этого сеанса не будут сохранены.")
                .arg(store, problem, why);
    } else if (!report.refused.empty()) {
        QStringList keys;
        for (const std::string& key : report.refused)
            keys << QString::fromStdString(key);
        text = QCoreApplication::translate("SettingsStore",
                                           "В файле настроек\n%1\nнедопустимые значения ключей: %2. "
                                           "Вместо них взяты значения по умолчанию.")
                   .arg(store, keys.join(QStringLiteral(", ")));
    }
    return text.toStdString();
}
