// A whole run with bootstrap intervals and notices over arbitrary survey
// bytes and settings, in the input layout of fuzz_run. The number of
// replicates (2 to 17), the threads (1 or 2), the level and whether the
// notices go into the document follow from the input's size, so that the
// corpus of fuzz_run serves here as well.
#include <string>

#include "fuzz/FuzzSupport.h"
#include "fuzz/RunInput.h"
#include "report/Report.h"

using namespace habitual;
using habitual::fuzz::TInput;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::TScratchFile file("bootstrap");
    TInput in(data, size);
    TAnalysisSettings settings = fuzz::ReadSettings(in);
    const std::string_view survey = in.Rest();
    file.Write(reinterpret_cast<const std::uint8_t*>(survey.data()), survey.size());
    settings.FileName = file.Path;

    TRunOptions options;
    options.Bootstrap.Replicates = 2 + static_cast<int>(size % 16);
    options.Bootstrap.Threads = 1 + static_cast<int>(size / 16 % 2);
    options.Bootstrap.Level = (size / 32 % 3 == 0) ? 90 : (size / 32 % 3 == 1) ? 95 : 99;
    options.Bootstrap.Seed = size;
    options.NoticesInDocument = size / 96 % 2 == 1;
    std::size_t notices = 0;
    options.Notice = [&notices](TNotice notice) {
        FUZZ_CHECK(!notice.Text.empty());
        ++notices;
    };
    TMemoryResultLines with;
    const TRunStatus status = RunReport(settings, with, options);
    fuzz::CheckRunDocument(status, with, settings.FileName);

    // The plain run's lines stand in the document in their order; the
    // intervals and notices come in addition.
    TMemoryResultLines plain;
    FUZZ_CHECK(RunReport(settings, plain).Error == status.Error);
    std::size_t j = 0;
    for (const std::string& line : plain.Lines) {
        while (j < with.Lines.size() && with.Lines[j] != line) ++j;
        FUZZ_CHECK(j < with.Lines.size());
        ++j;
    }
    (void)notices;
    return 0;
}
