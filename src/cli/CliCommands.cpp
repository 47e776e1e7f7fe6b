#include "CliCommands.h"

#include "CliContext.h"
#include "CliLanguage.h"

#include "SettingsStore.h"

#include <CLI/CLI.hpp>

#include <QLocale>

#include <algorithm>
#include <iostream>
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
    "  bands SEG.kvnb... | --demo\n"
    "                            octave or one-third-octave bands of the intensity spectra:\n"
    "                            levels L_I, L_p, the index and the direction, one row per band\n"
    "  calibrate FILE --level DB --freq HZ\n"
    "                            microphone sensitivities from a calibrator tone\n"
    "  power SURVEY.csv|.json    sound power per band from a survey of probe positions, with\n"
    "                            the field indicators, the criteria and the accuracy grade,\n"
    "                            and with --report a one-page PDF report\n"
    "Audio files (*.wav, *.flac, ... of six channels or more) are read by info, spectra,\n"
    "intensity, bands and power wherever a segment is, and cut writes *.wav as well as *.kvnb.\n"
    "\n"
    "Run 'sonorix-cli COMMAND --help' for the options of a command.\n"
    "Exit codes: 0 all inputs processed, 1 some input failed (the others were processed) or\n"
    "standard output could not be written, 2 bad command line.\n"
    "Messages follow the system's language (LC_ALL, LC_MESSAGES, LANG): Russian or English.\n";

std::unique_ptr<CliCommand> makeCommand(const std::string& name)
{
    if (name == "info")
        return MakeInfoCommand();
    if (name == "cut")
        return MakeCutCommand();
    if (name == "spectra")
        return MakeSpectraCommand();
    if (name == "intensity")
        return MakeIntensityCommand();
    if (name == "bands")
        return MakeBandsCommand();
    if (name == "calibrate")
        return MakeCalibrateCommand();
    if (name == "power")
        return MakePowerCommand();
    return nullptr;
}

void addSettingsOptions(CLI::App& app, SettingsOptions& options)
{
    AddValueOption(app, "--store", options.store);
    AddValueOption(app, "--settings", options.ini);
    AddValueOption(app, "--rho", options.rho);
    AddValueOption(app, "--c", options.c);
    AddValueOption(app, "--spacing", options.spacing);
    AddValueOption(app, "--volt", options.volt);
    AddValueOption(app, "--null-adc", options.nullAdc);
    AddValueOption(app, "--chs", options.chs);
    AddValueOption(app, "--sens", options.sens);
    AddFlagOption(app, "--calibrated", options.calibrated);
}

// What is wrong with a command line, and the argument it was found at: the reading stops
// there, so a "--help" before it is still honoured.
struct Refusal {
    std::string text;
    size_t at = 0;
};

size_t indexOf(const std::vector<std::string>& args, const std::string& arg)
{
    const size_t end = std::find(args.begin(), args.end(), "--") - args.begin();
    return std::find(args.begin(), args.begin() + end, arg) - args.begin();
}

// The parser reads "--x=" as "--x" waiting for its value in the next word; the tool reads it
// as an empty value, which the option's own check then refuses or takes.
std::vector<std::string> withEmptyValues(const CLI::App& app, const std::vector<std::string>& args)
{
    std::vector<std::string> out;
    const size_t end = indexOf(args, "--");
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool empty = i < end && arg.size() > 3 && arg.rfind("--", 0) == 0 && arg.back() == '=';
        const CLI::Option* option = empty ? app.get_option_no_throw(arg.substr(0, arg.size() - 1)) : nullptr;
        if (option && option->get_expected_min() > 0) {
            out.push_back(arg.substr(0, arg.size() - 1));
            out.emplace_back();
        } else {
            out.push_back(arg);
        }
    }
    return out;
}

// A flag given a value ("--json=x"); only --locale takes one.
Refusal flagGivenValue(const CLI::App& app, const std::vector<std::string>& args)
{
    const size_t end = indexOf(args, "--");
    for (size_t i = 0; i < end; ++i) {
        const size_t eq = args[i].find('=');
        const std::string name = args[i].substr(0, eq);
        const CLI::Option* flag =
            args[i].rfind("--", 0) == 0 && eq != std::string::npos ? app.get_option_no_throw(name) : nullptr;
        if (flag && flag->get_expected_max() == 0 && name != "--locale")
            return {"option " + name + " takes no value", i};
    }
    return {};
}

// A short option with text attached ("-ofile", "-o=file"): the parser would take the text as
// the value; the tool has no such form and refuses it as an option it does not know.
Refusal shortWithText(const CLI::App& app, const std::vector<std::string>& args)
{
    const size_t end = indexOf(args, "--");
    for (size_t i = 1; i < end; ++i) {
        const CLI::Option* option = args[i].rfind('-', 0) == 0 ? app.get_option_no_throw(args[i]) : nullptr;
        if (option && option->get_expected_min() > 0)
            ++i;   // its value, whatever it looks like
        else if (!option && args[i].size() > 2 && args[i][0] == '-' && args[i][1] != '-')
            return {"unknown option " + args[i], i};
    }
    return {};
}

// The words the parser took for no option: the files in their order, and any option the
// command does not know (the first is refused). After the "--" that ends the options every word
// is a file. The files are not a positional option of the parser, which would split a name in
// brackets as a list.
Refusal takeFiles(const CLI::App& app, const std::vector<std::string>& args, std::vector<std::string>& files)
{
    Refusal unknown;
    bool optionsEnded = false;
    for (const std::string& word : app.remaining()) {
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && word.size() >= 2 && word[0] == '-') {
            if (unknown.text.empty())
                unknown = {"unknown option " +
                               (word.rfind("--", 0) == 0 ? word.substr(0, word.find('=')) : word),
                           indexOf(args, word)};
        } else {
            files.push_back(word);
        }
    }
    return unknown;
}

// The parser's own refusal, in the tool's words where it has them: an option that takes a value
// given last without one.
Refusal parseRefusal(const CLI::App& app, const CLI::ParseError& error, const std::vector<std::string>& args)
{
    const CLI::Option* last = args.back().rfind('-', 0) == 0 ? app.get_option_no_throw(args.back()) : nullptr;
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && last && last->get_expected_min() > 0)
        return {"option " + args.back() + " needs a value", args.size() - 1};
    return {error.what(), args.size()};
}

// Reads the command's part of the command line; false after saying what is wrong with it, or
// after the help when it was asked for (`exitCode` says which).
bool parseCommandLine(const std::string& name, CliCommand& command, const std::vector<std::string>& given,
                      CommandLine& line, std::ostream& out, std::ostream& err, int& exitCode)
{
    CLI::App app;
    app.set_help_flag();
    // Unknown options are collected with the files and reported in the tool's words below.
    app.allow_extras();
    const CLI::Option* help = app.add_flag("-h,--help");
    addSettingsOptions(app, line.settings);
    command.addOptions(app, line);

    const std::vector<std::string> args = withEmptyValues(app, given);
    std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
    std::vector<Refusal> refusals = {flagGivenValue(app, args), shortWithText(app, args)};
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        refusals.push_back(parseRefusal(app, e, args));
    }
    refusals.push_back(takeFiles(app, args, line.files));
    // The first thing wrong, as a reading that stops there would find it.
    Refusal refusal{{}, args.size() + 1};
    for (const Refusal& r : refusals)
        if (!r.text.empty() && r.at < refusal.at)
            refusal = r;
    const size_t helpAt = std::min(indexOf(args, "-h"), indexOf(args, "--help"));
    if (help->count() > 0 && (refusal.text.empty() || helpAt < refusal.at)) {
        out << WithWindowNames(command.help()) << '\n' << kSettingsHelp;
        exitCode = kExitOk;
        return false;
    }
    if (refusal.text.empty())
        refusal.text = command.usageProblem(line);
    if (!refusal.text.empty()) {
        err << "sonorix-cli " << name << ": "
            << PrintableText(LocalizedMessage(refusal.text + " (see " + name + " --help)"), true) << '\n';
        exitCode = kExitUsage;
        return false;
    }
    return true;
}

// Puts back every piece of process-wide state a run changes.
class ProcessStateGuard {
public:
    ProcessStateGuard() : storeFile_(SettingsStore::FileName()), locale_(QLocale()) {}
    ~ProcessStateGuard()
    {
        QLocale::setDefault(locale_);
        SettingsStore::SetFileName(storeFile_);
    }
    ProcessStateGuard(const ProcessStateGuard&) = delete;
    ProcessStateGuard& operator=(const ProcessStateGuard&) = delete;

private:
    QString storeFile_;
    QLocale locale_;
};

// Machine output keeps the dot whatever the user's locale; the locale form follows the locale
// named, or the user's own.
void setOutputLocale(const CommandLine& line)
{
    QLocale locale = QLocale::c();
    if (!line.locale.empty()) {
        const std::string& name = line.locale.back();
        locale = name.empty() ? QLocale::system() : QLocale(QString::fromStdString(name));
    }
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
}

int runCommand(const std::string& name, CliCommand& command, const CommandLine& line, std::ostream& out,
               std::ostream& err)
{
    ProcessStateGuard guard;
    StderrPresenter presenter(err);
    Settings settings = DefaultSettings();
    const int messagesBefore = presenter.messageCount();
    std::string settingsError = BuildSettings(line.settings, settings);
    // The store reports what it could not use (an unreadable file, refused keys) and goes on
    // with defaults; a batch run must not compute with constants the user did not set.
    if (settingsError.empty() && presenter.messageCount() != messagesBefore)
        settingsError = "the settings store cannot be used as it is (see above); correct it, or name another "
                        "with --store";
    if (!settingsError.empty()) {
        err << "sonorix-cli " << name << ": " << PrintableText(LocalizedMessage(settingsError), true) << '\n';
        return kExitUsage;
    }
    Context ctx{out, err, presenter, settings};
    ctx.localeForm = !line.locale.empty();
    ctx.sensitivitiesFromOption = line.settings.sens.has_value();
    setOutputLocale(line);
    ctx.progress = &err == &std::cerr && isatty(STDERR_FILENO) && line.files.size() > 1;
    try {
        return command.run(ctx, line);
    } catch (const std::bad_alloc&) {
        err << "sonorix-cli " << name << ": " << MemoryShortText() << '\n';
    } catch (const std::exception& e) {
        err << "sonorix-cli " << name << ": "
            << LocalizedMessage(std::string("unexpected failure: ") + e.what()) << '\n';
    } catch (...) {
        err << "sonorix-cli " << name << ": " << LocalizedMessage("unexpected failure") << '\n';
    }
    return kExitSomeFailed;
}

}   // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const RunLanguage language(LanguageFromEnvironment());
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        (args.empty() ? err : out) << kGeneralHelp;
        return args.empty() ? kExitUsage : kExitOk;
    }
    const std::string& name = args[0];
    const std::unique_ptr<CliCommand> command = makeCommand(name);
    if (!command) {
        err << "sonorix-cli: " << PrintableText(LocalizedMessage("unknown command \"" + name + "\""))
            << "\n\n"
            << kGeneralHelp;
        return kExitUsage;
    }
    CommandLine line;
    int exitCode = kExitOk;
    if (!parseCommandLine(name, *command, args, line, out, err, exitCode))
        return exitCode;
    return runCommand(name, *command, line, out, err);
}

std::string CliStandardOutputFailure(const std::string& reason)
{
    const RunLanguage language(LanguageFromEnvironment());
    return "sonorix-cli: " + LocalizedMessage("cannot write the standard output: " + reason);
}
