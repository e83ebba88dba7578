#include "engine/Encoding.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace habitual {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

struct FromUnicodeCount {
    std::size_t Replaced = 0;
};

// Counts each character that has no CP932 form, then substitutes '?'.
void CountingSubstitute(const void* context, UConverterFromUnicodeArgs* args,
                        const UChar* codeUnits, int32_t length, UChar32 codePoint,
                        UConverterCallbackReason reason, UErrorCode* err) {
    if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR) {
        ++static_cast<FromUnicodeCount*>(const_cast<void*>(context))->Replaced;
        UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, codeUnits, length, codePoint, reason, err);
    }
}

UConverter* Cp932() {
    thread_local ConverterPtr conv = [] {
        UErrorCode err = U_ZERO_ERROR;
        ConverterPtr c(ucnv_open("cp932", &err));
        if (U_FAILURE(err) || !c)
            throw std::runtime_error("文字コード変換（cp932）を用意できませんでした。");
        ucnv_setSubstChars(c.get(), "?", 1, &err);
        return c;
    }();
    return conv.get();
}

std::u16string ToUtf16(std::string_view cp932) {
    if (cp932.empty()) return {};
    UConverter* conv = Cp932();
    ucnv_resetToUnicode(conv);
    std::u16string out(cp932.size() + 1, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t n =
        ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                      cp932.data(), static_cast<int32_t>(cp932.size()), &err);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
        out.assign(static_cast<std::size_t>(n) + 1, u'\0');
        err = U_ZERO_ERROR;
        n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()),
                          static_cast<int32_t>(out.size()), cp932.data(),
                          static_cast<int32_t>(cp932.size()), &err);
    }
    out.resize(U_FAILURE(err) ? 0 : static_cast<std::size_t>(n));
    return out;
}

} // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    std::u16string wide = ToUtf16(cp932);
    if (wide.empty()) return {};
    std::string out(wide.size() * 3 + 1, '\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = 0;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n,
                       reinterpret_cast<const UChar*>(wide.data()),
                       static_cast<int32_t>(wide.size()), 0xFFFD, nullptr, &err);
    out.resize(U_FAILURE(err) ? 0 : static_cast<std::size_t>(n));
    return out;
}

std::string Utf8ToCp932(std::string_view utf8, std::size_t* replaced) {
    if (utf8.empty()) return {};
    std::u16string wide(utf8.size() + 1, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t nWide = 0;
    int32_t invalid = 0;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
                         &nWide, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, &invalid,
                         &err);
    if (U_FAILURE(err)) return {};

    UConverter* conv = Cp932();
    ucnv_resetFromUnicode(conv);
    FromUnicodeCount count;
    UConverterFromUCallback oldAction = nullptr;
    const void* oldContext = nullptr;
    ucnv_setFromUCallBack(conv, CountingSubstitute, &count, &oldAction, &oldContext, &err);
    std::string out(static_cast<std::size_t>(nWide) * 2 + 1, '\0');
    int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                                reinterpret_cast<const UChar*>(wide.data()), nWide, &err);
    UErrorCode ignore = U_ZERO_ERROR;
    ucnv_setFromUCallBack(conv, oldAction, oldContext, nullptr, nullptr, &ignore);
    out.resize(U_FAILURE(err) ? 0 : static_cast<std::size_t>(n));
    if (replaced) *replaced += count.Replaced;
    return out;
}

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

// CP932 codes by BMP code point (0 = none), made once from the converter:
// every code whose character converts back to the same code, so that the
// table is one to one. Single-byte codes are below 0x100.
struct TCp932Table {
    std::uint16_t Code[0x10000] = {};
};

const TCp932Table& Cp932Table() {
    static const TCp932Table* table = [] {
        auto* t = new TCp932Table;
        UErrorCode err = U_ZERO_ERROR;
        ConverterPtr conv(ucnv_open("cp932", &err));
        if (U_FAILURE(err) || !conv)
            throw std::runtime_error("文字コード変換（cp932）を用意できませんでした。");
        ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &err);
        ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
        auto add = [&](const char* bytes, int n) {
            UChar u[4];
            UErrorCode e = U_ZERO_ERROR;
            ucnv_resetToUnicode(conv.get());
            if (ucnv_toUChars(conv.get(), u, 4, bytes, n, &e) != 1 || U_FAILURE(e)) return;
            if (u[0] < 0x80 || U16_IS_SURROGATE(u[0])) return;
            char back[4];
            e = U_ZERO_ERROR;
            ucnv_resetFromUnicode(conv.get());
            if (ucnv_fromUChars(conv.get(), back, 4, u, 1, &e) != n || U_FAILURE(e)) return;
            if (std::memcmp(back, bytes, static_cast<std::size_t>(n)) != 0) return;
            std::uint16_t code = static_cast<unsigned char>(bytes[0]);
            if (n == 2)
                code = static_cast<std::uint16_t>(code << 8 | static_cast<unsigned char>(bytes[1]));
            t->Code[u[0]] = code;
        };
        for (int b = 0x80; b <= 0xFF; ++b) {
            const char one[1] = {static_cast<char>(b)};
            if (!IsCp932LeadByte(static_cast<unsigned char>(b))) add(one, 1);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                add(two, 2);
            }
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
        UChar32 c = 0;
        U8_NEXT(p, i, n, c);
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
    UChar32 c = 0;
    std::int32_t i = 0;
    U8_NEXT(utf8Character.data(), i, static_cast<std::int32_t>(utf8Character.size()), c);
    if (c < 0) return {};
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

} // namespace habitual
