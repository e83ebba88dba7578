// The conversions of engine/Encoding.h on ICU's "cp932" table, corrected
// where that table differs from Windows' code page 932, which is what the
// users' files are written in:
// - the single bytes 0x1A, 0x1C and 0x7F: ICU keeps IBM's swap of these
//   control codes (0x1A as U+001C, 0x1C as U+007F, 0x7F as U+001A), Windows
//   maps each to the code of the same value;
// - the byte 0x80 and U+0080, one another's in Windows' table only;
// - U+F8F0 to U+F8F3, which Windows writes as the bytes 0xA0 and 0xFD to
//   0xFF (without reading those bytes back);
// - U+F86F, a private-use character ICU writes as 0x87 0x82 and Windows has
//   no form for;
// - characters that Unicode calls ignorable (U+200B, U+FEFF, ...): ICU drops
//   them when they have no form, Windows writes '?' like for any other.
// The whole tables were compared, every byte pair and every BMP character.
#include <memory>
#include <stdexcept>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include "engine/Encoding.h"

namespace habitual {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// The three control codes ICU swaps: for each, Windows' code (the byte's
// own value) and ICU's code for that byte.
constexpr char16_t SwappedControls[][2] = {{0x1A, 0x1C}, {0x1C, 0x7F}, {0x7F, 0x1A}};
constexpr int WindowsSide = 0, IcuSide = 1;

char16_t SwapControl(char16_t c, int from, int to) {
    for (const auto& pair : SwappedControls)
        if (c == pair[from]) return pair[to];
    return c;
}

// Bytes ICU has no character for: U+FFFD, but for the byte 0x80, which is
// U+0080 in Windows' table.
void WindowsSubstitute(const void*, UConverterToUnicodeArgs* args, const char* codeUnits,
                       int32_t length, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
    *err = U_ZERO_ERROR;
    const UChar c = length == 1 && static_cast<unsigned char>(codeUnits[0]) == 0x80 ? 0x80 : 0xFFFD;
    ucnv_cbToUWriteUChars(args, &c, 1, 0, err);
}

struct FromUnicodeCount {
    std::size_t Replaced = 0;
};

// Characters without a form in ICU's table: the bytes Windows' table has for
// a few of them, else '?', counted. Ignorable characters included.
void CountingSubstitute(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                        UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
    *err = U_ZERO_ERROR;
    char byte = '?';
    if (codePoint == 0x80)
        byte = '\x80';
    else if (codePoint == 0xF8F0)
        byte = '\xA0';
    else if (codePoint >= 0xF8F1 && codePoint <= 0xF8F3)
        byte = static_cast<char>(0xFD + (codePoint - 0xF8F1));
    else
        ++static_cast<FromUnicodeCount*>(const_cast<void*>(context))->Replaced;
    ucnv_cbFromUWriteBytes(args, &byte, 1, 0, err);
}

UConverter* Cp932() {
    thread_local ConverterPtr conv = [] {
        UErrorCode err = U_ZERO_ERROR;
        ConverterPtr c(ucnv_open("cp932", &err));
        if (U_FAILURE(err) || !c)
            throw std::runtime_error("文字コード変換（cp932）を用意できませんでした。");
        ucnv_setToUCallBack(c.get(), WindowsSubstitute, nullptr, nullptr, nullptr, &err);
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
    // The swapped codes come from the three single bytes only.
    for (char16_t& c : out)
        if (c < 0x80) c = SwapControl(c, IcuSide, WindowsSide);
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
    for (int32_t i = 0; i < nWide; ++i) {
        char16_t& c = wide[static_cast<std::size_t>(i)];
        if (c < 0x80) c = SwapControl(c, WindowsSide, IcuSide);
        // U+FFFF has no form in either table: the character is written as '?'.
        if (c == 0xF86F) c = 0xFFFF;
    }

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

} // namespace habitual
