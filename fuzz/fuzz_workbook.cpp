// The workbook reader over arbitrary bytes taken as a .xlsx file: truncated
// and forged archives, huge declared sizes, malformed XML, shared-text
// indexes out of range. Every input ends in rows or in a problem, within a
// small memory limit, and rows read through the survey reader.
#include <memory>
#include <string>
#include <vector>

#include "engine/CsvFile.h"
#include "fuzz/FuzzSupport.h"
#include "import/SurveyFile.h"

using namespace habitual;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::TScratchFile file("workbook");
    static const std::string path = file.Path + ".xlsx";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        FUZZ_CHECK(f != nullptr);
        FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
        FUZZ_CHECK(std::fclose(f) == 0);
    }
    std::vector<std::string> names;
    TInputProblem listed;
    const bool listedOk = ListSheets(path, names, listed);
    FUZZ_CHECK(listedOk == listed.Ok());
    FUZZ_CHECK(!listedOk || !names.empty());

    TInputOptions options;
    options.MemoryLimit = 8 << 20;
    // The last sheet as well as the first, when there are several.
    for (const std::string& sheet : {std::string(), std::to_string(names.size())}) {
        options.Sheet = sheet;
        TOpenedSurvey opened = OpenSurvey(path, options);
        FUZZ_CHECK((opened.Source != nullptr) == opened.Problem.Ok());
        if (!opened.Source) continue;
        FUZZ_CHECK(opened.Source->SizeHint() <= options.MemoryLimit);
        auto reader = std::make_unique<TCsvFile>();
        reader->Attach(std::move(opened.Source));
        reader->CountRows();
        std::int32_t rows = 0;
        for (reader->NextRow(); reader->NFields >= 0; reader->NextRow()) ++rows;
        FUZZ_CHECK(rows >= reader->NRows);
        FUZZ_CHECK(!reader->ReadFailed());
    }
    std::remove(path.c_str());
    return 0;
}
