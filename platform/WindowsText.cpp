#include "platform/WindowsText.h"

#include <windows.h>

namespace habitual::windows {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

namespace {

bool Prefixed(const std::wstring& path) {
    return path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0;
}

std::wstring Full(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD used = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (used == 0 || used >= n) return path;
    full.resize(used);
    return full;
}

// Folders are limited to 248 characters (room for an 8.3 name), files to 260.
std::wstring Long(const std::wstring& full) {
    if (full.size() < 248 || Prefixed(full)) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2); // \\server\share
    return L"\\\\?\\" + full;
}

} // namespace

std::wstring WidePath(const std::string& utf8) {
    const std::wstring path = Wide(utf8);
    if (path.size() < 248 || Prefixed(path)) return path;
    return Long(Full(path));
}

std::wstring FullWidePath(const std::string& utf8) {
    const std::wstring path = Wide(utf8);
    if (path.empty() || Prefixed(path)) return path;
    return Long(Full(path));
}

} // namespace habitual::windows
