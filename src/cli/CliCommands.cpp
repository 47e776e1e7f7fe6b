#include "CliCommands.h"

#include "CliIntensity.h"
#include "CliSupport.h"
#include "StderrPresenter.h"

#include "PlaybackFrame.h"
#include "ProbeLimits.h"
#include "ProcessingData.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"
#include "ResultMath.h"
#include "ResultText.h"
#include "SettingsStore.h"
#include "Spectra.h"
#include "Windows.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

const char kGeneralHelp[] =
    "Usage: sonorix-cli COMMAND [OPTIONS] [FILES]\n"
    "Batch sound-intensity analysis with the computations of the Sonorix windows.\n"
    "\n"
    "Commands:\n"
    "  info FILE...              stamps, duration, rate and record counts of raw recordings\n"
    "                            (*.dat); rate, duration, samples and sensitivities of segments\n"
    "                            (*.kvnb)\n"
    "  cut REC.dat --from T --to T -o SEG.kvnb\n"
    "                            save a stretch of a raw recording as a segment file\n"
    "  spectra SEG.kvnb -o FILE.csv\n"
    "                            the six amplitude spectra of a segment\n"
    "  intensity SEG.kvnb... | --demo\n"
    "                            band vectors I, J, K, P with moduli and direction angles,\n"
    "                            one row per file\n"
    "\n"
    "Run 'sonorix-cli COMMAND --help' for the options of a command.\n"
    "Exit codes: 0 all inputs processed, 1 some input failed (the others were processed),\n"
    "2 bad command line.\n";

const char kInfoHelp[] =
    "Usage: sonorix-cli info [--json] [constants] FILE...\n"
    "One line per file. For a raw recording (*.dat): start and end stamps (day hh:mm:ss), the\n"
    "duration, the rate in records per second, the record count ((size - 4) / 16) and the count\n"
    "of record slots that are not good records (damage the reader skips). For a segment\n"
    "(*.kvnb): the rate as stored and as used (even), the duration, the samples per channel and\n"
    "the six sensitivities in mV/Pa. A stamp that cannot be a time is shown as unreadable; when\n"
    "the stamps cannot give the duration, the reader assumes 40590 records per second, and the\n"
    "duration and rate are marked as estimates (\"duration_estimated\", \"rate_estimated\").\n"
    "Of a segment only the header is read.\n"
    "  --json    one JSON array with an object per file instead of the lines\n"
    "The channel order and NULL_ADC (see constants) do not change what info reports.\n";

const char kCutHelp[] =
    "Usage: sonorix-cli cut REC.dat --from T --to T -o SEG.kvnb [--force] [constants]\n"
    "Saves the stretch from T to T of a raw recording as a segment file, exactly as the playback\n"
    "window's export saves the visible stretch: full rate, unfiltered (despiked ADC steps),\n"
    "channels in the configured order, the configured sensitivities in the header.\n"
    "  --from T, --to T   seconds from the start of the recording: 12.5, 1:02.5 or 0:01:02.500\n"
    "  -o SEG.kvnb        the segment file to write\n"
    "  --force            replace SEG.kvnb if it exists\n"
    "A stretch of fewer than 100 samples is refused.\n";

const char kSpectraHelp[] =
    "Usage: sonorix-cli spectra SEG.kvnb -o FILE.csv [--window NAME] [--signal impulse|periodic]\n"
    "                           [--db] [--locale[=NAME]] [--force] [constants]\n"
    "The six one-sided amplitude spectra of the processing window's spectrum command, in\n"
    "pascals (VOLT x 1000 / sensitivity per channel), one row per frequency bin.\n"
    "  --window NAME   spectral window of a periodic signal (an impulse is never weighted):\n"
    "                  %WINDOWS%; default: the processing window's last choice\n"
    "  --signal KIND   impulse or periodic; default: the stored signal type\n"
    "  --db            the window's dB values instead of pascals\n"
    "  --locale[=NAME] the program's own CSV form: \";\" between fields, the decimal separator of\n"
    "                  the user's locale (or of NAME, e.g. ru_RU), numbers with 7 significant\n"
    "                  digits, CR LF, Windows-1251\n"
    "  --force         replace FILE.csv if it exists\n"
    "Default CSV: \",\" between fields, \".\" as the decimal separator, UTF-8, LF.\n";

const char kIntensityHelp[] =
    "Usage: sonorix-cli intensity (SEG.kvnb... | --demo [test-signal options])\n"
    "                             [--signal impulse|periodic] [--window NAME] [--band LO:HI]\n"
    "                             [--spectra-csv FILE] [--json | --locale[=NAME]] [constants]\n"
    "For each segment: the intensity spectra of the processing window, reduced over the band as\n"
    "its \"I , J\" command does (integration for an impulse, summed harmonic lines for a periodic\n"
    "signal), and the modulus and direction angles of each band vector as the calculation table\n"
    "computes them. One CSV row per file on standard output, so a survey becomes one table:\n"
    "  file,signal,window,f_lo,f_hi, then for Q in I, J, K, P:\n"
    "  Q_x,Q_y,Q_z,Q_mod,Q_angle_x,Q_angle_y,Q_angle_z\n"
    "where angle_x = atan(y / x), angle_y = 90 - angle_x, angle_z = asin(z / mod), in degrees;\n"
    "I and J in W/m^2, K and P (the potential energy density) in J/m^3. f_lo and f_hi are the\n"
    "frequencies of the first and end bin of the band. Fields are separated by \",\", the decimal\n"
    "separator is \".\".\n"
    "  --signal KIND     impulse or periodic; default: the stored signal type\n"
    "  --window NAME     spectral window of a periodic signal: %WINDOWS%;\n"
    "                    default: the processing window's last choice\n"
    "  --band LO:HI      frequency band in Hz; default: the whole spectrum\n"
    "  --spectra-csv F   also write the intensity spectra of each file (rows of the band); with\n"
    "                    several files F must contain {} for the file's base name\n"
    "  --force           replace spectra CSV files that exist\n"
    "  --json            a JSON array with an object per file instead of CSV\n"
    "  --locale[=NAME]   the program's own CSV form: \";\" between fields, the locale's decimal\n"
    "                    separator, numbers with 7 significant digits, CR LF, Windows-1251\n"
    "                    (also for --spectra-csv files)\n"
    "Where the band reaches above the frequency at which k*dr = 1 for a pair, or its strongest\n"
    "line lies below bin 20 under a window wider than Hanning, a warning goes to standard error\n"
    "(and to the \"warnings\" list of --json); the numbers and the exit code are unchanged.\n"
    "Test signal (--demo): the stored test-signal parameters, each overridden by\n"
    "  --type sine|meander|impulse  --freq HZ  --amplitude ADC_STEPS  --fi-z DEG  --fi-x DEG\n"
    "  --noise PERCENT  --rate HZ  --duration S (whole seconds)\n"
    "within the test-signal dialog's ranges: --freq 1..10000 and below half the rate, --amplitude\n"
    "from 1 step to 1000 V, --fi-z and --fi-x 0..360, --noise 0..100, --rate 64..100000000,\n"
    "--duration 1..10.\n";

// Puts the list of window names in place of %WINDOWS%, its continuation lines indented to the
// column where the option's description starts.
std::string withWindows(const char* help)
{
    std::string text = help;
    const size_t at = text.find("%WINDOWS%");
    if (at == std::string::npos)
        return text;
    const size_t lineStart = text.rfind('\n', at) + 1;   // npos + 1 == 0 on the first line
    size_t column = text.find_first_not_of(' ', lineStart);
    if (column < at && text.compare(column, 2, "--") == 0) {
        // An option line: its description starts after the first run of two spaces.
        column = text.find("  ", column);
        column = column < at ? text.find_first_not_of(' ', column) : at;
    }
    std::string names = kWindowNamesHelp;
    for (size_t nl = names.find('\n'); nl != std::string::npos; nl = names.find('\n', nl + 1))
        names.insert(nl + 1, column - lineStart, ' ');
    text.replace(at, 9, names);
    return text;
}

// The window names on one line, for a message.
std::string windowNamesInline()
{
    std::string names = kWindowNamesHelp;
    std::replace(names.begin(), names.end(), '\n', ' ');
    return names;
}

std::string lowerExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

std::string baseName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::optional<std::string> readBytesAt(const std::string& path, std::streamoff offset, size_t count,
                                       bool fromEnd = false)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    in.seekg(offset, fromEnd ? std::ios::end : std::ios::beg);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    if (in.gcount() != static_cast<std::streamsize>(count))
        return std::nullopt;
    return bytes;
}

// What one run needs: the streams, the presenter, the output form and the record.
struct Context {
    std::ostream& out;
    std::ostream& err;
    StderrPresenter& presenter;
    Settings& settings;
    bool progress = false;
    bool localeForm = false;

    void fail(const std::string& file, const std::string& text) const
    {
        err << "sonorix-cli: " << (file.empty() ? "" : file + ": ") << text << '\n';
    }
    void showProgress(size_t index, size_t total, const std::string& file) const
    {
        if (progress)
            err << "\r\033[K[" << index + 1 << '/' << total << "] " << file << std::flush;
    }
    void endProgress() const
    {
        if (progress)
            err << "\r\033[K" << std::flush;
    }
};

// Runs one file's step so that nothing a routine throws can end the batch (or the process):
// the file is reported as failed and the others go on.
template <typename Step>
bool guarded(const Context& ctx, const std::string& path, Step step)
{
    try {
        return step();
    } catch (const std::exception& e) {
        ctx.fail(path, std::string("unexpected failure: ") + e.what());
    } catch (...) {
        ctx.fail(path, "unexpected failure");
    }
    return false;
}

// Reads a whole segment; false after its messages (or a line of its own) on the error stream.
bool loadSegment(const Context& ctx, const std::string& path, Segment& segment)
{
    if (lowerExtension(path) != ".kvnb") {
        ctx.fail(path, "not a segment file (*.kvnb)");
        return false;
    }
    if (const std::string problem = InputFileProblem(path); !problem.empty()) {
        ctx.fail(path, problem);
        return false;
    }
    const int before = ctx.presenter.messageCount();
    ctx.presenter.setSystemAction("cannot read");
    TReadWriteMyFile file(path);
    uint32_t rate = 0;
    double duration = 0.0;
    bool failed = file.OpenForReading() || file.ReadHeader(rate, duration);
    if (!failed) {
        const uint32_t evenRate = SegmentEvenRate(rate);
        const int64_t n = SegmentSampleCount(evenRate, duration);
        // The segment, its spectra and the intensity routine's work arrays: about 40 arrays
        // of N doubles at the peak.
        const int64_t need = 40 * 8 * n;
        const int64_t available = AvailableMemoryBytes();
        if (n > INT32_MAX || (available >= 0 && need > available)) {
            file.Close();
            ctx.fail(path, MemoryRefusalText(n, need, available));
            return false;
        }
        segment.Allocate(static_cast<int32_t>(n));
        segment.sampleRate = evenRate;
        std::array<double*, 6> channels{};
        for (int c = 0; c < 6; ++c)
            channels[c] = segment.channels[c].data();
        // The reader refuses a sample that is not a finite number and says where it is.
        failed = file.ReadBody(evenRate, duration, channels, segment.time.data(), segment.paPerVolt);
        if (failed)
            segment.Clear();
    }
    file.Close();
    if (failed && ctx.presenter.messageCount() == before)
        ctx.fail(path, "cannot read the segment");
    return !failed;
}

std::optional<int> signalFromOption(const ParsedArgs& args, const Context& ctx, bool& bad)
{
    const std::string* text = args.value("--signal");
    if (!text)
        return std::nullopt;
    if (*text == "impulse")
        return 0;
    if (*text == "periodic")
        return 1;
    ctx.fail("", "--signal: expected impulse or periodic, got \"" + *text + "\"");
    bad = true;
    return std::nullopt;
}

// The processing window's last window choice, as it would open with it.
int storedWindowItem()
{
    SettingsStore store;
    return store.ReadInteger(QStringLiteral("Sav"), QStringLiteral("Wind"), 0);
}

std::optional<int> windowFromOption(const ParsedArgs& args, const Context& ctx, bool& bad)
{
    const std::string* text = args.value("--window");
    if (!text)
        return storedWindowItem();
    const std::optional<int> item = WindowItemFromName(*text);
    if (!item) {
        ctx.fail("", "--window: unknown window \"" + *text + "\"; one of " + windowNamesInline());
        bad = true;
    }
    return item;
}

std::string encodeLines(const QStringList& lines, bool localeForm)
{
    if (localeForm)
        return EncodeCsvLines(lines).toStdString();
    std::string text;
    for (const QString& line : lines)
        text += line.toStdString() + '\n';
    return text;
}

// ---------------------------------------------------------------------------- info

std::string twoDigits(unsigned v)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02u", v);
    return buffer;
}

// A stamp the recorder could have written: day 0..31, hh:mm:ss of a day.
bool stampReadable(const std::string& b)
{
    const auto byte = [&](int i) { return static_cast<unsigned char>(b[i]); };
    return byte(0) <= 31 && byte(1) <= 23 && byte(2) <= 59 && byte(3) <= 59;
}

std::string stampText(const std::string& b)
{
    return std::to_string(static_cast<unsigned char>(b[0])) + " " + twoDigits(static_cast<unsigned char>(b[1])) +
           ":" + twoDigits(static_cast<unsigned char>(b[2])) + ":" + twoDigits(static_cast<unsigned char>(b[3]));
}

// Opens the recording and reads its duration and rate; false once the reader or this has
// said why the file cannot be used.
bool openRecording(const Context& ctx, const std::string& path, TReadIshFile& reader, uint16_t& h,
                   uint16_t& m, uint16_t& s, uint32_t& rate)
{
    if (const std::string problem = InputFileProblem(path); !problem.empty()) {
        ctx.fail(path, problem);
        return false;
    }
    ctx.presenter.setSystemAction("cannot read");
    if (reader.Open() != 0)
        return false;
    if (reader.ReadHeader(h, m, s, rate) != kRawHeaderOk) {
        ctx.fail(path, "the recording's header cannot be used");
        return false;
    }
    return true;
}

bool infoRaw(const Context& ctx, const std::string& path, std::string& line, std::string& json)
{
    TReadIshFile reader(path, ctx.settings);
    uint16_t h = 0, m = 0, s = 0;
    uint32_t rate = 0;
    if (!openRecording(ctx, path, reader, h, m, s, rate))
        return false;
    const int64_t size = reader.FileSize();
    const std::optional<std::string> start = readBytesAt(path, 0, 4);
    const std::optional<std::string> end = readBytesAt(path, -4, 4, true);
    if (!start || !end) {
        ctx.fail(path, "cannot read the stamps");
        return false;
    }
    const int64_t records = (size - 4) / 16;

    // Count the good records by reading the whole recording through the reader, so damage is
    // judged exactly as playback judges it. Its end-of-file errors are expected here.
    ctx.presenter.setMuted(true);
    int64_t good = 0;
    {
        const int chunk = static_cast<int>(std::clamp<uint32_t>(rate, 1, 1u << 20));
        std::vector<double> time(chunk);
        std::array<std::vector<double>, 6> channels;
        std::array<double*, 6> pointers{};
        for (int c = 0; c < 6; ++c) {
            channels[c].resize(chunk);
            pointers[c] = channels[c].data();
        }
        while (true) {
            const int64_t remaining = (size - 4 - reader.Position()) / 16;
            if (remaining <= 0)
                break;
            // Large reads while the end is far; record by record near it, so damage close to
            // the end cannot make a large read fail and lose its count.
            const int count = remaining > 64 ? static_cast<int>(std::min<int64_t>(chunk, remaining / 2)) : 1;
            if (reader.ReadFrame(1, count, time.data(), pointers, 0) != 0)
                break;
            good += count;
        }
    }
    ctx.presenter.setMuted(false);
    reader.Close();
    const int64_t damaged = std::max<int64_t>(0, records - good);
    const uint32_t duration = uint32_t(h) * 3600 + uint32_t(m) * 60 + s;
    // The reader falls back to kRawFallbackRate records per second when the stamps cannot
    // give the duration (one unreadable, or more than a day apart); duration and rate are
    // then estimates, and say so.
    const bool startOk = stampReadable(*start);
    const bool endOk = stampReadable(*end);
    const int dayStep = static_cast<unsigned char>((*end)[0]) - static_cast<unsigned char>((*start)[0]);
    const bool stampsUsable = startOk && endOk && (dayStep == 0 || dayStep == 1);
    const bool estimated = !stampsUsable;

    line = path + ": raw recording, start " + (startOk ? stampText(*start) : std::string("unreadable")) + ", end " +
           (endOk ? stampText(*end) : std::string("unreadable")) +
           (startOk && endOk && !stampsUsable ? " (the stamps disagree)" : "") + ", duration " +
           std::to_string(duration) + " s (" + std::to_string(h) + ":" + twoDigits(m) + ":" + twoDigits(s) +
           (estimated ? ", estimated from the record count: the stamps are unusable" : "") + "), rate " +
           std::to_string(rate) + " Hz" + (estimated ? " (estimated)" : "") + ", " + std::to_string(records) +
           " records, " + std::to_string(damaged) + " damaged";
    auto stampJson = [](const std::string& b) {
        if (!stampReadable(b))
            return std::string("null");
        return "{\"day\": " + std::to_string(static_cast<unsigned char>(b[0])) +
               ", \"hour\": " + std::to_string(static_cast<unsigned char>(b[1])) +
               ", \"minute\": " + std::to_string(static_cast<unsigned char>(b[2])) +
               ", \"second\": " + std::to_string(static_cast<unsigned char>(b[3])) + "}";
    };
    const std::string estimatedJson = estimated ? "true" : "false";
    json = "{\"file\": " + JsonString(path) + ", \"type\": \"raw\", \"start\": " + stampJson(*start) +
           ", \"end\": " + stampJson(*end) + ", \"stamps_usable\": " + (stampsUsable ? "true" : "false") +
           ", \"duration_s\": " + std::to_string(duration) + ", \"duration_estimated\": " + estimatedJson +
           ", \"rate\": " + std::to_string(rate) + ", \"rate_estimated\": " + estimatedJson +
           ", \"records\": " + std::to_string(records) + ", \"damaged_records\": " + std::to_string(damaged) + "}";
    return true;
}

// Reads the header alone: info must answer for a segment far larger than memory.
bool infoSegment(const Context& ctx, const std::string& path, std::string& line, std::string& json)
{
    const int before = ctx.presenter.messageCount();
    ctx.presenter.setSystemAction("cannot read");
    TReadWriteMyFile file(path);
    uint32_t storedRate = 0;
    double duration = 0.0;
    const bool failed = file.OpenForReading() || file.ReadHeader(storedRate, duration);
    file.Close();
    const std::optional<std::string> header =
        failed ? std::nullopt : readBytesAt(path, 0, static_cast<size_t>(kSegmentHeaderBytes));
    if (!header) {
        if (ctx.presenter.messageCount() == before)
            ctx.fail(path, "cannot read the header");
        return false;
    }
    const uint32_t evenRate = SegmentEvenRate(storedRate);
    const int64_t samples = SegmentSampleCount(evenRate, duration);
    // Little-endian on disk; this program builds for little-endian machines only.
    std::array<double, 6> sensitivities{};
    std::copy_n(header->data() + 12, 48, reinterpret_cast<char*>(sensitivities.data()));

    std::string sensText, sensJson;
    for (int c = 0; c < 6; ++c) {
        sensText += (c ? "," : "") + MachineNumber(sensitivities[c]);
        sensJson += (c ? ", " : "") + JsonNumber(sensitivities[c]);
    }
    line = path + ": segment, rate " + std::to_string(storedRate) + " Hz (used " + std::to_string(evenRate) +
           "), duration " + MachineNumber(duration) + " s, " + std::to_string(samples) +
           " samples per channel, sensitivities " + sensText + " mV/Pa";
    json = "{\"file\": " + JsonString(path) + ", \"type\": \"segment\", \"rate\": " + std::to_string(storedRate) +
           ", \"even_rate\": " + std::to_string(evenRate) + ", \"duration_s\": " + JsonNumber(duration) +
           ", \"samples\": " + std::to_string(samples) + ", \"sensitivities\": [" + sensJson + "]}";
    return true;
}

int runInfo(const Context& ctx, const ParsedArgs& args)
{
    const bool json = args.has("--json");
    std::vector<std::string> objects;
    bool anyFailed = false;
    for (size_t i = 0; i < args.positional.size(); ++i) {
        const std::string& path = args.positional[i];
        ctx.showProgress(i, args.positional.size(), path);
        ctx.presenter.setFile(path);
        std::string line, object;
        const std::string ext = lowerExtension(path);
        bool ok = false;
        const std::string problem = ext == ".dat" || ext == ".kvnb" ? InputFileProblem(path) : std::string();
        if (!problem.empty())
            ctx.fail(path, problem);
        else if (ext == ".dat")
            ok = guarded(ctx, path, [&] { return infoRaw(ctx, path, line, object); });
        else if (ext == ".kvnb")
            ok = guarded(ctx, path, [&] { return infoSegment(ctx, path, line, object); });
        else
            ctx.fail(path, "unknown file type (expected *.dat or *.kvnb)");
        ctx.presenter.setFile({});
        if (!ok) {
            anyFailed = true;
            continue;
        }
        if (json)
            objects.push_back(object);
        else
            ctx.out << line << '\n';
    }
    ctx.endProgress();
    if (json) {
        ctx.out << "[";
        for (size_t i = 0; i < objects.size(); ++i)
            ctx.out << (i ? ",\n " : "\n ") << objects[i];
        ctx.out << "\n]\n";
    }
    return anyFailed ? kExitSomeFailed : kExitOk;
}

// ---------------------------------------------------------------------------- cut

int runCut(const Context& ctx, const ParsedArgs& args)
{
    if (args.positional.size() != 1 || !args.value("--from") || !args.value("--to") || !args.value("-o")) {
        ctx.fail("", "cut needs one recording, --from, --to and -o (see cut --help)");
        return kExitUsage;
    }
    const std::string& path = args.positional[0];
    const std::string& target = *args.value("-o");
    const std::optional<double> from = ParseTime(*args.value("--from"));
    const std::optional<double> to = ParseTime(*args.value("--to"));
    if (!from || !to || !(*to > *from)) {
        ctx.fail("", "--from and --to must be times (s, m:s or h:m:s) with --to after --from");
        return kExitUsage;
    }
    if (lowerExtension(path) != ".dat") {
        ctx.fail(path, "not a raw recording (*.dat)");
        return kExitSomeFailed;
    }
    const bool force = args.has("--force");
    // Said before the recording is read: a target that cannot be replaced wastes no reading.
    if (const std::string problem = OutputTargetProblem(target, force); !problem.empty()) {
        ctx.fail(target, problem);
        return kExitSomeFailed;
    }
    ctx.presenter.setFile(path);
    TReadIshFile reader(path, ctx.settings);
    uint16_t h = 0, m = 0, s = 0;
    uint32_t rate = 0;
    if (!openRecording(ctx, path, reader, h, m, s, rate))
        return kExitSomeFailed;
    const double duration = double(h) * 3600 + double(m) * 60 + s;
    if (*to > duration) {
        ctx.fail(path, "--to lies past the end of the recording (" + MachineNumber(duration) + " s)");
        return kExitSomeFailed;
    }
    // The playback window reads whole seconds from the second the stretch starts in; the
    // stretch is the "visible window" inside that frame. Only the records up to the first one
    // past the stretch are read, so damage later in the frame cannot fail an intact stretch.
    const uint32_t start = static_cast<uint32_t>(std::floor(*from));
    const int64_t frameSeconds = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(*to - start)));
    const int64_t neededRecords = static_cast<int64_t>(std::ceil((*to - start) * rate)) + 2;
    const int64_t totalWanted = std::min<int64_t>(frameSeconds * rate, neededRecords);
    if (totalWanted > INT32_MAX) {
        ctx.fail(path, "the stretch is too long to cut in one piece");
        return kExitSomeFailed;
    }
    // Six channels and the time axis of the frame are held at once.
    const int64_t need = totalWanted * 7 * static_cast<int64_t>(sizeof(double));
    const int64_t available = AvailableMemoryBytes();
    if (available >= 0 && need > available) {
        ctx.fail(path, MemoryRefusalText(totalWanted, need, available));
        return kExitSomeFailed;
    }
    const int total = static_cast<int>(totalWanted);
    std::array<std::vector<double>, 6> channels;
    std::array<double*, 6> pointers{};
    for (int c = 0; c < 6; ++c) {
        channels[c].assign(static_cast<size_t>(total), 0.0);
        pointers[c] = channels[c].data();
    }
    std::vector<double> time(static_cast<size_t>(total), 0.0);
    if (reader.SeekTo(start / 3600, (start % 3600) / 60, start % 60) != 0 ||
        reader.ReadFrame(1, total, time.data(), pointers, static_cast<int>(frameSeconds)) != 0) {
        ctx.fail(path, "the stretch cannot be read");
        return kExitSomeFailed;
    }
    reader.Close();

    const ExportStretch stretch = SelectExportStretch(time.data(), total, *from - start, *to - start, rate);
    if (stretch.refused) {
        ctx.fail(path, "Слишком малый временной интервал. Запись невозможна!");
        return kExitSomeFailed;
    }
    ctx.presenter.setFile({});
    if (SegmentSampleCount(rate, stretch.duration) > total - stretch.first) {
        ctx.fail(path, "the stretch reaches past the records read");
        return kExitSomeFailed;
    }
    std::array<const double*, 6> first{};
    for (int c = 0; c < 6; ++c)
        first[c] = channels[c].data() + stretch.first;
    const std::array<double, 6> sensitivities = ChannelSensitivities(ctx.settings);
    // The writer reports its failures in boxes; they become one line with the system's reason.
    ctx.presenter.startCapture();
    TReadWriteMyFile file(target);
    bool failed = file.OpenForWriting(force);
    if (!failed) {
        // The stretch fits the records read (checked above), so a failure here is the write's,
        // and Close reports its reason without committing anything.
        failed = file.WriteSegment(rate, stretch.duration, sensitivities, first, total - stretch.first);
        failed = file.Close() || failed;
    }
    const std::string reason = ctx.presenter.takeCaptured();
    if (failed) {
        const bool exists = ::access(target.c_str(), F_OK) == 0;
        ctx.fail(target, "cannot write the segment: " + (reason.empty() ? std::string("no reason given") : reason) +
                             (exists && !force ? " (use --force to replace it)" : ""));
        return kExitSomeFailed;
    }
    ctx.out << target << ": " << stretch.count << " samples per channel at " << SegmentEvenRate(rate)
            << " Hz, duration " << MachineNumber(stretch.duration) << " s, from "
            << MachineNumber(time[stretch.first]) << " s of " << path << '\n';
    return kExitOk;
}

// ---------------------------------------------------------------------------- spectra

int runSpectra(const Context& ctx, const ParsedArgs& args)
{
    if (args.positional.size() != 1 || !args.value("-o")) {
        ctx.fail("", "spectra needs one segment and -o FILE.csv (see spectra --help)");
        return kExitUsage;
    }
    bool bad = false;
    const std::optional<int> signal = signalFromOption(args, ctx, bad);
    const std::optional<int> window = windowFromOption(args, ctx, bad);
    if (bad)
        return kExitUsage;
    if (signal)
        ctx.settings.impuls = *signal;
    const std::string& path = args.positional[0];
    if (const std::string problem = OutputTargetProblem(*args.value("-o"), args.has("--force")); !problem.empty()) {
        ctx.fail(*args.value("-o"), problem);
        return kExitSomeFailed;
    }
    ctx.presenter.setFile(path);
    Segment segment;
    if (!loadSegment(ctx, path, segment))
        return kExitSomeFailed;
    ctx.presenter.setFile({});
    const int n = segment.sampleCount;
    const int bins = n / 2;
    if (bins < 1) {
        ctx.fail(path, "too few samples for a spectrum");
        return kExitSomeFailed;
    }
    std::array<std::vector<double>, 6> spectra;
    const double* channels[6];
    double* outputs[6];
    for (int c = 0; c < 6; ++c) {
        spectra[c].assign(static_cast<size_t>(bins), 0.0);
        channels[c] = segment.channels[c].data();
        outputs[c] = spectra[c].data();
    }
    if (ComputeAmplitudeSpectra(n, *window, ctx.settings.impuls == 1, segment.time[n - 1], channels, outputs))
        ctx.fail(path, "warning: the spectral window reported a failure");
    // Pascals as the processing window shows them; dB against the same factors.
    const std::array<double, 6> factors = DisplayFactors(kUnitPascal, false, ctx.settings.VOLT, segment.paPerVolt);
    const bool db = args.has("--db");
    const double df = 1.0 / segment.time[n - 1];
    const QString sep = ctx.localeForm ? QStringLiteral(";") : QStringLiteral(",");
    QStringList lines;
    QString header = ctx.localeForm ? QStringLiteral("F(Гц)") : QStringLiteral("f_Hz");
    for (int c = 1; c <= 6; ++c)
        header += sep + (ctx.localeForm ? QStringLiteral("Канал %1").arg(c)
                                        : QStringLiteral("ch%1_%2").arg(c).arg(db ? "dB" : "Pa"));
    lines << header + (ctx.localeForm ? sep : QString());
    for (int k = 0; k < bins; ++k) {
        const auto number = [&](double v) {
            return ctx.localeForm ? LocaleNumber(v) : QString::fromStdString(MachineNumber(v));
        };
        QString line = number(k * df);
        for (int c = 0; c < 6; ++c) {
            const double v = db ? DbValue(spectra[c][k], factors[c]) : spectra[c][k] * factors[c];
            line += sep + number(v);
        }
        lines << line + (ctx.localeForm ? sep : QString());
    }
    const std::string error = WriteOutputFile(*args.value("-o"), encodeLines(lines, ctx.localeForm),
                                              args.has("--force"));
    if (!error.empty()) {
        ctx.fail("", error);
        return kExitSomeFailed;
    }
    return kExitOk;
}

// ---------------------------------------------------------------------------- intensity

const char* const kQuantityNames[4] = {"I", "J", "K", "P"};

std::string applyDemoOptions(const ParsedArgs& args, Settings& s)
{
    if (const std::string* type = args.value("--type")) {
        if (*type == "sine")
            s.type_sig = 0;
        else if (*type == "meander")
            s.type_sig = 1;
        else if (*type == "impulse")
            s.type_sig = 2;
        else
            return "--type: expected sine, meander or impulse, got \"" + *type + "\"";
    }
    // The ranges of the test-signal dialog. The amplitude is entered there as 0 ... 1000 V and
    // stored as trunc(V / VOLT + 1) ADC steps, so it is never 0 steps.
    const int64_t maxAmplitude = std::min<int64_t>(
        INT32_MAX, static_cast<int64_t>(std::min(1000.0 / s.VOLT + 1.0, static_cast<double>(INT32_MAX))));
    struct IntOption {
        const char* name;
        const char* key;
        int32_t* field;
        int64_t min;
        int64_t max;
    };
    const IntOption options[] = {
        {"--freq", "freq_sig", &s.freq_sig, 1, 10000},
        {"--amplitude", "ampl_sig", &s.ampl_sig, 1, maxAmplitude},
        {"--fi-z", "FI_Z", &s.FI_Z, 0, 360},
        {"--fi-x", "FI_X", &s.FI_X, 0, 360},
        {"--noise", "ampl_noise_sig", &s.ampl_noise_sig, 0, 100},
        {"--rate", "freq_ocifr", &s.freq_ocifr, 64, 100000000},
        {"--duration", "dlit", &s.dlit, 1, 10},
    };
    for (const IntOption& o : options) {
        const std::string range =
            "expected a whole number from " + std::to_string(o.min) + " to " + std::to_string(o.max) + ", got ";
        if (const std::string* text = args.value(o.name)) {
            const std::optional<int> v = ParseInteger(*text);
            if (!v || *v < o.min || *v > o.max)
                return std::string(o.name) + " (" + o.key + "): " + range + "\"" + *text + "\"";
            *o.field = *v;
        } else if (*o.field < o.min || *o.field > o.max) {
            // A stored value the dialog would not have let through.
            return std::string("the settings store's ") + o.key + ": " + range + std::to_string(*o.field) +
                   "; give " + o.name;
        }
    }
    // A tone at or above half the rate the processing window uses is sampled as another one.
    const double nyquist = SegmentEvenRate(static_cast<uint32_t>(s.freq_ocifr)) / 2.0;
    if (!(s.freq_sig < nyquist))
        return "--freq (freq_sig): " + std::to_string(s.freq_sig) + " Hz is not below the Nyquist frequency " +
               MachineNumber(nyquist) + " Hz of the sampling rate (--rate " + std::to_string(s.freq_ocifr) +
               " Hz); a higher rate or a lower frequency is needed";
    return {};
}

std::string bandError(BandStatus status, const FrequencyRange& range)
{
    switch (status) {
    case BandStatus::Ok:
        return {};
    case BandStatus::Empty:
        return range.given ? "no frequency bin lies in the band " + MachineNumber(range.lo) + " : " +
                                 MachineNumber(range.hi) + " Hz"
                           : std::string("the spectrum has no band to reduce");
    case BandStatus::Failed:
        break;
    }
    return "the band could not be integrated";
}

std::string spectraCsv(const Context& ctx, const IntensitySpectra& spectra, const FrequencyRange& range)
{
    int first = 0, last = 0;
    CsvRowRange(spectra.view(), range, first, last);
    // The locale form is the processing window's file; the machine form has the same rows.
    if (ctx.localeForm)
        return encodeLines(IntensityCsvLines(spectra.view(), first, last), true);
    QStringList lines;
    lines << QStringLiteral("f_Hz,Ix,Iy,Iz,Jx,Jy,Jz,Kx,Ky,Kz,Px,Py,Pz");
    for (int k = first; k <= last && k < spectra.bins(); ++k) {
        QString line = QString::fromStdString(MachineNumber(spectra.frequency[k]));
        for (int q = 0; q < 12; ++q)
            line += QStringLiteral(",") + QString::fromStdString(MachineNumber(spectra.values[q][k]));
        lines << line;
    }
    return encodeLines(lines, false);
}

// The sentences on what the probe cannot measure well, one per finding: a band reaching above
// k dr = 1 for a pair, or its strongest line (largest |I|) near bin 0 under a window wider than
// Hanning's. The numbers stay as they are.
std::vector<std::string> probeLimitWarnings(const Settings& s, const IntensitySpectra& spectra, const BandResult& band,
                                            int impuls, int windowItem)
{
    // An impulse is never weighted; a periodic signal is, with the window of the list item.
    const double enbw = impuls == 1 ? WindowItemEnbw(windowItem, spectra.bins()) : 1.0;
    const ProbeLimitCheck check = CheckBandLimits(spectra.view(), band, s.lmic, s.skorost, enbw);
    std::vector<std::string> warnings;
    if (check.aboveSpacingLimit) {
        ProbeLimitCheck one = check;
        one.wideWindowNearZero = false;
        warnings.push_back(ProbeLimitTextEn(one));
    }
    if (check.wideWindowNearZero) {
        ProbeLimitCheck one = check;
        one.aboveSpacingLimit = false;
        warnings.push_back(ProbeLimitTextEn(one));
    }
    return warnings;
}

int runIntensity(const Context& ctx, const ParsedArgs& args)
{
    const bool demo = args.has("--demo");
    if (demo == !args.positional.empty()) {
        ctx.fail("", "intensity needs segment files or --demo, not both (see intensity --help)");
        return kExitUsage;
    }
    bool bad = false;
    const std::optional<int> signal = signalFromOption(args, ctx, bad);
    const std::optional<int> window = windowFromOption(args, ctx, bad);
    FrequencyRange range;
    if (const std::string* band = args.value("--band")) {
        const size_t colon = band->find(':');
        const auto lo = colon == std::string::npos ? std::nullopt : ParseNumber(band->substr(0, colon));
        const auto hi = colon == std::string::npos ? std::nullopt : ParseNumber(band->substr(colon + 1));
        if (!lo || !hi || !(*hi > *lo)) {
            ctx.fail("", "--band: expected LO:HI in Hz with HI above LO, got \"" + *band + "\"");
            bad = true;
        } else {
            range = {true, *lo, *hi};
        }
    }
    const std::string* csvPattern = args.value("--spectra-csv");
    const size_t inputs = demo ? 1 : args.positional.size();
    if (csvPattern && inputs > 1 && csvPattern->find("{}") == std::string::npos) {
        ctx.fail("", "--spectra-csv: with several files the name must contain {} for each file's base name");
        bad = true;
    }
    if (args.has("--json") && ctx.localeForm) {
        ctx.fail("", "--json and --locale exclude each other");
        bad = true;
    }
    if (demo) {
        const std::string error = applyDemoOptions(args, ctx.settings);
        if (!error.empty()) {
            ctx.fail("", error);
            bad = true;
        }
    }
    if (bad)
        return kExitUsage;
    if (signal)
        ctx.settings.impuls = *signal;
    const int impuls = ctx.settings.impuls;
    const std::string signalName = impuls == 0 ? "impulse" : "periodic";

    const bool json = args.has("--json");
    const char sepChar = ctx.localeForm ? ';' : ',';
    const QString sep = QString(QChar::fromLatin1(sepChar));
    QStringList csv;
    {
        QString header = ctx.localeForm ? QStringLiteral("Файл;Сигнал;Окно;F1(Гц);F2(Гц)")
                                        : QStringLiteral("file,signal,window,f_lo,f_hi");
        for (int q = 0; q < 4; ++q) {
            const QString name = ctx.localeForm && q == 3 ? QStringLiteral("П") : QString::fromLatin1(kQuantityNames[q]);
            for (const char* column : {"_x", "_y", "_z", "_mod", "_angle_x", "_angle_y", "_angle_z"})
                header += sep + name + QString::fromLatin1(column);
        }
        csv << header;
    }
    std::vector<std::string> objects;
    bool anyFailed = false;

    for (size_t i = 0; i < inputs; ++i) {
        const std::string name = demo ? std::string("demo") : args.positional[i];
        ctx.showProgress(i, inputs, name);
        ctx.presenter.setFile(name);
        Segment segment;
        std::string error;
        if (demo) {
            SetTestSignalFlag(true);
            error = SynthesizeDemoSegment(ctx.settings, segment);
        } else {
            SetTestSignalFlag(false);
            if (!guarded(ctx, name, [&] { return loadSegment(ctx, name, segment); })) {
                anyFailed = true;
                ctx.presenter.setFile({});
                continue;
            }
        }
        IntensitySpectra spectra;
        BandResult band;
        if (error.empty())
            error = ComputeSegmentIntensity(IntensityConstantsFrom(ctx.settings, demo), segment, *window, spectra);
        if (error.empty())
            error = bandError(ReduceBand(spectra.view(), range, impuls, band), range);
        if (error.empty() && band.detectorFailed)
            ShowMessageBox("Ошибка", kPeakDetectorFailedText, MB_OK);
        if (error.empty() && csvPattern) {
            std::string csvName = *csvPattern;
            if (const size_t at = csvName.find("{}"); at != std::string::npos)
                csvName.replace(at, 2, baseName(name));
            error = WriteOutputFile(csvName, spectraCsv(ctx, spectra, range), args.has("--force"));
        }
        ctx.presenter.setFile({});
        if (!error.empty()) {
            ctx.fail(name, error);
            anyFailed = true;
            continue;
        }

        const std::vector<std::string> warnings = probeLimitWarnings(ctx.settings, spectra, band, impuls, *window);
        for (const std::string& warning : warnings)
            ctx.fail(name, "warning: " + warning);

        const IntensityResult& r = band.result;
        const std::array<double, 3>* vectors[4] = {&r.I, &r.J, &r.K, &r.P};
        if (json) {
            std::string object = "{\"file\": " + JsonString(name) + ", \"signal\": \"" + signalName +
                                 "\", \"window\": " + JsonString(WindowItemName(*window)) +
                                 ", \"band\": [" + JsonNumber(band.fLo) + ", " + JsonNumber(band.fHi) +
                                 "], \"bins\": [" + std::to_string(band.first) + ", " + std::to_string(band.end) +
                                 "], \"band_text\": " + JsonString(r.bandText);
            for (int q = 0; q < 4; ++q) {
                const VectorAngles a = ComputeVectorAngles(*vectors[q]);
                object += std::string(", \"") + kQuantityNames[q] + "\": {\"x\": " + JsonNumber((*vectors[q])[0]) +
                          ", \"y\": " + JsonNumber((*vectors[q])[1]) + ", \"z\": " + JsonNumber((*vectors[q])[2]) +
                          ", \"modulus\": " + JsonNumber(a.modulus) + ", \"angle_x\": " + JsonNumber(a.alpha) +
                          ", \"angle_y\": " + JsonNumber(90.0 - a.alpha) + ", \"angle_z\": " + JsonNumber(a.beta) + "}";
            }
            std::string warningsJson;
            for (const std::string& warning : warnings)
                warningsJson += (warningsJson.empty() ? "" : ", ") + JsonString(warning);
            objects.push_back(object + ", \"warnings\": [" + warningsJson + "]}");
        } else {
            QString row = QString::fromStdString(CsvField(name, sepChar)) + sep +
                          QString::fromStdString(signalName) + sep + QString::fromStdString(WindowItemName(*window));
            auto number = [&](double v) {
                return ctx.localeForm ? LocaleNumber(v) : QString::fromStdString(MachineNumber(v));
            };
            row += sep + number(band.fLo) + sep + number(band.fHi);
            for (int q = 0; q < 4; ++q) {
                const VectorAngles a = ComputeVectorAngles(*vectors[q]);
                for (double v : *vectors[q])
                    row += sep + number(v);
                row += sep + number(a.modulus) + sep + number(a.alpha) + sep + number(90.0 - a.alpha) + sep +
                       number(a.beta);
            }
            csv << row;
        }
    }
    ctx.endProgress();
    if (json) {
        ctx.out << "[";
        for (size_t i = 0; i < objects.size(); ++i)
            ctx.out << (i ? ",\n " : "\n ") << objects[i];
        ctx.out << "\n]\n";
    } else {
        ctx.out << encodeLines(csv, ctx.localeForm);
    }
    ctx.out.flush();
    return anyFailed ? kExitSomeFailed : kExitOk;
}

// Puts back every piece of process-wide state a run changes.
class ProcessStateGuard {
public:
    ProcessStateGuard()
        : storeFile_(SettingsStore::FileName()), locale_(QLocale()), testSignal_(TestSignalFlag())
    {
    }
    ~ProcessStateGuard()
    {
        PublishSettings(nullptr);
        SetTestSignalFlag(testSignal_);
        QLocale::setDefault(locale_);
        SettingsStore::SetFileName(storeFile_);
    }
    ProcessStateGuard(const ProcessStateGuard&) = delete;
    ProcessStateGuard& operator=(const ProcessStateGuard&) = delete;

private:
    QString storeFile_;
    QLocale locale_;
    bool testSignal_;
};

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        (args.empty() ? err : out) << kGeneralHelp;
        return args.empty() ? kExitUsage : kExitOk;
    }
    const std::string command = args[0];
    std::set<std::string> valueOptions = kSettingsValueOptions;
    std::set<std::string> flagOptions = {"--help", "-h"};
    const char* help = nullptr;
    if (command == "info") {
        help = kInfoHelp;
        flagOptions.insert("--json");
    } else if (command == "cut") {
        help = kCutHelp;
        valueOptions.insert({"--from", "--to", "-o"});
        flagOptions.insert("--force");
    } else if (command == "spectra") {
        help = kSpectraHelp;
        valueOptions.insert({"-o", "--window", "--signal"});
        flagOptions.insert({"--db", "--locale", "--force"});
    } else if (command == "intensity") {
        help = kIntensityHelp;
        valueOptions.insert({"--signal", "--window", "--band", "--spectra-csv", "--type", "--freq", "--amplitude",
                             "--fi-z", "--fi-x", "--noise", "--rate", "--duration"});
        flagOptions.insert({"--demo", "--json", "--locale", "--force"});
    } else {
        err << "sonorix-cli: unknown command \"" << command << "\"\n\n" << kGeneralHelp;
        return kExitUsage;
    }

    ParsedArgs parsed;
    const std::string parseError =
        ParseArgs(std::vector<std::string>(args.begin() + 1, args.end()), valueOptions, flagOptions, parsed);
    if (parsed.has("--help") || parsed.has("-h")) {
        out << withWindows(help) << '\n' << kSettingsHelp;
        return kExitOk;
    }
    if (!parseError.empty()) {
        err << "sonorix-cli " << command << ": " << parseError << " (see " << command << " --help)\n";
        return kExitUsage;
    }
    if (command == "info" && parsed.positional.empty()) {
        err << "sonorix-cli info: no files given (see info --help)\n";
        return kExitUsage;
    }

    ProcessStateGuard guard;
    StderrPresenter presenter(err);
    Settings settings = DefaultSettings();
    const int messagesBefore = presenter.messageCount();
    std::string settingsError = BuildSettings(parsed, settings);
    // The store reports what it could not use (an unreadable file, refused keys) and goes on
    // with defaults; a batch run must not compute with constants the user did not set.
    if (settingsError.empty() && presenter.messageCount() != messagesBefore)
        settingsError = "the settings store cannot be used as it is (see above); correct it, or name another "
                        "with --store";
    if (!settingsError.empty()) {
        err << "sonorix-cli " << command << ": " << settingsError << '\n';
        return kExitUsage;
    }
    // The routines read the record they are given through the published settings.
    PublishSettings(&settings);

    Context ctx{out, err, presenter, settings};
    ctx.localeForm = parsed.has("--locale");
    QLocale locale = QLocale::c();
    if (ctx.localeForm) {
        const std::string* name = parsed.value("--locale");
        locale = name && !name->empty() ? QLocale(QString::fromStdString(*name)) : QLocale::system();
    }
    // Machine output keeps the dot whatever the user's locale; the locale form follows it.
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
    ctx.progress = &err == &std::cerr && isatty(STDERR_FILENO) && parsed.positional.size() > 1;

    try {
        if (command == "info")
            return runInfo(ctx, parsed);
        if (command == "cut")
            return runCut(ctx, parsed);
        if (command == "spectra")
            return runSpectra(ctx, parsed);
        return runIntensity(ctx, parsed);
    } catch (const std::exception& e) {
        err << "sonorix-cli " << command << ": unexpected failure: " << e.what() << '\n';
    } catch (...) {
        err << "sonorix-cli " << command << ": unexpected failure\n";
    }
    return kExitSomeFailed;
}
