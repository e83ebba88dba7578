// The conversions of engine/Encoding.h on Windows' own code page 932 table
// (MultiByteToWideChar, WideCharToMultiByte), with the rules of the ICU side
// for what has no mapping: each byte sequence without a character becomes
// U+FFFD, each character without a form becomes '?' and is counted. The
// system is asked for a whole text first and for each character only when
// the text holds something without a mapping.
#include <windows.h>

#include "engine/Encoding.h"

namespace habitual {
namespace {

constexpr UINT CodePage932 = 932;

bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Strict conversions: false when a byte or a character has no mapping.
bool ToWide(UINT codePage, std::string_view bytes, std::wstring& out) {
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    const int n =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data() + at,
                               n) == n;
}

bool ToCp932(std::wstring_view wide, std::string& out) {
    if (wide.empty()) return true;
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CodePage932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                      0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    return WideCharToMultiByte(CodePage932, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                               out.data() + at, n, nullptr, &usedDefault) == n &&
           !usedDefault;
}

// A lead byte with its trail byte is one character, or one U+FFFD; a lead
// byte without a trail byte after it is a U+FFFD of its own.
std::wstring Cp932ToWide(std::string_view cp932) {
    std::wstring wide;
    if (ToWide(CodePage932, cp932, wide)) return wide;
    wide.clear();
    for (std::size_t i = 0; i < cp932.size();) {
        std::size_t width = 1;
        if (IsCp932LeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() &&
            IsTrailByte(static_cast<unsigned char>(cp932[i + 1])))
            width = 2;
        const std::size_t before = wide.size();
        if (!ToWide(CodePage932, cp932.substr(i, width), wide)) {
            wide.resize(before);
            wide += L'\xFFFD';
        }
        i += width;
    }
    return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    if (wide.empty()) return out;
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

// UTF-8 to UTF-16, each longest piece that could begin a character but does
// not become one U+FFFD (Unicode's "maximal subpart" practice, chapter 3,
// as ICU does). Done here rather than by MultiByteToWideChar, whose count of
// U+FFFD for surrogates and codes beyond U+10FFFF differs between versions.
std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            wide += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        // The length of the character a lead byte begins and the range of
        // its second byte (Unicode's table 3-7); the others are 0x80-0xBF.
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
        char32_t code = lead & (0x7F >> length);
        int taken = 1;
        while (length > 0 && taken < length && i + taken < utf8.size()) {
            const unsigned char next = byte(i + taken);
            if (next < (taken == 1 ? low : 0x80) || next > (taken == 1 ? high : 0xBF)) break;
            code = (code << 6) | (next & 0x3F);
            ++taken;
        }
        i += static_cast<std::size_t>(taken);
        if (length == 0 || taken < length) {
            wide += L'\xFFFD';
        } else if (code >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(code);
        }
    }
    return wide;
}

} // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    return WideToUtf8(Cp932ToWide(cp932));
}

std::string Utf8ToCp932(std::string_view utf8, std::size_t* replaced) {
    const std::wstring wide = Utf8ToWide(utf8);
    std::string out;
    if (ToCp932(wide, out)) return out;
    out.clear();
    std::size_t count = 0;
    for (std::size_t i = 0; i < wide.size();) {
        // A surrogate pair is one character.
        const bool pair =
            IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
        const std::size_t width = pair ? 2 : 1;
        const std::size_t before = out.size();
        if (!ToCp932(std::wstring_view(wide).substr(i, width), out)) {
            out.resize(before);
            out += '?';
            ++count;
        }
        i += width;
    }
    if (replaced) *replaced += count;
    return out;
}

} // namespace habitual
