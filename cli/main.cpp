#include <cstdio>

#include "cli/CliApp.h"
#include "platform/CommandLine.h"

int main(int argc, char** argv) {
    habitual::UseBinaryStandardOutput();
    return habitual::RunCli(habitual::CommandLineArguments(argc, argv), stdout, stderr);
}
