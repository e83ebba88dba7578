// UTF-8 one character at a time, for the texts the plots write into files
// and file names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace habitual::plot {

// The character starting at s[i] into cp; returns its length in bytes, or 0
// when the bytes there are no valid UTF-8 (a stray or cut sequence, an
// overlong form, a surrogate).
inline std::size_t DecodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c < 0xE0) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c < 0xF0) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c < 0xF5) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

inline void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace habitual::plot
