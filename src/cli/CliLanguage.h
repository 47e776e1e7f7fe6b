// The language of the batch tool's messages: the system's (Russian under a Russian locale,
// English otherwise), one language per run. The core's texts are Russian at their source and
// become English through the translations built into the program; the tool's own messages are
// English at their source and become Russian through a table of its own (CliMessages.cpp).
// Machine output (CSV headers, JSON keys, the numbers) is the same in both languages.
#pragma once

#include <string>

enum class CliLanguage { Russian, English };

// From LC_ALL, LC_MESSAGES and LANG, the first one set counting; LANGUAGE, where set and a
// locale other than "C" or "POSIX" is, names the messages' language first.
CliLanguage LanguageFromEnvironment();

// The language of the messages for as long as it lives: installs the core's translator for
// English, and puts back the previous language and translator afterwards.
class RunLanguage {
public:
    explicit RunLanguage(CliLanguage language);
    ~RunLanguage();
    RunLanguage(const RunLanguage&) = delete;
    RunLanguage& operator=(const RunLanguage&) = delete;

private:
    CliLanguage previous_;
    bool translated_;
};

CliLanguage CurrentCliLanguage();

// A message for standard error in the run's language: an English text of the tool, or a Russian
// one that reached it untranslated, turned into the other language where the table knows it.
std::string LocalizedMessage(const std::string& text);
