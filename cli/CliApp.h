// The batch tool: one run of the engine from the command line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace habitual {

// Runs the tool with the arguments after the program name; returns the exit
// status (0 success, 1 survey unreadable / run rejected / output failed,
// 2 usage error).
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

} // namespace habitual
