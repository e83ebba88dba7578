// A whole analysis run over arbitrary survey bytes and settings. The input
// starts with the settings (see ReadSettings), the rest is the survey file.
#include <string>

#include "engine/LineFormat.h"
#include "engine/UserMessages.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/RunInput.h"
#include "report/Report.h"

using namespace habitual;
using habitual::fuzz::ReadSettings;
using habitual::fuzz::TInput;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::TScratchFile file("run");
    TInput in(data, size);
    TAnalysisSettings settings = ReadSettings(in);
    const std::string_view survey = in.Rest();
    file.Write(reinterpret_cast<const std::uint8_t*>(survey.data()), survey.size());
    settings.FileName = file.Path;

    TMemoryResultLines lines;
    const TRunStatus status = RunReport(settings, lines);
    if (!status.Ok()) {
        // A rejected run writes nothing and has a message to show.
        FUZZ_CHECK(lines.Lines.empty());
        FUZZ_CHECK(!RunErrorMessage(status, settings.FileName).empty());
        return 0;
    }
    for (const std::string& line : lines.Lines) {
        FUZZ_CHECK(line.size() <= LineLimit);
        FUZZ_CHECK(!fuzz::EndsWithLoneLeadByte(line));
        // A line break or NUL inside a line would change the document when
        // it is saved and opened again.
        FUZZ_CHECK(line.find_first_of(std::string_view("\n\r\0\x1A", 4)) == std::string::npos);
    }
    return 0;
}
