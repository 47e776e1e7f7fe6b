// The commands of sonorix-cli: info, cut, spectra, intensity, bands, calibrate, power. Each one runs the same
// library routines as the windows (readers, export rule, spectra, intensity, table maths) and writes
// machine-readable text to `out`, messages to `err`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitSomeFailed = 1;   // at least one input failed; the others were processed
constexpr int kExitUsage = 2;        // bad command line: nothing was processed

// args excludes the program name. Returns the exit code. Safe to call repeatedly in one
// process: the message presenter, settings-store location and default locale are put back as
// they were.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The line that says standard output could not be written, with the system's reason, in the
// language of the run.
std::string CliStandardOutputFailure(const std::string& reason);
