#pragma once

#include <cstdio>

namespace lorvex {

// The banner and the short usage that too few arguments print, as they always have.
void printUsage(std::FILE* out);
// The banner and every switch and option of -s, one line each, for --help.
void printHelp(std::FILE* out);
// "lorvex <version>", for --version.
void printVersion(std::FILE* out);

}  // namespace lorvex
