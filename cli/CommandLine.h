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

// Runs one command line (argv[0] is the program, arguments as the platform
// hands them over) and returns its exit code; the run prints to out, and says
// on errors what failed.
int runCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* errors);

}  // namespace lorvex
