// The test signal of `intensity --demo`: the processing window's "Демосигнал" without the
// window, with the test-signal dialog's parameters as options.
#pragma once

#include "Segment.h"
#include "Settings.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

// The test-signal options as typed; unset when not given.
struct DemoOptions {
    std::optional<std::string> type, freq, amplitude, fiZ, fiX, noise, rate, duration;
};

void AddDemoOptions(CLI::App& app, DemoOptions& options);

// Puts the options into the record, within the test-signal dialog's ranges; a stored value the
// dialog would not have let through is refused unless an option replaces it. Empty text on
// success.
std::string ApplyDemoOptions(const DemoOptions& options, Settings& s);
