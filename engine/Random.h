// The random numbers of the bootstrap: a documented generator and a bounded
// draw of our own, so that a seed gives the same draws with every compiler,
// platform and number of threads (the distributions of the standard library
// are not specified bit for bit and differ between implementations).
//
// Generator: xoshiro256** seeded through SplitMix64 (Blackman, D. and Vigna,
// S. (2021), Scrambled linear pseudorandom number generators, ACM
// Transactions on Mathematical Software 47(4), 36). Bounded draw: Lemire's
// multiply-and-reject method (Lemire, D. (2019), Fast random integer
// generation in an interval, ACM Transactions on Modeling and Computer
// Simulation 29(1), 3), on 32-bit outputs so that no 128-bit type is needed.
#pragma once

#include <cstdint>

namespace habitual {

// One step of SplitMix64: advances state by the golden-ratio increment and
// returns the mixed value.
inline std::uint64_t SplitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class TXoshiro256 {
public:
    // The state is four successive SplitMix64 outputs from seed, as the
    // authors recommend; it is never all zero.
    explicit TXoshiro256(std::uint64_t seed) {
        for (std::uint64_t& word : S) word = SplitMix64(seed);
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(S[1] * 5, 7) * 9;
        const std::uint64_t t = S[1] << 17;
        S[2] ^= S[0];
        S[3] ^= S[1];
        S[1] ^= S[2];
        S[0] ^= S[3];
        S[2] ^= t;
        S[3] = Rotl(S[3], 45);
        return result;
    }

    // A whole number in [0, range), every one equally likely; range >= 1.
    // The upper 32 bits of an output times range: the high half is the draw
    // unless the low half falls in the 2^32 mod range values that would make
    // some draws more likely than others, in which case a new output is taken.
    std::uint32_t Below(std::uint32_t range) {
        std::uint64_t m = static_cast<std::uint64_t>(Next() >> 32) * range;
        auto low = static_cast<std::uint32_t>(m);
        if (low < range) {
            const std::uint32_t threshold = (0u - range) % range;
            while (low < threshold) {
                m = static_cast<std::uint64_t>(Next() >> 32) * range;
                low = static_cast<std::uint32_t>(m);
            }
        }
        return static_cast<std::uint32_t>(m >> 32);
    }

    // A double in [0, 1) from the upper 53 bits.
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t S[4];
};

// The seed of the stream of one replicate of one group: the run's seed, the
// group's index among the run's groups and the replicate's index, each mixed
// in by a SplitMix64 step. Every replicate has a stream of its own, so that
// no result depends on the order in which replicates are computed.
inline std::uint64_t ReplicateSeed(std::uint64_t seed, std::uint64_t group,
                                   std::uint64_t replicate) {
    std::uint64_t state = seed;
    const std::uint64_t h = SplitMix64(state);
    state = h ^ group;
    const std::uint64_t g = SplitMix64(state);
    state = g ^ replicate;
    return SplitMix64(state);
}

} // namespace habitual
