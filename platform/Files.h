// Files by their UTF-8 names, and what an open file is.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace habitual {

// Opens the file at path (UTF-8) as std::fopen does with mode. On Windows
// the name goes to the system as UTF-16, so that every name the file system
// allows opens, not only those of the ANSI code page.
std::FILE* OpenFile(const std::string& path, const char* mode);

// The size in bytes of an open file when it is a regular file; nothing for
// a folder, a device, a pipe or a file the system cannot describe.
std::optional<std::uint64_t> RegularFileSize(std::FILE* file);

// The read position of an open file, and moving it, with 64-bit offsets on
// every system (a long holds 32 bits on Windows).
std::optional<std::uint64_t> FilePosition(std::FILE* file);
bool SetFilePosition(std::FILE* file, std::uint64_t offset);

} // namespace habitual
