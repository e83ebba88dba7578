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

bool WriteText(std::FILE* stream, std::string_view utf8) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() &&
               std::fflush(stream) == 0;
    std::fflush(stream);
    const std::wstring wide = windows::Wide(utf8);
    DWORD written = 0;
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
           written == wide.size();
}

} // namespace habitual
