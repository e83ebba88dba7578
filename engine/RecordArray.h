// Arrays of trivial records, made without constructing their entries.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

namespace habitual {

// Memory for n records of the given size, or nullptr. Large arrays are
// placed in huge pages where the system offers them.
void* AllocateRecords(std::size_t n, std::size_t size);
void FreeRecords(void* records);

template <class Record> Record* MakeRecordArray(std::size_t n) {
    static_assert(std::is_trivial_v<Record>);
    return static_cast<Record*>(AllocateRecords(n, sizeof(Record)));
}

template <class Record> void FreeRecordArray(Record*& records) {
    FreeRecords(records);
    records = nullptr;
}

// An array of such records had when first asked for, freed with its holder.
template <class Record> class TRecordArrayHolder {
public:
    TRecordArrayHolder() = default;
    ~TRecordArrayHolder() { FreeRecordArray(Records); }
    TRecordArrayHolder(const TRecordArrayHolder&) = delete;
    TRecordArrayHolder& operator=(const TRecordArrayHolder&) = delete;
    TRecordArrayHolder(TRecordArrayHolder&& other) noexcept : Records(other.Records) {
        other.Records = nullptr;
    }
    // n records, the same on every call; nullptr when memory cannot be had.
    Record* Get(std::size_t n) {
        if (!Records) Records = MakeRecordArray<Record>(n);
        return Records;
    }

private:
    Record* Records = nullptr;
};

// An allocator of the same memory, for containers of such records.
template <class T> struct TRecordAllocator {
    using value_type = T;
    TRecordAllocator() = default;
    template <class U> TRecordAllocator(const TRecordAllocator<U>&) {}
    T* allocate(std::size_t n) {
        void* memory = AllocateRecords(n, sizeof(T));
        if (!memory) throw std::bad_alloc();
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t) { FreeRecords(memory); }
    template <class U> bool operator==(const TRecordAllocator<U>&) const { return true; }
};

} // namespace habitual
