// Windows: a file held open without sharing, as an editor or a spreadsheet
// holds the file it shows: no other program can open it until it is let go.
#pragma once

#ifdef _WIN32

#include <string>
#include <windows.h>

#include "tests/support/CliRunner.h"

namespace habitual::test {

class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : Handle(CreateFileW(WideText(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (Held()) CloseHandle(Handle);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return Handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE Handle;
};

} // namespace habitual::test

#endif
