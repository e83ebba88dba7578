// A cut-off table of arbitrary bytes, and a run that uses it. The input is
// the table, then the bytes "\n#\n", then a survey in the input layout of
// fuzz_run (its settings first); without the separator the whole input is
// the table and the survey is a small fixed one. Checked: a table that is
// read holds only valid cut-off texts and no two rows for the same class
// texts and column; a run with it is refused only for the table, writes
// nothing then, and otherwise writes a document of whole lines; a table
// without rows changes nothing.
#include <string>

#include "engine/CutOffTable.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/RunInput.h"
#include "report/Report.h"

using namespace habitual;
using habitual::fuzz::TInput;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::TScratchFile tableFile("cutoff-table");
    static fuzz::TScratchFile surveyFile("cutoff-survey");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find("\n#\n");
    const std::string_view table = bytes.substr(0, split);
    tableFile.Write(reinterpret_cast<const std::uint8_t*>(table.data()), table.size());

    TCutOffTable cutOffs;
    TCutOffProblem problem;
    if (!cutOffs.Read(tableFile.Path, {}, {}, problem)) {
        FUZZ_CHECK(!problem.Ok());
        FUZZ_CHECK(cutOffs.Empty());
        return 0;
    }
    const auto& rows = cutOffs.TableRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FUZZ_CHECK(ValidCutOffText(rows[i].CutOffs));
        FUZZ_CHECK(!rows[i].Column.empty());
        FUZZ_CHECK(rows[i].ClassTexts.size() == cutOffs.TableClassNames().size());
        for (std::size_t j = 0; j < i; ++j)
            FUZZ_CHECK(rows[j].ClassTexts != rows[i].ClassTexts ||
                       rows[j].Column != rows[i].Column);
    }

    TAnalysisSettings settings;
    std::string survey;
    if (split == std::string_view::npos) {
        settings.IdColumns[0] = 0;
        settings.ClassColumns[0] = 1;
        settings.NutrientColumn = 2;
        survey = "ID,G,x\n1,a,1\n1,a,2\n2,a,3\n2,a,5\n3,b,4\n3,b,4.5\n4,b,9\n";
    } else {
        const std::string_view rest = bytes.substr(split + 3);
        TInput in(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
        settings = fuzz::ReadSettings(in);
        survey = in.Rest();
    }
    surveyFile.Write(reinterpret_cast<const std::uint8_t*>(survey.data()), survey.size());
    settings.FileName = surveyFile.Path;

    // Now and then two columns, or the one-table form.
    TRunOptions options;
    if (size % 3 == 0 && settings.NutrientColumn + 1 < 1024)
        options.Columns.List = {settings.NutrientColumn, settings.NutrientColumn + 1};
    if (size % 4 == 3) settings.OutType = OutForm::SummaryTable;
    TRunOptions plainOptions = options;
    options.CutOffs = &cutOffs;
    options.Threads = 1 + static_cast<int>(size % 2);
    TMemoryResultLines with;
    const TRunStatus status = RunReport(settings, with, options);
    TMemoryResultLines without;
    const TRunStatus plain = RunReport(settings, without, plainOptions);
    if (status.Error == TRunError::CutOffTable) {
        FUZZ_CHECK(with.Lines.empty());
        FUZZ_CHECK(!status.CutOffs.Ok());
        FUZZ_CHECK(plain.Ok());
    } else {
        FUZZ_CHECK(status.Error == plain.Error);
        fuzz::CheckRunDocument(status, with, settings.FileName);
        if (rows.empty()) FUZZ_CHECK(with.Lines == without.Lines);
    }
    return 0;
}
