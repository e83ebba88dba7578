// Ascending sort of records by a double key, values that are not numbers
// last: the order of LessNanLast, reached by an LSD radix sort on the key's
// bits, which moves each record a few times instead of log2(n) times. Not
// stable; equal keys come in any order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "Ordering.h"

namespace habitual {

// Bits whose unsigned order is the order of the doubles, NaN last.
inline std::uint64_t SortableBits(double v) {
    if (v != v) return ~std::uint64_t{0};
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return (u >> 63) ? ~u : (u | (std::uint64_t{1} << 63));
}

// Sorts first[0..n) using scratch[0..n) as room to move into.
template <class Record, class KeyOf>
void SortByKey(Record* first, std::int32_t n, Record* scratch, KeyOf keyOf) {
    if (n < 512 || !scratch) {
        std::sort(first, first + n, [&](const Record& a, const Record& b) {
            return LessNanLast(keyOf(a), keyOf(b));
        });
        return;
    }
    constexpr int DigitBits = 11;
    constexpr int Buckets = 1 << DigitBits;
    Record* from = first;
    Record* to = scratch;
    for (int shift = 0; shift < 64; shift += DigitBits) {
        std::uint32_t count[Buckets] = {};
        for (std::int32_t i = 0; i < n; ++i)
            ++count[(SortableBits(keyOf(from[i])) >> shift) & (Buckets - 1)];
        // A digit that every key shares moves nothing.
        if (std::any_of(count, count + Buckets,
                        [n](std::uint32_t c) { return c == std::uint32_t(n); }))
            continue;
        std::uint32_t start = 0;
        for (std::uint32_t& c : count) {
            const std::uint32_t here = c;
            c = start;
            start += here;
        }
        for (std::int32_t i = 0; i < n; ++i)
            to[count[(SortableBits(keyOf(from[i])) >> shift) & (Buckets - 1)]++] = from[i];
        std::swap(from, to);
    }
    if (from != first) std::copy(from, from + n, first);
}

} // namespace habitual
