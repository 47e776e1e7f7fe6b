#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include "SettingLimits.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {
QString g_fileName;

QString defaultFileName()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(QStringLiteral("Sonorix/Sonorix.ini"));
}

QString keyOf(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

// Values are kept as text we control, so that a value written by any other program in
// the INI form ("1", "true", "0.5") reads the same, and anything else reads as missing.
bool textOf(const QSettings& st, const QString& path, QString& out)
{
    const QVariant v = st.value(path);
    if (!v.isValid())
        return false;
    if (v.typeId() == QMetaType::QString) {
        out = v.toString().trimmed();
        return true;
    }
    if (v.canConvert<double>() && v.typeId() != QMetaType::QStringList) {
        out = v.toString();
        return true;
    }
    return false;
}

// The store's file is read and written here rather than by QSettings' own INI format, which
// turns values of the form "@Variant(...)" into objects by deserialising their bytes: a few
// bytes of a damaged or foreign file could then ask for gigabytes before a single key was
// read. Here every value is the text after "=", so anything the program does not write reads
// as missing. The layout is the same as before ("[Section]" lines, "key=value" lines, keys
// percent-encoded as QSettings writes them), so existing stores read as they did.

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
QString parseStore(const QByteArray& bytes, QSettings::SettingsMap& map)
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

bool readStore(QIODevice& device, QSettings::SettingsMap& map)
{
    if (device.size() > kMaxStoreBytes) {
        map.clear();
        return false;
    }
    return parseStore(device.read(kMaxStoreBytes + 1), map).isEmpty();
}

// Why the store file at path cannot be read fully; empty when it can, or when there is none.
QString storeFileProblem(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("SettingsStore", "файл не открывается для чтения: %1")
            .arg(file.errorString());
    if (file.size() > kMaxStoreBytes)
        return QCoreApplication::translate("SettingsStore", "файл больше 1 МБ");
    const QByteArray bytes = file.read(kMaxStoreBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return QCoreApplication::translate("SettingsStore", "ошибка чтения: %1").arg(file.errorString());
    QSettings::SettingsMap ignored;
    return parseStore(bytes, ignored);
}

QByteArray encodedName(const QString& name)
{
    return name.toUtf8().toPercentEncoding();
}

bool writeStore(QIODevice& device, const QSettings::SettingsMap& map)
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
        QString value = it.value().toString();
        value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        // Quotes keep outer blanks and outer quotes, which the reader would otherwise drop.
        if (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace() ||
                                 (value.size() >= 2 && isQuote(value.front()) && isQuote(value.back()))))
            value = QLatin1Char('"') + value + QLatin1Char('"');
        out += encodedName(it.key().mid(slash + 1)) + '=' + value.toUtf8() + '\n';
    }
    return device.write(out) == out.size();
}

QSettings::Format storeFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), readStore, writeStore);
    return format;
}
}   // namespace

struct SettingsStore::Impl {
    // Not opened while the file is one the program cannot read fully: such a store reads as
    // empty and takes no writes, so the user's file is never replaced by the program's
    // defaults, whoever writes a key.
    std::optional<QSettings> settings;
    QString problem;
    Impl() : problem(storeFileProblem(FileName()))
    {
        if (problem.isEmpty())
            settings.emplace(FileName(), storeFormat());
    }
};

SettingsStore::SettingsStore() : d_(new Impl) {}

SettingsStore::~SettingsStore()
{
    if (d_->settings)
        d_->settings->sync();
    delete d_;
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
    return d_->settings && d_->settings->contains(keyOf(section, key));
}

int SettingsStore::ReadInteger(const QString& section, const QString& key, int def) const
{
    QString t;
    if (!d_->settings || !textOf(*d_->settings, keyOf(section, key), t))
        return def;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? v : def;
}

bool SettingsStore::ReadBool(const QString& section, const QString& key, bool def) const
{
    QString t;
    if (!d_->settings || !textOf(*d_->settings, keyOf(section, key), t))
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
    if (!d_->settings || !textOf(*d_->settings, keyOf(section, key), t))
        return def;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? v : def;
}

void SettingsStore::WriteInteger(const QString& section, const QString& key, int value)
{
    if (d_->settings)
        d_->settings->setValue(keyOf(section, key), QString::number(value));
}

void SettingsStore::WriteBool(const QString& section, const QString& key, bool value)
{
    if (d_->settings)
        d_->settings->setValue(keyOf(section, key), value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::WriteFloat(const QString& section, const QString& key, double value)
{
    // Shortest text that reads back as the same double.
    if (d_->settings)
        d_->settings->setValue(keyOf(section, key),
                               QString::number(value, 'g', QLocale::FloatingPointShortest));
}

QString SettingsStore::ReadText(const QString& section, const QString& key, const QString& def) const
{
    if (!d_->settings)
        return def;
    const QVariant v = d_->settings->value(keyOf(section, key));
    return v.typeId() == QMetaType::QString ? v.toString() : def;
}

void SettingsStore::WriteText(const QString& section, const QString& key, const QString& value)
{
    if (d_->settings)
        d_->settings->setValue(keyOf(section, key), value);
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

    for (int n = 1; n <= 6; ++n)
        s.Chs[n - 1] = st.ReadInteger(kChs, indexed("Chs", n), n - 1);
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

void SaveMainCloseSettings(const Settings& s)
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
}

void SaveSettingsDialogKeys(const Settings& s)
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
}

void SaveChannelOrderKeys(const Settings& s)
{
    // The sensitivity keys are numbered through the order, so they are filed again under the
    // new numbers in the same write: each sensitivity stays with the element the user gave it
    // to, and a store that holds the new order never holds the old numbering.
    SettingsStore st;
    for (int n = 1; n <= 6; ++n)
        st.WriteInteger(kChs, indexed("Chs", n), s.Chs[n - 1]);
    for (int j = 0; j < 6; ++j)
        st.WriteFloat(kMag, chuvKey(s, j), s.Chuv[j]);
}

void SaveChartAppearance(const Settings& s, int chart)
{
    if (chart < 0 || chart > 5)
        return;
    const int j = chart + 1;
    SettingsStore st;
    st.WriteBool(kMag, indexed("G_Auto", j), s.G_Auto[chart]);
    // The single-precision value, widened: what the chart actually uses.
    st.WriteFloat(kMag, indexed("G_Max", j), static_cast<double>(s.G_Max[chart]));
    st.WriteFloat(kMag, indexed("G_Min", j), static_cast<double>(s.G_Min[chart]));
    st.WriteBool(kMag, indexed("G_Setka", j), s.G_Setka[chart]);
    st.WriteInteger(kMag, indexed("G_Color", j), s.G_Color[chart]);
    st.WriteInteger(kMag, indexed("G_Tol", j), s.G_Tol[chart]);
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
