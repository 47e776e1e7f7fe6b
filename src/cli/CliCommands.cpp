#include "CliCommands.h"

#include "CliContext.h"

#include "Settings.h"
#include "SettingsStore.h"

#include <QLocale>

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
    "\n"
    "Run 'sonorix-cli COMMAND --help' for the options of a command.\n"
    "Exit codes: 0 all inputs processed, 1 some input failed (the others were processed),\n"
    "2 bad command line.\n";

const CliCommand* FindCommand(const std::string& name)
{
    for (const CliCommand* command : {&InfoCommand(), &CutCommand(), &SpectraCommand(), &IntensityCommand()})
        if (name == command->name)
            return command;
    return nullptr;
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

// The record the run computes with: the store, then --settings, then the options. An empty
// text when it can be used.
std::string RunSettings(const ParsedArgs& parsed, const StderrPresenter& presenter, Settings& settings)
{
    const int messagesBefore = presenter.messageCount();
    std::string error = BuildSettings(parsed, settings);
    // The store reports what it could not use (an unreadable file, refused keys) and goes on
    // with defaults; a batch run must not compute with constants the user did not set.
    if (error.empty() && presenter.messageCount() != messagesBefore)
        error = "the settings store cannot be used as it is (see above); correct it, or name another with "
                "--store";
    return error;
}

}   // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        (args.empty() ? err : out) << kGeneralHelp;
        return args.empty() ? kExitUsage : kExitOk;
    }
    const std::string name = args[0];
    const CliCommand* command = FindCommand(name);
    if (command == nullptr) {
        err << "sonorix-cli: unknown command \"" << name << "\"\n\n" << kGeneralHelp;
        return kExitUsage;
    }
    std::set<std::string> valueOptions = kSettingsValueOptions;
    valueOptions.insert(command->valueOptions.begin(), command->valueOptions.end());
    std::set<std::string> flagOptions = command->flagOptions;
    flagOptions.insert({"--help", "-h"});

    ParsedArgs parsed;
    const std::string parseError =
        ParseArgs(std::vector<std::string>(args.begin() + 1, args.end()), valueOptions, flagOptions, parsed);
    if (parsed.has("--help") || parsed.has("-h")) {
        out << WithWindows(command->help) << '\n' << kSettingsHelp;
        return kExitOk;
    }
    if (!parseError.empty()) {
        err << "sonorix-cli " << name << ": " << parseError << " (see " << name << " --help)\n";
        return kExitUsage;
    }
    if (name == "info" && parsed.positional.empty()) {
        err << "sonorix-cli info: no files given (see info --help)\n";
        return kExitUsage;
    }

    ProcessStateGuard guard;
    StderrPresenter presenter(err);
    Settings settings = DefaultSettings();
    if (const std::string error = RunSettings(parsed, presenter, settings); !error.empty()) {
        err << "sonorix-cli " << name << ": " << error << '\n';
        return kExitUsage;
    }

    Context ctx{out, err, presenter, settings};
    ctx.localeForm = parsed.has("--locale");
    QLocale locale = QLocale::c();
    if (ctx.localeForm) {
        const std::string* localeName = parsed.value("--locale");
        locale = localeName && !localeName->empty() ? QLocale(QString::fromStdString(*localeName))
                                                    : QLocale::system();
    }
    // Machine output keeps the dot whatever the user's locale; the locale form follows it.
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
    ctx.progress = &err == &std::cerr && isatty(STDERR_FILENO) && parsed.positional.size() > 1;

    try {
        return command->run(ctx, parsed);
    } catch (const std::exception& e) {
        err << "sonorix-cli " << name << ": unexpected failure: " << e.what() << '\n';
    } catch (...) {
        err << "sonorix-cli " << name << ": unexpected failure\n";
    }
    return kExitSomeFailed;
}
