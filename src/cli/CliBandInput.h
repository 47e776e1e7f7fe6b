// What the commands that analyse inputs into octave bands share: the options that choose the
// bands and how the spectra are computed, their checks, and one input from its samples to its
// bands.
#pragma once

#include "CliAudio.h"
#include "CliContext.h"

#include "OctaveBands.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

// The band options as typed; unset when not given.
struct BandInputOptions {
    std::optional<std::string> signal, window, band, fraction, residualIndex;
    bool fdCorrection = false;
    AudioOptions audio;
};

// Registers --signal, --window, --band, --fraction, --residual-index, --fd-correction and the
// audio options.
void AddBandInputOptions(CLI::App& app, BandInputOptions& options);

// What the options ask of every input.
struct BandInputPlan {
    bool demo = false;   // the test signal instead of files
    int window = 0;
    BandAnalysisOptions options;
    AudioPlan audio;
    std::optional<int> signal;   // --signal, until FinishBandInputPlan puts it in the record
};

// Checks the options, each refusal on the error stream; false when any was refused.
bool ReadBandInputOptions(const Context& ctx, const BandInputOptions& given, BandInputPlan& plan);
// Completes the plan from the record once every option has been accepted.
void FinishBandInputPlan(const Context& ctx, const BandInputOptions& given, BandInputPlan& plan);

// One input (a file, or the test signal when plan.demo) from its samples to its bands; false
// after the reason is on the error stream.
// `pascals`, when given, receives how the input's samples became pascals.
bool AnalyseBandInput(const Context& ctx, const BandInputPlan& plan, const std::string& name,
                      BandAnalysis& out, RecordingScale* pascals = nullptr);
