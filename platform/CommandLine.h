// The batch tool's command line and standard streams.
#pragma once

#include <string>
#include <vector>

namespace habitual {

// The arguments after the program's name, in UTF-8. On Windows they are
// taken from the UTF-16 command line, since argv holds them in the ANSI code
// page, which cannot hold every Japanese name; elsewhere argv is UTF-8.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Standard output passes its bytes unchanged: on Windows no CR is put before
// each LF (the results already end their lines with CR LF).
void UseBinaryStandardOutput();

} // namespace habitual
