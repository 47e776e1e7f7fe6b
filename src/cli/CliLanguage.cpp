#include "CliLanguage.h"

#include "CoreText.h"

#include <QDir>
#include <QString>
#include <QTranslator>

#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace {

CliLanguage g_language = CliLanguage::Russian;

// The English translations built into the program, loaded once and kept for the process: the
// core asks them directly, so no application object is needed.
const std::vector<std::unique_ptr<QTranslator>>& englishTranslators()
{
    static const std::vector<std::unique_ptr<QTranslator>> translators = [] {
        std::vector<std::unique_ptr<QTranslator>> loaded;
        const QDir folder(QStringLiteral(":/i18n"));
        for (const QString& file : folder.entryList({QStringLiteral("*_en.qm")}, QDir::Files, QDir::Name)) {
            auto translator = std::make_unique<QTranslator>();
            if (translator->load(folder.filePath(file)))
                loaded.push_back(std::move(translator));
        }
        return loaded;
    }();
    return translators;
}

std::string translateToEnglish(const char* context, const char* source)
{
    for (const auto& translator : englishTranslators()) {
        const QString text = translator->translate(context, source);
        if (!text.isEmpty())
            return text.toStdString();
    }
    return source;
}

// The tool's messages in both languages. A "%N" stands for a part that varies (a file, a
// number, a reason), itself put into the run's language where the table knows it. The English
// is the tool's own source; a Russian text here is one the tool or the core writes in Russian
// without a translation of its own.
struct MessagePair {
    const char* en;
    const char* ru;
};

const MessagePair kMessages[] = {
    // Framing of the command line's refusals.
    {"unknown command \"%1\"", "неизвестная команда «%1»"},
    {"unknown option %1", "неизвестный параметр %1"},
    {"option %1 takes no value", "параметр %1 не принимает значения"},
    {"option %1 needs a value", "параметру %1 нужно значение"},
    {"unexpected failure: %1", "непредвиденный сбой: %1"},
    {"unexpected failure", "непредвиденный сбой"},
    {"warning: %1", "предупреждение: %1"},
    {"cannot write the standard output: %1", "не удалось записать стандартный вывод: %1"},
    // Files given and written.
    {"cannot open: %1", "не удалось открыть: %1"},
    {"cannot read: %1", "не удалось прочитать: %1"},
    {"cannot write: %1", "не удалось записать: %1"},
    {"cannot read", "не удалось прочитать"},
    {"cannot write", "не удалось записать"},
    {"system error", "системная ошибка"},
    {"is a directory", "это папка, а не файл"},
    {"is a named pipe, not a regular file", "это именованный канал, а не обычный файл"},
    {"is a device, not a regular file", "это устройство, а не обычный файл"},
    {"is a socket, not a regular file", "это сокет, а не обычный файл"},
    {"is not a regular file", "это не обычный файл"},
    {"is a symbolic link to nothing (a dangling link)", "символическая ссылка ни на что (висячая ссылка)"},
    {"file exists (use --force to replace it)", "файл существует (заменить его: --force)"},
    {"is the same file as the input %1; it would be destroyed: name another output",
     "это тот же файл, что и входной %1; он был бы уничтожен: укажите другой выходной файл"},
    {"not a segment file (*.kvnb)", "не файл сегмента (*.kvnb)"},
    {"not a raw recording (*.dat)", "не файл записи (*.dat)"},
    {"unknown file type (expected *.dat or *.kvnb)", "неизвестный тип файла (нужен *.dat или *.kvnb)"},
    {"cannot read the segment", "не удалось прочитать сегмент"},
    {"cannot read the stamps", "не удалось прочитать метки времени"},
    {"cannot read the header", "не удалось прочитать заголовок"},
    {"the recording's header cannot be used", "заголовок записи использовать нельзя"},
    {"too large for a survey (more than 16 MiB)", "слишком велик для обмера (больше 16 МиБ)"},
    {"cannot be read", "не читается"},
    // The system's reasons the tool meets most.
    {"No such file or directory", "Нет такого файла или каталога"},
    {"Permission denied", "Отказано в доступе"},
    {"No space left on device", "На устройстве не осталось свободного места"},
    {"Is a directory", "Это каталог"},
    {"Not a directory", "Это не каталог"},
    {"Read-only file system", "Файловая система доступна только для чтения"},
    {"Input/output error", "Ошибка ввода/вывода"},
    {"File too large", "Файл слишком велик"},
    {"Disk quota exceeded", "Превышена дисковая квота"},
    // Options.
    {"--json and --locale exclude each other", "--json и --locale исключают друг друга"},
    {"--signal: expected impulse or periodic, got \"%1\"",
     "--signal: нужно impulse или periodic, получено «%1»"},
    {"--window: unknown window \"%1\"; one of %2", "--window: неизвестное окно «%1»; одно из %2"},
    {"--fraction: expected 1 (octaves) or 3 (one-third octaves), got \"%1\"",
     "--fraction: нужно 1 (октавы) или 3 (третьоктавы), получено «%1»"},
    {"--band: expected LO:HI in Hz with 0 <= LO <= HI, got \"%1\"",
     "--band: нужно LO:HI в Гц, 0 <= LO <= HI, получено «%1»"},
    {"--band: expected LO:HI in Hz with HI above LO, got \"%1\"",
     "--band: нужно LO:HI в Гц, HI больше LO, получено «%1»"},
    {"--residual-index: expected the index in dB, above 0 and at most 100, got \"%1\"",
     "--residual-index: нужен индекс в дБ, больше 0 и не больше 100, получено «%1»"},
    {"--grade: expected 1 (precision), 2 (engineering) or 3 (survey), got \"%1\"",
     "--grade: нужно 1 (точный), 2 (технический) или 3 (ориентировочный), получено «%1»"},
    {"--report: expected the name of a PDF file", "--report: нужно имя файла PDF"},
    {"--type: expected sine, meander or impulse, got \"%1\"",
     "--type: нужно sine, meander или impulse, получено «%1»"},
    {"--spectra-csv: with several files the name must contain {} for each file's base name",
     "--spectra-csv: при нескольких файлах имя должно содержать {} на месте имени каждого файла"},
    {"--from and --to must be times (s, m:s or h:m:s) with --to after --from",
     "--from и --to должны быть временами (с, м:с или ч:м:с), --to позже --from"},
    {"--chs: expected the channels 1..6, each once, got \"%1\"",
     "--chs: нужны каналы 1..6, каждый по одному разу, получено «%1»"},
    {"%1: expected %2 numbers separated by commas, got \"%3\"",
     "%1: нужно чисел через запятую: %2, получено «%3»"},
    {"%1: cannot read the settings file", "%1: не удалось прочитать файл настроек"},
    // Commands that lack what they need.
    {"cut needs one recording, --from, --to and -o (see cut --help)",
     "cut нужны одна запись, --from, --to и -o (см. cut --help)"},
    {"spectra needs one segment and -o FILE.csv (see spectra --help)",
     "spectra нужны один сегмент и -o FILE.csv (см. spectra --help)"},
    {"bands needs segment files or --demo, not both (see bands --help)",
     "bands нужны файлы сегментов или --demo, но не то и другое (см. bands --help)"},
    {"intensity needs segment files or --demo, not both (see intensity --help)",
     "intensity нужны файлы сегментов или --demo, но не то и другое (см. intensity --help)"},
    {"calibrate needs one file", "calibrate нужен один файл"},
    {"calibrate needs --level and --freq", "calibrate нужны --level и --freq"},
    {"power needs one survey file", "power нужен один файл обмера"},
    {"the settings store cannot be used as it is (see above); correct it, or name another with --store",
     "хранилище настроек нельзя использовать как есть (см. выше); исправьте его или укажите другое в "
     "--store"},
    // Computations.
    {"--to lies past the end of the recording (%1 s)", "--to лежит за концом записи (%1 с)"},
    {"the stretch reaches past the records read", "участок выходит за прочитанные записи"},
    {"the stretch reaches past the samples read", "участок выходит за прочитанные отсчеты"},
    {"the stretch is too long to cut in one piece", "участок слишком длинный, чтобы вырезать его целиком"},
    {"the stretch cannot be read", "участок не читается"},
    {"too few samples for a spectrum", "слишком мало отсчетов для спектра"},
    {"the spectral window reported a failure", "спектральное окно сообщило о сбое"},
    {"the band could not be integrated", "полосу не удалось проинтегрировать"},
    {"%1 of %2 points not read and left out of the power: %3",
     "%1 из %2 точек не прочитаны и не вошли в мощность: %3"},
    {"band %1 does not reach grade %2 (%3 not met)", "полоса %1 не достигает класса %2 (не выполнены: %3)"},
    {"no point could be read; no power computed", "ни одна точка не прочитана; мощность не вычислена"},
    {"the points share no band (are their rates and lengths alike?); no power computed",
     "у точек нет общей полосы (одинаковы ли их частоты и длительности?); мощность не вычислена"},
    {"the test signal needs a positive sampling rate and duration",
     "тестовому сигналу нужны положительные частота оцифровки и длительность"},
    {"microphone %1: %2", "микрофон %1: %2"},
    // Russian texts of the tool itself, for the English run.
    {"The time interval is too short. Cannot save!", "Слишком малый временной интервал. Запись невозможна!"},
    {"--channels: expected six different channel numbers of the file, separated by commas (1, 2, 3, ...), "
     "got \"%1\"",
     "--channels: нужны шесть разных номеров каналов файла через запятую (1, 2, 3, ...), получено \"%1\""},
    {"--full-scale: expected a positive number of volts, got \"%1\"",
     "--full-scale: нужно положительное число вольт, получено \"%1\""},
    {"--from: expected a time (s, m:s or h:m:s), got \"%1\"",
     "--from: нужно время (с, м:с или ч:м:с), получено \"%1\""},
    {"--to: expected a time (s, m:s or h:m:s) after --from, got \"%1\"",
     "--to: нужно время (с, м:с или ч:м:с) позже --from, получено \"%1\""},
    {"--level: expected the calibrator's level in dB, a positive number, got \"%1\"",
     "--level: нужен уровень калибратора в дБ, положительное число, получено \"%1\""},
    {"--freq: expected the calibrator's frequency in Hz, a positive number, got \"%1\"",
     "--freq: нужна частота калибратора в Гц, положительное число, получено \"%1\""},
    {"--channel: expected a microphone number from 1 to 6, got \"%1\"",
     "--channel: нужен номер микрофона от 1 до 6, получено \"%1\""},
    {"sampling rate %1 Hz is odd, and a segment (*.kvnb) holds an even one only; save the stretch as *.wav",
     "частота оцифровки %1 Гц нечетная, а сегмент (*.kvnb) хранит только четную; сохраните участок в *.wav"},
    {"sensitivities not written: the calibrator's tone was not found for every microphone",
     "чувствительности не записаны: не у всех микрофонов найден тон калибратора"},
    {"sensitivity %1 mV/Pa cannot be used by the program",
     "чувствительность %1 мВ/Па программа использовать не может"},
    {"sensitivities of microphones %1 written to the settings store %2",
     "чувствительности микрофонов %1 записаны в хранилище настроек %2"},
    {"sensitivities not written to the settings store %1",
     "чувствительности не записаны в хранилище настроек %1"},
    {"the settings store %1 holds values the program cannot use; sensitivities not written",
     "хранилище настроек %1 содержит значения, которые программа не может использовать; чувствительности не "
     "записаны"},
    {"Could not write the file “%1”: %2", "Не удалось записать файл «%1»: %2"},
    {"the survey is not UTF-8 text; read as Windows-1251",
     "обзор записан не в UTF-8; прочитан как Windows-1251"},
    {"the result holds a number that is not finite (the input is beyond what the arithmetic can take); "
     "nothing is written for it",
     "в результате есть число, которое не конечно (входные данные за пределами возможностей арифметики); "
     "он не записан"},
    {"not enough memory: the system refused the work arrays%1; read a shorter stretch (--from, --to) or free "
     "memory",
     "недостаточно памяти: система отказала в рабочих массивах%1; прочитайте участок короче (--from, --to) "
     "или освободите память"},
    // Frames around a message of its own, last, so the messages they hold are found first.
    {"%1 (see %2 --help)", "%1 (см. %2 --help)"},
    {"%1 (use --force to replace it)", "%1 (заменить его: --force)"},
};

// Whether the text has the form of the pattern; the parts in place of %N are kept in `parts`.
bool matches(std::string_view pattern, std::string_view text, std::vector<std::string>& parts)
{
    parts.clear();
    // The pattern's fixed pieces between its places.
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t i = 0; i + 1 < pattern.size(); ++i)
        if (pattern[i] == '%' && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            pieces.push_back(pattern.substr(start, i - start));
            start = i + 2;
            ++i;
        }
    pieces.push_back(pattern.substr(start));
    if (pieces.size() == 1)
        return text == pattern;
    if (text.substr(0, pieces.front().size()) != pieces.front())
        return false;
    size_t at = pieces.front().size();
    for (size_t p = 1; p < pieces.size(); ++p) {
        const std::string_view piece = pieces[p];
        size_t found = 0;
        if (p + 1 == pieces.size()) {
            if (text.size() < at + piece.size() || text.substr(text.size() - piece.size()) != piece)
                return false;
            found = text.size() - piece.size();
        } else {
            found = piece.empty() ? std::string_view::npos : text.find(piece, at);
            if (found == std::string_view::npos)
                return false;
        }
        parts.emplace_back(text.substr(at, found - at));
        at = found + piece.size();
    }
    return true;
}

std::string localized(const std::string& text, int depth)
{
    if (text.empty() || depth > 4)
        return text;
    const bool toRussian = g_language == CliLanguage::Russian;
    std::vector<std::string> parts;
    for (const MessagePair& pair : kMessages) {
        const char* from = toRussian ? pair.en : pair.ru;
        const char* to = toRussian ? pair.ru : pair.en;
        if (!matches(from, text, parts))
            continue;
        for (std::string& part : parts)
            part = localized(part, depth + 1);
        std::vector<std::string_view> args(parts.begin(), parts.end());
        // FillArgs takes a fixed list; the table's texts have at most three places.
        while (args.size() < 3)
            args.emplace_back();
        return FillArgs(to, {args[0], args[1], args[2]});
    }
    return text;
}

}   // namespace

CliLanguage LanguageFromEnvironment()
{
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value) {
            locale = value;
            break;
        }
    // As the C library has it: LANGUAGE counts only where a locale other than "C" is set.
    if (!locale.empty() && locale != "C" && locale != "POSIX" && locale.rfind("C.", 0) != 0)
        if (const char* language = std::getenv("LANGUAGE"); language && *language)
            locale = language;
    return locale.rfind("ru", 0) == 0 ? CliLanguage::Russian : CliLanguage::English;
}

RunLanguage::RunLanguage(CliLanguage language) : previous_(g_language), translated_(false)
{
    g_language = language;
    if (language == CliLanguage::English && !englishTranslators().empty()) {
        SetCoreTranslator(translateToEnglish);
        translated_ = true;
    }
}

RunLanguage::~RunLanguage()
{
    if (translated_)
        SetCoreTranslator(nullptr);
    g_language = previous_;
}

CliLanguage CurrentCliLanguage()
{
    return g_language;
}

std::string LocalizedMessage(const std::string& text)
{
    return localized(text, 0);
}
