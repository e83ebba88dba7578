#include "engine/Encoding.h"

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

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
