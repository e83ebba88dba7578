// The batch tool's command line and standard streams.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace habitual {

// The arguments after the program's name, in UTF-8. On Windows they are
// taken from the UTF-16 command line, since argv holds them in the ANSI code
// page, which cannot hold every Japanese name; elsewhere argv is UTF-8.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Standard output passes its bytes unchanged: on Windows no CR is put before
// each LF (the results already end their lines with CR LF).
void UseBinaryStandardOutput();

// Writes UTF-8 text for a person to read (messages, the column list, the
// usage). A Windows console shows it through the wide calls, whatever its
// code page; a file or a pipe, and every stream elsewhere, gets the bytes.
// False when it could not be written.
bool WriteText(std::FILE* stream, std::string_view utf8);

} // namespace habitual
