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

// Where an exact conversion stopped.
struct TConversionStop {
    enum class TReason {
        None,
        NoCp932Form, // a character that CP932 cannot hold
        Malformed,   // bytes that are not UTF-8
    };
    TReason Reason = TReason::None;
    std::size_t Offset = 0; // of the character or the bad bytes in the input
    std::size_t Length = 0; // their bytes
    bool Stopped() const { return Reason != TReason::None; }
};

// UTF-8 text to CP932, appended to *out (or only checked when out is
// nullptr). ASCII stays byte for byte; every other character must have a
// CP932 code that reads back as the same character, so that no two texts
// become one: no '?', no best fit. The one addition: the seven characters
// that the JIS tables give for codes where CP932 has a look-alike
// (〜 ‖ − ¢ £ ¬ —, as text from a Mac or converted by JIS rules holds them)
// take those codes. Stops at the first character without a code or the first
// bytes that are not UTF-8; *out then holds the text before it. nonAscii, when
// given, is set when the text holds any character beyond ASCII.
TConversionStop Utf8ToCp932Exact(std::string_view utf8, std::string* out, bool* nonAscii = nullptr);

// The length of the longest start of text that does not end inside a UTF-8
// sequence: where a stream of UTF-8 can be cut into pieces.
std::size_t Utf8CompleteLength(std::string_view text);

// The code point of the UTF-8 character at the start of text, and "U+20BB7".
std::string CodePointName(std::string_view utf8Character);

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
