// Runs the batch tool: in process through RunCli, or as the built program
// (for what needs a process of its own: its command line, resource limits,
// a private mount namespace).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include "cli/CliApp.h"
#include "tests/support/TempFile.h"

namespace habitual::test {

struct Outcome {
    int Status;
    std::string Out, Err; // bytes as written
};

inline std::string ReadStream(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
}

inline Outcome RunTool(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = RunCli(args, out, err);
    Outcome o{status, ReadStream(out), ReadStream(err)};
    std::fclose(out);
    std::fclose(err);
    return o;
}

#ifndef _WIN32

// Single quotes for the shell.
inline std::string Quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command line; its standard output and error are captured.
// Status is the exit status, or 128 + the signal that ended the shell.
inline Outcome RunShell(const std::string& command) {
    TempFile out("", ".out"), err("", ".err");
    const int raw = std::system((command + " >" + out.Path + " 2>" + err.Path).c_str());
    int status = -1;
    if (WIFEXITED(raw)) status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) status = 128 + WTERMSIG(raw);
    return {status, out.Read(), err.Read()};
}

// Runs a program with its arguments (UTF-8).
inline Outcome RunProgram(const std::vector<std::string>& args) {
    std::string command;
    for (const std::string& a : args) {
        if (!command.empty()) command += ' ';
        command += Quoted(a);
    }
    return RunShell(command);
}

#else

inline std::wstring WideText(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return wide;
}

// One argument of a command line, quoted by the rules the C runtime and
// CommandLineToArgvW read it with.
inline std::wstring QuotedArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring q = L"\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t slashes = 0;
        while (i < arg.size() && arg[i] == L'\\') ++i, ++slashes;
        if (i == arg.size()) {
            q.append(slashes * 2, L'\\');
            break;
        }
        q.append(arg[i] == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        q += arg[i];
    }
    return q + L"\"";
}

// Runs a program with its arguments (UTF-8) through the UTF-16 command line,
// its standard output and error going to files.
inline Outcome RunProgram(const std::vector<std::string>& args) {
    TempFile out("", ".out"), err("", ".err");
    std::wstring command;
    for (const std::string& a : args) {
        if (!command.empty()) command += L' ';
        command += QuotedArgument(WideText(a));
    }
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto create = [&](const std::string& path) {
        return CreateFileW(WideText(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = create(out.Path);
    startup.hStdError = create(err.Path);
    PROCESS_INFORMATION process{};
    int status = -1;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    return {status, out.Read(), err.Read()};
}

#endif

} // namespace habitual::test
