#include "engine/Encoding.h"

#include <map>
#include <mutex>

// What does not depend on the conversion tables; the conversions themselves
// are in EncodingIcu.cpp (ICU) and EncodingWindows.cpp (the system's code
// page 932), one of which is built.

namespace habitual {

const std::string& Sjis(std::string_view utf8Literal) {
    static std::mutex lock;
    static std::map<std::string, std::string, std::less<>> converted;
    std::lock_guard<std::mutex> guard(lock);
    auto it = converted.find(utf8Literal);
    if (it == converted.end())
        it = converted.emplace(std::string(utf8Literal), Utf8ToCp932(utf8Literal)).first;
    return it->second;
}

std::size_t Cp932CutLength(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t i = 0;
    while (i < limit) {
        std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > limit) break;
        i += width;
    }
    return i;
}

} // namespace habitual
