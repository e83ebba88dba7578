#include "Anova1Way.h"

#include <new>

namespace habitual {

TAnova1Way::~TAnova1Way() {
    Release();
}

void TAnova1Way::Release() {
    delete[] Records;
    delete[] Persons;
    delete[] AllRecords;
    delete[] SortRoomRecords;
    delete[] SortRoomPersons;
    Records = nullptr;
    Persons = nullptr;
    AllRecords = nullptr;
    SortRoomRecords = nullptr;
    SortRoomPersons = nullptr;
}

bool TAnova1Way::Allocate(std::int32_t n) {
    if (n == NAll) return true;
    Release();
    NAll = 0;
    if (n <= 0) return true;
    auto count = static_cast<std::size_t>(n);
    Records = new (std::nothrow) TGroupRecord[count];
    Persons = new (std::nothrow) TPersonRecord[count];
    AllRecords = new (std::nothrow) TIntakeRecord[count];
    SortRoomRecords = new (std::nothrow) TGroupRecord[count];
    SortRoomPersons = new (std::nothrow) TPersonRecord[count];
    if (!Records || !Persons || !AllRecords || !SortRoomRecords || !SortRoomPersons) {
        Release();
        return false;
    }
    NAll = n;
    return true;
}

} // namespace habitual
