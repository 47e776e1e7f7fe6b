#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>

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

// A store file is a few KB; anything far larger is not one and is read as empty.
constexpr qint64 kMaxStoreBytes = 1 << 20;

bool isQuote(QChar c)
{
    return c == QLatin1Char('"');
}

bool readStore(QIODevice& device, QSettings::SettingsMap& map)
{
    if (device.size() > kMaxStoreBytes)
        return true;
    const QString text = QString::fromUtf8(device.read(kMaxStoreBytes));
    QString section;
    for (QStringView line : QStringView(text).split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")))) {
        line = line.trimmed();
        if (line.isEmpty() || line.front() == QLatin1Char(';') || line.front() == QLatin1Char('#'))
            continue;
        if (line.front() == QLatin1Char('[')) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            section = QString::fromUtf8(QByteArray::fromPercentEncoding(
                line.mid(1, close < 0 ? -1 : close - 1).trimmed().toUtf8()));
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = QString::fromUtf8(QByteArray::fromPercentEncoding(line.left(eq).trimmed().toUtf8()));
        QStringView value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && isQuote(value.front()) && isQuote(value.back()))
            value = value.mid(1, value.size() - 2);
        // Keys outside any section sit in "General", as QSettings files them.
        const bool topLevel = section.isEmpty() || section == QLatin1String("General");
        const QString path = topLevel ? key : section + QLatin1Char('/') + key;
        if (!map.contains(path))   // the first of two keys wins
            map.insert(path, value.toString());
    }
    return true;
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
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("ini"), readStore, writeStore);
    return format;
}
}  // namespace

struct SettingsStore::Impl {
    QSettings settings;
    Impl() : settings(FileName(), storeFormat()) {}
};

SettingsStore::SettingsStore() : d_(new Impl) {}

SettingsStore::~SettingsStore()
{
    d_->settings.sync();
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

int SettingsStore::ReadInteger(const QString& section, const QString& key, int def) const
{
    QString t;
    if (!textOf(d_->settings, keyOf(section, key), t))
        return def;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? v : def;
}

bool SettingsStore::ReadBool(const QString& section, const QString& key, bool def) const
{
    QString t;
    if (!textOf(d_->settings, keyOf(section, key), t))
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
    if (!textOf(d_->settings, keyOf(section, key), t))
        return def;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? v : def;
}

void SettingsStore::WriteInteger(const QString& section, const QString& key, int value)
{
    d_->settings.setValue(keyOf(section, key), QString::number(value));
}

void SettingsStore::WriteBool(const QString& section, const QString& key, bool value)
{
    d_->settings.setValue(keyOf(section, key), value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::WriteFloat(const QString& section, const QString& key, double value)
{
    // Shortest text that reads back as the same double.
    d_->settings.setValue(keyOf(section, key),
                          QString::number(value, 'g', QLocale::FloatingPointShortest));
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
}  // namespace

void LoadSettings(Settings& s)
{
    const Settings def = DefaultSettings();
    SettingsStore st;

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
    s.NULL_ADC = st.ReadInteger(kMag, "NULL_ADC", def.NULL_ADC);

    for (int n = 1; n <= 6; ++n)
        s.Chs[n - 1] = st.ReadInteger(kChs, indexed("Chs", n), n - 1);

    for (int j = 1; j <= 6; ++j) {
        const int i = j - 1;
        s.G_Auto[i] = st.ReadBool(kMag, indexed("G_Auto", j), def.G_Auto[i]);
        s.G_Max[i] = static_cast<float>(st.ReadFloat(kMag, indexed("G_Max", j), def.G_Max[i]));
        s.G_Min[i] = static_cast<float>(st.ReadFloat(kMag, indexed("G_Min", j), def.G_Min[i]));
        s.G_Setka[i] = st.ReadBool(kMag, indexed("G_Setka", j), def.G_Setka[i]);
        s.G_Color[i] = st.ReadInteger(kMag, indexed("G_Color", j), def.G_Color[i]);
        s.G_Tol[i] = st.ReadInteger(kMag, indexed("G_Tol", j), def.G_Tol[i]);
        s.G_Vis[i] = st.ReadBool(kMag, indexed("G_Vis", j), def.G_Vis[i]);
        s.Chuv[i] = st.ReadFloat(kMag, chuvKey(s, i), def.Chuv[i]);
    }

    s.S_PA_OR_VOLT = st.ReadInteger(kSav, "S_PA_OR_VOLT", def.S_PA_OR_VOLT);
    s.plotnost = st.ReadFloat(kSav, "plotnost", def.plotnost);
    s.VOLT = st.ReadFloat(kSav, "VOLT", def.VOLT);
    s.skorost = st.ReadFloat(kSav, "skorost", def.skorost);
    for (int n = 1; n <= 3; ++n)
        s.lmic[n - 1] = st.ReadFloat(kSav, indexed("lmic", n), def.lmic[n - 1]);
    s.S_Fmin = st.ReadInteger(kSav, "S_Fmin", def.S_Fmin);
    s.S_Fmax = st.ReadInteger(kSav, "S_Fmax", def.S_Fmax);
    s.impuls = st.ReadBool(kSav, "impuls", true) ? 1 : 0;
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
}

void SaveChannelOrderKeys(const Settings& s)
{
    SettingsStore st;
    for (int n = 1; n <= 6; ++n)
        st.WriteInteger(kChs, indexed("Chs", n), s.Chs[n - 1]);
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
