// Standard-normal variates for the simulations of this folder: the
// Box-Muller transformation of the bootstrap's generator (not used by the
// program itself, which draws only whole numbers).
#pragma once

#include <cmath>

#include "engine/Random.h"

namespace habitual::statistics {

class TNormal {
public:
    explicit TNormal(std::uint64_t seed) : Random(seed) {}
    double Next() {
        if (HasSpare) {
            HasSpare = false;
            return Spare;
        }
        const double u = 1 - Random.Uniform(); // in (0, 1]
        const double v = Random.Uniform();
        const double r = std::sqrt(-2 * std::log(u));
        Spare = r * std::sin(6.283185307179586 * v);
        HasSpare = true;
        return r * std::cos(6.283185307179586 * v);
    }
    TXoshiro256& Uniform() { return Random; }

private:
    TXoshiro256 Random;
    double Spare = 0;
    bool HasSpare = false;
};

} // namespace habitual::statistics
