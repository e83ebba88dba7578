#include "platform/CommandLine.h"

namespace habitual {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseBinaryStandardOutput() {
    // Standard output has no text mode here.
}

} // namespace habitual
