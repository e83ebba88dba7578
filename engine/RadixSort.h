// Radix sorts of records and values: by a double key, values that are not
// numbers last (the order of LessNanLast), or by any 64-bit key with a
// comparison for records of equal keys. An LSD radix sort on the key's bits
// moves each record a few times instead of log2(n) times.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/Ordering.h"

namespace habitual {

// Bits whose unsigned order is the order of the doubles, NaN last.
inline std::uint64_t SortableBits(double v) {
    if (v != v) return ~std::uint64_t{0};
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return (u >> 63) ? ~u : (u | (std::uint64_t{1} << 63));
}

namespace radix {

inline constexpr int DigitBits = 11;
inline constexpr int Digits = (64 + DigitBits - 1) / DigitBits;
inline constexpr std::uint64_t Mask = (1u << DigitBits) - 1;
using TCounts = std::uint32_t[Digits][Mask + 1];

// The counts of every digit, per thread: cleared by the sort that uses them.
inline TCounts& ClearedCounts() {
    static thread_local TCounts count;
    std::memset(count, 0, sizeof count);
    return count;
}

inline void CountDigits(TCounts& count, std::uint64_t bits) {
    for (int d = 0; d < Digits; ++d) ++count[d][(bits >> (d * DigitBits)) & Mask];
}

// The passes of an LSD radix sort of the keys from[0..n), whose digits
// CountDigits has counted, by their bitsOf, moving them between from and
// to[0..n); returns where the sorted keys end up. Stable.
template <class Key, class BitsOf>
Key* Passes(Key* from, Key* to, std::int32_t n, TCounts& count, BitsOf bitsOf) {
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
        for (std::int32_t i = 0; i < n; ++i) to[c[(bitsOf(from[i]) >> shift) & Mask]++] = from[i];
        std::swap(from, to);
    }
    return from;
}

} // namespace radix

// A record's key bits and where the record stands, for sorting a large
// record by moving these instead.
struct TKeyIndex {
    std::uint64_t Bits;
    std::uint32_t Index;
};

// No order among records of equal bits: they stay as the radix sort leaves
// them, in their order before.
struct TNoTieOrder {};

// Sorts first[0..n) by the unsigned order of bitsOf, and records of equal
// bits by tieLess (unless it is TNoTieOrder), using room (roomBytes, at
// least 2 n keys, 8-byte aligned) for the keys: the keys are sorted with
// their records' positions, then the records are moved once. With enough
// free room besides the keys (spareBytes at spare, then the room's unused
// parts) the records are gathered in order into it and copied back, which
// reads the records at random but writes them in order: on large groups
// much faster than walking the cycles of the order in place, which is what
// happens without.
template <class Record, class BitsOf, class TieLess>
void SortByBits(Record* first, std::int32_t n, void* room, std::size_t roomBytes, BitsOf bitsOf,
                TieLess tieLess, void* spare = nullptr, std::size_t spareBytes = 0) {
    static_assert(std::is_trivially_copyable_v<Record>);
    const std::size_t un = static_cast<std::size_t>(n);
    auto* keys = static_cast<TKeyIndex*>(room);
    TKeyIndex* from = keys;
    radix::TCounts& count = radix::ClearedCounts();
    for (std::int32_t i = 0; i < n; ++i) {
        const std::uint64_t bits = bitsOf(first[i]);
        from[i] = {bits, static_cast<std::uint32_t>(i)};
        radix::CountDigits(count, bits);
    }
    from = radix::Passes(from, from + n, n, count, [](const TKeyIndex& k) { return k.Bits; });
    if constexpr (!std::is_same_v<TieLess, TNoTieOrder>) {
        for (std::size_t i = 0; i < un;) {
            std::size_t j = i + 1;
            while (j < un && from[j].Bits == from[i].Bits) ++j;
            if (j - i > 1)
                std::sort(from + i, from + j, [&](const TKeyIndex& a, const TKeyIndex& b) {
                    return tieLess(first[a.Index], first[b.Index]);
                });
            i = j;
        }
    }

    // The free parts: the spare room first (whose start the caller has most
    // likely touched already), then the keys' other half, then the room
    // behind both halves.
    struct TPart {
        unsigned char* At;
        std::size_t Records;
    } parts[3] = {
        {static_cast<unsigned char*>(spare), spare ? spareBytes / sizeof(Record) : 0},
        {reinterpret_cast<unsigned char*>(from == keys ? keys + n : keys),
         un * sizeof(TKeyIndex) / sizeof(Record)},
        {reinterpret_cast<unsigned char*>(keys + 2 * un),
         (roomBytes - 2 * un * sizeof(TKeyIndex)) / sizeof(Record)},
    };
    if (parts[0].Records + parts[1].Records + parts[2].Records >= un) {
        std::size_t at = 0;
        for (const TPart& part : parts)
            for (std::size_t r = 0; r < part.Records && at < un; ++r, ++at)
                std::memcpy(part.At + r * sizeof(Record), &first[from[at].Index], sizeof(Record));
        at = 0;
        for (const TPart& part : parts) {
            const std::size_t take = std::min(part.Records, un - at);
            if (take == 0) continue; // an empty part may have no address at all
            std::memcpy(static_cast<void*>(first + at), part.At, take * sizeof(Record));
            at += take;
        }
        return;
    }
    // Position i takes the record at from[i].Index; each cycle of this
    // permutation is walked once, marking its places done.
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(n); ++i) {
        if (from[i].Index == i) continue;
        const Record held = first[i];
        std::uint32_t j = i;
        for (;;) {
            const std::uint32_t k = from[j].Index;
            from[j].Index = j;
            if (k == i) {
                first[j] = held;
                break;
            }
            first[j] = first[k];
            j = k;
        }
    }
}

// Sorts first[0..n) by a double key using scratch[0..n) as room (see
// SortByBits): the same order as an LSD radix sort of the records
// themselves, stable for equal keys.
template <class Record, class KeyOf>
void SortByKey(Record* first, std::int32_t n, Record* scratch, KeyOf keyOf, void* spare = nullptr,
               std::size_t spareBytes = 0) {
    static_assert(sizeof(Record) >= 2 * sizeof(TKeyIndex), "the room holds two keys per record");
    if (n < 512 || !scratch) {
        std::sort(first, first + n, [&](const Record& a, const Record& b) {
            return LessNanLast(keyOf(a), keyOf(b));
        });
        return;
    }
    SortByBits(
        first, n, scratch, static_cast<std::size_t>(n) * sizeof(Record),
        [&](const Record& r) { return SortableBits(keyOf(r)); }, TNoTieOrder{}, spare, spareBytes);
}

// Sorts the doubles v[0..n) ascending, not-a-number last (the order of
// LessNanLast), using room for 2 n keys of 8 bytes: an LSD radix sort of
// their bits. Equal values are equal bits but for the sign of 0, whose two
// forms come -0 first.
template <class Room> void SortDoubles(double* v, std::int32_t n, Room* room) {
    static_assert(sizeof(Room) >= 2 * sizeof(std::uint64_t), "the room holds two keys per value");
    if (n < 512 || !room) {
        std::sort(v, v + n, LessNanLast);
        return;
    }
    auto* from = reinterpret_cast<std::uint64_t*>(static_cast<void*>(room));
    radix::TCounts& count = radix::ClearedCounts();
    for (std::int32_t i = 0; i < n; ++i) {
        from[i] = SortableBits(v[i]);
        radix::CountDigits(count, from[i]);
    }
    from = radix::Passes(from, from + n, n, count, [](std::uint64_t bits) { return bits; });
    // Back from the bits: numbers had the top bit set (or all bits flipped
    // when negative); every NaN became all ones and comes back as a NaN.
    constexpr std::uint64_t Top = std::uint64_t{1} << 63;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::uint64_t bits = from[i];
        const std::uint64_t u = (bits & Top) ? (bits & ~Top) : ~bits;
        std::memcpy(&v[i], &u, sizeof u);
    }
}

} // namespace habitual
