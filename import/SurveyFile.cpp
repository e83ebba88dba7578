#include "import/SurveyFile.h"

#include <cstring>
#include <memory>
#include <new>

#include "engine/ByteSource.h"
#ifdef HABITUAL_HAVE_WORKBOOKS
#include "import/Workbook.h"
#endif

namespace habitual {
namespace {

enum class TSignature { Other, Zip, Compound };

// A zip archive starts with a local header (or, empty, with the end
// record); an Excel 97-2003 file and an encrypted workbook are compound
// documents.
TSignature SignatureOf(const std::string& path) {
    std::unique_ptr<TFileSource> file = TFileSource::Open(path.c_str());
    if (!file) return TSignature::Other;
    unsigned char head[8] = {};
    const std::size_t n = file->Read(head, sizeof head);
    if (n >= 4 && std::memcmp(head, "PK\x03\x04", 4) == 0) return TSignature::Zip;
    if (n >= 4 && std::memcmp(head, "PK\x05\x06", 4) == 0) return TSignature::Zip;
    if (n == 8 && std::memcmp(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) == 0)
        return TSignature::Compound;
    return TSignature::Other;
}

bool NamedWorkbook(const std::string& path) {
    if (path.size() < 5) return false;
    std::string end = path.substr(path.size() - 5);
    for (char& c : end)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return end == ".xlsx" || end == ".xlsm";
}

#ifdef HABITUAL_HAVE_WORKBOOKS
// A workbook that cannot be read at all, as the user should hear of it.
std::unique_ptr<TWorkbook> OpenWorkbook(const std::string& path, TInputProblem& problem) {
    problem = {};
    switch (SignatureOf(path)) {
    case TSignature::Compound:
        // Encrypted .xlsx files are compound documents as well; the name tells
        // which the user has.
        problem.Kind = NamedWorkbook(path) ? TInputProblem::TKind::Encrypted
                                           : TInputProblem::TKind::OldWorkbook;
        return nullptr;
    case TSignature::Zip:
        return TWorkbook::Open(path, problem);
    case TSignature::Other:
        if (!TFileSource::Open(path.c_str())) {
            problem.Kind = TInputProblem::TKind::CannotOpen;
        } else {
            problem.Kind = TInputProblem::TKind::Damaged;
        }
        return nullptr;
    }
    return nullptr;
}
#endif

} // namespace

bool IsWorkbookFile(const std::string& path) {
    return NamedWorkbook(path) || SignatureOf(path) != TSignature::Other;
}

#ifndef HABITUAL_HAVE_WORKBOOKS
// A build without the workbook reader (its libraries were not there) still
// knows a workbook when it sees one, and says that it cannot read it.
bool ListSheets(const std::string&, std::vector<std::string>& names, TInputProblem& problem) {
    names.clear();
    problem = {};
    problem.Kind = TInputProblem::TKind::NoWorkbooks;
    return false;
}

TOpenedSurvey OpenSurvey(const std::string& path, const TInputOptions& options) {
    if (!IsWorkbookFile(path)) return OpenCsvSurvey(path, options);
    TOpenedSurvey opened;
    opened.Format = TSurveyFormat::Workbook;
    opened.Problem.Kind = TInputProblem::TKind::NoWorkbooks;
    return opened;
}
#else
bool ListSheets(const std::string& path, std::vector<std::string>& names, TInputProblem& problem) {
    std::unique_ptr<TWorkbook> book = OpenWorkbook(path, problem);
    if (!book) return false;
    names.clear();
    for (const TSheetInfo& sheet : book->Sheets()) names.push_back(sheet.Name);
    return true;
}

TOpenedSurvey OpenSurvey(const std::string& path, const TInputOptions& options) {
    if (!IsWorkbookFile(path)) return OpenCsvSurvey(path, options);
    TOpenedSurvey opened;
    opened.Format = TSurveyFormat::Workbook;
    std::unique_ptr<TWorkbook> book = OpenWorkbook(path, opened.Problem);
    if (!book) return opened;
    const int index = book->FindSheet(options.Sheet);
    if (index < 0) {
        opened.Problem.Kind = TInputProblem::TKind::NoSuchSheet;
        opened.Problem.Sheet = options.Sheet;
        return opened;
    }
    opened.SheetName = book->Sheets()[static_cast<std::size_t>(index)].Name;
    std::string rows;
    try {
        if (!book->ReadSheet(index, options.MemoryLimit, rows, opened.Problem)) return opened;
    } catch (const std::bad_alloc&) {
        opened.Problem = {};
        opened.Problem.Kind = TInputProblem::TKind::TooLarge;
        opened.Problem.Limit = options.MemoryLimit;
        return opened;
    }
    opened.Source = std::make_unique<TMemorySource>(std::move(rows));
    return opened;
}

#endif

} // namespace habitual
