// Keys of a run live in one byte arena; records hold a TKey naming their
// bytes, so that no memory is obtained per record.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/RecordArray.h"

namespace habitual {

// Offset (48 bits) and length (16 bits) of a key's bytes in its arena.
// Trivial on purpose: the record arrays are made without setting their
// entries, which are all written before they are read.
struct TKey {
    std::uint64_t Bits;
    std::uint64_t Offset() const { return Bits >> 16; }
    std::size_t Length() const { return static_cast<std::size_t>(Bits & 0xFFFF); }
};

// Eight bytes of a key from byte `from` on, zero-filled, as a big-endian
// number. Keys hold no NUL byte, so keys of at most 16 bytes are ordered, and
// told apart, by their first two such numbers alone.
inline std::uint64_t KeyPrefix(std::string_view key, std::size_t from) {
    unsigned char bytes[8] = {};
    if (key.size() > from) key.copy(reinterpret_cast<char*>(bytes), 8, from);
    std::uint64_t prefix = 0;
    for (unsigned char b : bytes) prefix = (prefix << 8) | b;
    return prefix;
}

class TKeyArena {
public:
    // Copies the bytes in and names them. Throws std::bad_alloc when the
    // arena cannot grow.
    TKey Add(std::string_view bytes) {
        TKey key{};
        key.Bits = (static_cast<std::uint64_t>(Bytes.size()) << 16) | bytes.size();
        Bytes.insert(Bytes.end(), bytes.begin(), bytes.end());
        return key;
    }
    std::string_view Text(TKey key) const { return {Bytes.data() + key.Offset(), key.Length()}; }
    // Byte-wise unsigned order, a key that is the start of a longer one first.
    int Compare(TKey a, TKey b) const {
        std::size_t la = a.Length(), lb = b.Length();
        int c =
            std::memcmp(Bytes.data() + a.Offset(), Bytes.data() + b.Offset(), la < lb ? la : lb);
        if (c != 0) return c;
        return la < lb ? -1 : (la > lb ? 1 : 0);
    }
    void Reserve(std::size_t n) { Bytes.reserve(n); }
    std::size_t Size() const { return Bytes.size(); }
    // Copies in every key of another arena; their offsets here are theirs
    // there plus the offset returned.
    std::uint64_t Append(const TKeyArena& other) {
        const std::uint64_t at = Bytes.size();
        Bytes.insert(Bytes.end(), other.Bytes.begin(), other.Bytes.end());
        return at;
    }

private:
    std::vector<char, TRecordAllocator<char>> Bytes;
};

} // namespace habitual
