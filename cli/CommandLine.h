#pragma once

#include <cstdio>

namespace lorvex {

enum ExitCode : int {
    kExitDone = 0,
    kExitUsage = 1,
    kExitOpenError = 2,
    kExitUnknownSwitch = 3,
    kExitExportFailed = 4,
};

// Runs one command line (argv[0] is the program) and returns its exit code;
// everything the run prints goes to console.
int runCommandLine(int argc, const char* const* argv, std::FILE* console);

}  // namespace lorvex
