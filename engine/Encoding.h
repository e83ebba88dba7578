// Shift-JIS (code page 932) <-> Unicode. This module is the only place where
// text changes encoding; everything else works on CP932 byte strings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace habitual {

// CP932 bytes to UTF-8. Bytes that are not valid CP932 become U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 to CP932 bytes. Characters without a CP932 form become '?'; their
// number is added to *replaced when it is given.
std::string Utf8ToCp932(std::string_view utf8, std::size_t* replaced = nullptr);

// A Japanese literal of the source (UTF-8) in CP932, converted once per
// literal text and kept for the life of the process.
const std::string& Sjis(std::string_view utf8Literal);

// True for the first byte of a CP932 double-byte character.
inline bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The longest length not above limit at which text can be cut without
// leaving the first half of a double-byte character at the end.
std::size_t Cp932CutLength(std::string_view text, std::size_t limit);

} // namespace habitual
