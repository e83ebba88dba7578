// Runs the batch tool: in process through RunCli, or as the built program in
// a shell command (for what needs a process of its own: resource limits,
// a private mount namespace).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

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

} // namespace habitual::test
