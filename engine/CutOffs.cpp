#include "engine/CutOffs.h"
#include "engine/Decimal.h"

namespace habitual {
namespace {

constexpr std::size_t MaxCutOffs = 5;
constexpr std::size_t TokenLimit = 255;

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

std::vector<TCutOff> ParseCutOffs(std::string_view text) {
    std::vector<TCutOff> list;
    std::size_t i = 0;
    while (list.size() < MaxCutOffs) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i >= text.size()) break;
        std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) ++i;
        // A token holds at most 255 bytes; the rest of a longer one is ignored.
        std::string_view token = text.substr(start, std::min(i - start, TokenLimit));
        list.push_back({ParseDecimal(token), token.back() == '-'});
    }
    return list;
}

} // namespace habitual
