// Ascending sort of records by a double key, values that are not numbers
// last: the order of LessNanLast, reached by an LSD radix sort on the key's
// bits, which moves each record a few times instead of log2(n) times. Not
// stable; equal keys come in any order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/Ordering.h"

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
    constexpr int Digits = (64 + DigitBits - 1) / DigitBits;
    constexpr std::uint64_t Mask = (1u << DigitBits) - 1;
    // Every digit's counts in one pass over the keys.
    static thread_local std::uint32_t count[Digits][Mask + 1];
    std::memset(count, 0, sizeof count);
    for (std::int32_t i = 0; i < n; ++i) {
        const std::uint64_t bits = SortableBits(keyOf(first[i]));
        for (int d = 0; d < Digits; ++d) ++count[d][(bits >> (d * DigitBits)) & Mask];
    }
    Record* from = first;
    Record* to = scratch;
    for (int d = 0; d < Digits; ++d) {
        std::uint32_t* c = count[d];
        // A digit that every key shares moves nothing.
        if (std::any_of(c, c + Mask + 1, [n](std::uint32_t k) { return k == std::uint32_t(n); }))
            continue;
        std::uint32_t start = 0;
        for (std::uint64_t b = 0; b <= Mask; ++b) {
            const std::uint32_t here = c[b];
            c[b] = start;
            start += here;
        }
        const int shift = d * DigitBits;
        for (std::int32_t i = 0; i < n; ++i)
            to[c[(SortableBits(keyOf(from[i])) >> shift) & Mask]++] = from[i];
        std::swap(from, to);
    }
    if (from != first) std::copy(from, from + n, first);
}

} // namespace habitual
