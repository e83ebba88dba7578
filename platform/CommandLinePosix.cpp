#include "platform/CommandLine.h"

namespace habitual {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseBinaryStandardOutput() {
    // Standard output has no text mode here.
}

bool WriteText(std::FILE* stream, std::string_view utf8) {
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() &&
           std::fflush(stream) == 0;
}

} // namespace habitual
