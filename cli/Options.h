// The batch tool's command line.
#pragma once

#include <string>
#include <vector>

#include "engine/Settings.h"
#include "engine/SurveyInput.h"

namespace habitual {

struct TCliOptions {
    enum class TAction { Run, Columns, Help, Version };
    TAction Action = TAction::Run;
    std::string Survey;
    std::vector<std::string> Ids, Classes; // column references as given
    std::string Nutrient;
    bool HasNutrient = false;
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
};

// Fills options from the arguments; returns false with a message (UTF-8)
// on a usage error.
bool ParseOptions(const std::vector<std::string>& args, TCliOptions& options, std::string& error);

const char* UsageText();

} // namespace habitual
