// The cut-off list of a run: up to five values, each reporting the share of
// values below it or at and above it.
#pragma once

#include <string_view>
#include <vector>

namespace habitual {

struct TCutOff {
    double Limit = 0;
    bool Below = false; // share below Limit; else at or above
};

// Splits text at ASCII white space into at most five tokens (further ones
// are ignored). Each token's number is its Limit (0 when it does not begin
// with one; the sign is kept); a token ending in "-" reports the share below.
// Of a token longer than 255 bytes only the first 255 bytes count.
std::vector<TCutOff> ParseCutOffs(std::string_view text);

} // namespace habitual
