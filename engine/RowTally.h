// How many rows something happened to, with the first few of their positions:
// what a notice tells the user without listing a million rows.
#pragma once

#include <cstdint>

namespace habitual {

struct TRowTally {
    static constexpr int Kept = 5;
    std::int64_t Count = 0;
    std::int64_t First[Kept] = {}; // the first min(Count, Kept) positions, in order
    void Add(std::int64_t position) {
        if (Count < Kept) First[Count] = position;
        ++Count;
    }
    // Adds the positions of a later tally, moved on by shift.
    void Append(const TRowTally& later, std::int64_t shift) {
        for (std::int64_t j = 0; j < later.Count && j < Kept; ++j)
            if (Count + j < Kept) First[Count + j] = later.First[j] + shift;
        Count += later.Count;
    }
};

} // namespace habitual
