#include "engine/Anova1Way.h"

#include "engine/RecordArray.h"

namespace habitual {

TAnova1Way::~TAnova1Way() {
    Release();
}

void TAnova1Way::Release() {
    FreeRecordArray(Records);
    FreeRecordArray(Persons);
    FreeRecordArray(SortRoomRecords);
    FreeRecordArray(Scratch);
}

bool TAnova1Way::Allocate(std::int32_t n) {
    if (n == NAll) return true;
    Release();
    NAll = 0;
    if (n <= 0) return true;
    const auto count = static_cast<std::size_t>(n);
    Records = MakeRecordArray<TGroupRecord>(count);
    Persons = MakeRecordArray<TPersonRecord>(count);
    SortRoomRecords = MakeRecordArray<TGroupRecord>(count);
    Scratch = MakeRecordArray<double>(count * ScratchPerRecord);
    if (!Records || !Persons || !SortRoomRecords || !Scratch) {
        Release();
        return false;
    }
    NAll = n;
    return true;
}

} // namespace habitual
