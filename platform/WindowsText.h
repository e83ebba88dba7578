// UTF-8 and UTF-16 for the wide calls of Windows (the Windows sides only).
#pragma once

#include <string>
#include <string_view>

namespace habitual::windows {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// A path for the wide file calls. An absolute path near the old limit of
// 260 characters is given the \\?\ form, which lifts the limit.
std::wstring WidePath(const std::string& utf8);

// The same path made absolute, with backslashes (GetFullPathNameW), for
// the calls that take no relative or root-relative name in every version
// of the system (ReplaceFileW among them).
std::wstring FullWidePath(const std::string& utf8);

} // namespace habitual::windows
