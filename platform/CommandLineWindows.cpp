#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

#include "platform/CommandLine.h"
#include "platform/WindowsText.h"

namespace habitual {

std::vector<std::string> CommandLineArguments(int, char**) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    if (!wide) return args;
    for (int i = 1; i < count; ++i) args.push_back(windows::Utf8(wide[i]));
    LocalFree(wide);
    return args;
}

void UseBinaryStandardOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace habitual
