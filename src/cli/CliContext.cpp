#include "CliContext.h"

#include "CliLanguage.h"
#include "ProcessingData.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"
#include "SurveyPointAnalysis.h"
#include "ResultText.h"
#include "SettingsStore.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <fstream>

void AddValueOption(CLI::App& app, const std::string& name, std::optional<std::string>& target)
{
    app.add_option_function<std::string>(name, [&target](const std::string& value) { target = value; })
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void AddFlagOption(CLI::App& app, const std::string& name, bool& target)
{
    app.add_flag(name, target)->disable_flag_override();
}

void AddLocaleOption(CLI::App& app, std::vector<std::string>& given)
{
    // A flag whose default value is empty: "--locale" and "--locale=" give "", "--locale=NAME"
    // gives NAME. Being a flag, it never takes the next word as its value.
    app.add_flag("--locale{}", given);
}

std::string MemoryShortText()
{
    const int64_t available = AvailableMemoryBytes();
    return "not enough memory: the system refused the work arrays" +
           (available >= 0 ? " (" + std::to_string(available / (1024 * 1024)) + " MB left to the process)"
                           : std::string()) +
           "; read a shorter stretch (--from, --to) or free memory";
}

void Context::fail(const std::string& file, const std::string& text) const
{
    presenter.endProgressLine();
    err << "sonorix-cli: " << (file.empty() ? "" : PrintableText(file) + ": ")
        << PrintableText(LocalizedMessage(text), true) << '\n';
}

void Context::showProgress(size_t index, size_t total, const std::string& file) const
{
    if (progress) {
        err << "\r\033[K[" << index + 1 << '/' << total << "] " << PrintableText(file) << std::flush;
        presenter.setProgressShown();
    }
}

void Context::endProgress() const
{
    presenter.endProgressLine();
}

std::string WithWindowNames(const char* help)
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

std::string BaseName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::optional<std::string> ReadBytesAt(const std::string& path, std::streamoff offset, size_t count,
                                       bool fromEnd)
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

PascalRequest Context::pascalRequest() const
{
    PascalRequest request;
    request.calibrated = settings.I_PO_CHUV;
    request.sensitivitiesFromOption = sensitivitiesFromOption;
    return request;
}

bool OpenRecording(const Context& ctx, const std::string& path, TReadIshFile& reader, uint16_t& h,
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

std::optional<int> SignalFromOption(const Context& ctx, const std::optional<std::string>& text, bool& bad)
{
    if (!text)
        return std::nullopt;
    if (*text == "impulse")
        return Settings::kImpulsImpulse;
    if (*text == "periodic")
        return Settings::kImpulsPeriodic;
    ctx.fail("", "--signal: expected impulse or periodic, got \"" + *text + "\"");
    bad = true;
    return std::nullopt;
}

std::optional<int> WindowFromOption(const Context& ctx, const std::optional<std::string>& text, bool& bad)
{
    if (!text) {
        // The processing window's last window choice, as it would open with it.
        SettingsStore store;
        return store.ReadInteger(QStringLiteral("Sav"), QStringLiteral("Wind"), 0);
    }
    const std::optional<int> item = WindowItemFromName(*text);
    if (!item) {
        std::string names = kWindowNamesHelp;
        std::replace(names.begin(), names.end(), '\n', ' ');
        ctx.fail("", "--window: unknown window \"" + *text + "\"; one of " + names);
        bad = true;
    }
    return item;
}

std::string EncodeLines(const QStringList& lines, bool localeForm)
{
    if (localeForm)
        return EncodeCsvLines(lines).toStdString();
    std::string text;
    for (const QString& line : lines)
        text += line.toStdString() + '\n';
    return text;
}

QString OutputNumber(const Context& ctx, double value)
{
    return ctx.localeForm ? LocaleNumber(value) : QString::fromStdString(MachineNumber(value));
}
