#include "import/Zip.h"

#include <zip.h>

namespace habitual {
namespace {

// A workbook has some dozens of parts; a directory of very many more is
// forged, and libzip would keep an entry for each.
constexpr zip_int64_t MaxEntries = 100000;

void SetDamaged(TInputProblem& problem, std::string_view part) {
    problem = {};
    problem.Kind = TInputProblem::TKind::Damaged;
    problem.Part = std::string(part);
}

} // namespace

std::unique_ptr<TZipArchive> TZipArchive::Open(const std::string& path, TInputProblem& problem) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        problem = {};
        problem.Kind = error == ZIP_ER_OPEN || error == ZIP_ER_READ
                           ? TInputProblem::TKind::CannotOpen
                           : TInputProblem::TKind::Damaged;
        return nullptr;
    }
    if (zip_get_num_entries(archive, 0) > MaxEntries) {
        zip_discard(archive);
        SetDamaged(problem, {});
        return nullptr;
    }
    return std::unique_ptr<TZipArchive>(new TZipArchive(archive));
}

TZipArchive::~TZipArchive() {
    zip_discard(Archive);
}

bool TZipArchive::Has(std::string_view part) const {
    return zip_name_locate(Archive, std::string(part).c_str(), ZIP_FL_NOCASE) >= 0;
}

std::unique_ptr<TZipArchive::TEntry>
TZipArchive::OpenPart(std::string_view part, std::uint64_t limit, TInputProblem& problem) const {
    const std::string name(part);
    const zip_int64_t index = zip_name_locate(Archive, name.c_str(), ZIP_FL_NOCASE);
    zip_stat_t st;
    zip_stat_init(&st);
    if (index < 0 || zip_stat_index(Archive, static_cast<zip_uint64_t>(index), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_SIZE)) {
        SetDamaged(problem, part);
        return nullptr;
    }
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
        problem = {};
        problem.Kind = TInputProblem::TKind::Encrypted;
        return nullptr;
    }
    if (st.size > limit) {
        problem = {};
        problem.Kind = TInputProblem::TKind::TooLarge;
        return nullptr;
    }
    zip_file_t* file = zip_fopen_index(Archive, static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        SetDamaged(problem, part);
        return nullptr;
    }
    return std::unique_ptr<TEntry>(new TEntry(file, st.size));
}

TZipArchive::TEntry::~TEntry() {
    zip_fclose(File);
}

std::int64_t TZipArchive::TEntry::Read(char* buffer, std::size_t size) {
    // One byte beyond what the part declared is asked for too, so that a
    // part longer than its declaration is caught, not cut.
    const std::uint64_t left = Declared - Done + 1;
    if (size > left) size = static_cast<std::size_t>(left);
    const zip_int64_t n = zip_fread(File, buffer, size);
    if (n < 0) return -1;
    Done += static_cast<std::uint64_t>(n);
    if (Done > Declared) return -1;
    return n;
}

} // namespace habitual
