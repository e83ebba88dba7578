// The batch tool's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Bootstrap.h"
#include "engine/Settings.h"
#include "engine/SurveyInput.h"

namespace habitual {

struct TCliOptions {
    enum class TAction { Run, Columns, Help, Version };
    TAction Action = TAction::Run;
    std::string Survey;
    std::vector<std::string> Ids, Classes; // column references as given
    std::vector<std::string> Nutrients;    // --nutrient, in the order given
    bool AllNumeric = false;               // --nutrient all-numeric
    std::string CutOffTable;               // --cutoff-table: empty for none
    int Method = Normalize::BestPower;
    std::string Power;
    int HendoMode = Hendo::Estimated;
    std::string HendoText;
    std::string CutOffs;
    int Output = OutForm::Standard;
    std::string OutputFile;
    bool Utf8 = false;
    bool EncodingGiven = false;
    TInputOptions Input;
    bool InputEncodingGiven = false;
    bool SheetGiven = false;
    std::string PlotFolder; // --plots: empty for none
    bool LogAxis = false;   // --log-axis
    // Bootstrap confidence intervals: B (0 off), seed, level, and whether
    // each was given; the threads of the run (0: one per core).
    int Bootstrap = 0;
    std::uint64_t Seed = TBootstrapOptions::DefaultSeed;
    int Level = 95;
    int Threads = 0;
    bool SeedGiven = false, LevelGiven = false;
    // Whether the notices go into the results too.
    bool WriteNotices = false;
    bool StageTimes = false; // the time of each stage of the run, on standard error
};

// Fills options from the arguments; returns false with a message (UTF-8)
// on a usage error.
bool ParseOptions(const std::vector<std::string>& args, TCliOptions& options, std::string& error);

const char* UsageText();

} // namespace habitual
