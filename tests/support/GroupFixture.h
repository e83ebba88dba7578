// A group workspace filled by hand from persons and their values.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/Anova1Way.h"
#include "engine/EstimateGroup.h"
#include "engine/Settings.h"

namespace habitual::test {

// A workspace with key bytes of its own, where a run would lend it the run's.
struct TTestGroup : TAnova1Way {
    TKeyArena OwnKeys;
    TTestGroup() { Keys = &OwnKeys; }
};

struct PersonValues {
    std::string Key;
    std::vector<double> Values;
};

inline void FillGroup(TTestGroup& ctx, const std::vector<PersonValues>& persons) {
    std::int32_t n = 0;
    for (const auto& p : persons) n += static_cast<std::int32_t>(p.Values.size());
    ctx.Allocate(n);
    std::int32_t i = 0;
    for (const auto& p : persons) {
        const TKey key = ctx.OwnKeys.Add(p.Key);
        for (double v : p.Values) {
            ctx.Records[i] =
                TGroupRecord{key, {KeyPrefix(p.Key, 0), KeyPrefix(p.Key, 8)}, i + 1, 0, v, v};
            ++i;
        }
    }
    ctx.NData = n;
}

// One person per value.
inline std::vector<PersonValues> Singles(const std::vector<double>& values) {
    std::vector<PersonValues> persons;
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string key = "p";
        key += std::to_string(i);
        persons.push_back({key, {values[i]}});
    }
    return persons;
}

} // namespace habitual::test
