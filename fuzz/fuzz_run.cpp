// A whole analysis run over arbitrary survey bytes and settings. The input
// starts with the settings (see ReadSettings), the rest is the survey file.
#include <string>

#include "fuzz/FuzzSupport.h"
#include "fuzz/RunInput.h"
#include "report/Report.h"

using namespace habitual;
using habitual::fuzz::TInput;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::TScratchFile file("run");
    TInput in(data, size);
    TAnalysisSettings settings = fuzz::ReadSettings(in);
    const std::string_view survey = in.Rest();
    file.Write(reinterpret_cast<const std::uint8_t*>(survey.data()), survey.size());
    settings.FileName = file.Path;

    TMemoryResultLines lines;
    fuzz::CheckRunDocument(RunReport(settings, lines), lines, settings.FileName);
    return 0;
}
