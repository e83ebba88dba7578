#include "engine/Encoding.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

// What does not depend on the conversion tables; the conversions themselves
// are in EncodingIcu.cpp (ICU) and EncodingWindows.cpp (the system's code
// page 932), one of which is built. The exact conversion of UTF-8 survey
// files builds its table from those conversions, so that it follows the
// same mapping on every system.

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

namespace habitual {
namespace {

// CP932 codes by BMP code point (0 = none), made once from the conversions
// of this module: every code whose character converts back to the same
// code, so that the table is one to one. Single-byte codes are below 0x100.
struct TCp932Table {
    std::uint16_t Code[0x10000] = {};
};

// The next character of UTF-8 text p[0 .. n) from i, which is moved past it;
// -1 for bytes that are no character, i then moved past the longest start of
// a character they hold (the "maximal subpart" of the Unicode Standard,
// section 3.9, as ICU counts it).
std::int32_t NextCodePoint(const char* p, std::int32_t n, std::int32_t& i) {
    const auto b0 = static_cast<unsigned char>(p[i++]);
    if (b0 < 0x80) return b0;
    std::int32_t need = 0;
    std::int32_t c = 0;
    unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        c = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0; // no overlong forms
        if (b0 == 0xED) hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        c = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F; // nothing above U+10FFFF
    } else {
        return -1;
    }
    for (std::int32_t k = 0; k < need; ++k) {
        if (i >= n) return -1;
        const auto b = static_cast<unsigned char>(p[i]);
        if (b < (k == 0 ? lo : 0x80) || b > (k == 0 ? hi : 0xBF)) return -1;
        c = c << 6 | (b & 0x3F);
        ++i;
    }
    return c;
}

const TCp932Table& Cp932Table() {
    static const TCp932Table* table = [] {
        auto* t = new TCp932Table;
        auto add = [t](const std::string& bytes) {
            const std::string utf8 = Cp932ToUtf8(bytes);
            std::int32_t i = 0;
            const std::int32_t c =
                NextCodePoint(utf8.data(), static_cast<std::int32_t>(utf8.size()), i);
            if (c < 0x80 || c > 0xFFFF || c == 0xFFFD ||
                i != static_cast<std::int32_t>(utf8.size()))
                return;
            std::size_t replaced = 0;
            if (Utf8ToCp932(utf8, &replaced) != bytes || replaced != 0) return;
            std::uint16_t code = static_cast<unsigned char>(bytes[0]);
            if (bytes.size() == 2)
                code = static_cast<std::uint16_t>(code << 8 | static_cast<unsigned char>(bytes[1]));
            t->Code[c] = code;
        };
        for (int b = 0x80; b <= 0xFF; ++b)
            if (!IsCp932LeadByte(static_cast<unsigned char>(b)))
                add(std::string(1, static_cast<char>(b)));
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                if (trail != 0x7F) add({static_cast<char>(lead), static_cast<char>(trail)});
        }
        // JIS X 0208 as the JIS tables map it, where CP932 maps the same codes
        // to other characters.
        static const std::uint16_t jis[][2] = {{0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D},
                                               {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2},
                                               {0x2014, 0x2015}};
        for (const auto& pair : jis)
            if (t->Code[pair[0]] == 0) t->Code[pair[0]] = t->Code[pair[1]];
        return t;
    }();
    return *table;
}

// The length of the ASCII run at the start of p[0 .. n).
std::size_t AsciiRun(const char* p, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ull) break;
    }
    while (i < n && static_cast<unsigned char>(p[i]) < 0x80) ++i;
    return i;
}

} // namespace

TConversionStop Utf8ToCp932Exact(std::string_view utf8, std::string* out, bool* nonAscii) {
    const TCp932Table& table = Cp932Table();
    const char* p = utf8.data();
    const auto n = static_cast<std::int32_t>(utf8.size());
    std::int32_t i = 0;
    while (i < n) {
        const std::size_t ascii = AsciiRun(p + i, static_cast<std::size_t>(n - i));
        if (out) out->append(p + i, ascii);
        i += static_cast<std::int32_t>(ascii);
        if (i >= n) break;
        if (nonAscii) *nonAscii = true;
        const std::int32_t start = i;
        const std::int32_t c = NextCodePoint(p, n, i);
        if (c < 0)
            return {TConversionStop::TReason::Malformed, static_cast<std::size_t>(start),
                    static_cast<std::size_t>(i - start)};
        const std::uint16_t code = c < 0x10000 ? table.Code[c] : 0;
        if (code == 0)
            return {TConversionStop::TReason::NoCp932Form, static_cast<std::size_t>(start),
                    static_cast<std::size_t>(i - start)};
        if (out) {
            if (code > 0xFF) out->push_back(static_cast<char>(code >> 8));
            out->push_back(static_cast<char>(code & 0xFF));
        }
    }
    return {};
}

std::size_t Utf8CompleteLength(std::string_view text) {
    // A sequence is at most four bytes long: look at the last three for the
    // start of one that the text cuts short.
    const std::size_t n = text.size();
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const auto b = static_cast<unsigned char>(text[n - back]);
        if (b < 0x80) return n;           // ASCII: complete
        if ((b & 0xC0) == 0x80) continue; // a continuation byte
        const std::size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return need > back ? n - back : n;
    }
    return n;
}

std::string CodePointName(std::string_view utf8Character) {
    if (utf8Character.empty()) return {};
    std::int32_t i = 0;
    const std::int32_t c =
        NextCodePoint(utf8Character.data(), static_cast<std::int32_t>(utf8Character.size()), i);
    if (c < 0) return {};
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

} // namespace habitual
