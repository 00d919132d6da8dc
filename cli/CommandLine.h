#pragma once

#include <cstdio>

#include "cli/ExitCode.h"

namespace lorvex {

// Runs one command line (argv[0] is the program, arguments as the platform
// hands them over) and returns its exit code; the run prints to out, and says
// on errors what failed.
int runCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* errors);

// Whether the command line's job is the files it writes (-s, -e) rather than
// its output (-v, -l, -t).
bool writesFiles(int argc, const char* const* argv);

}  // namespace lorvex
