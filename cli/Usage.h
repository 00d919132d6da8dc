#pragma once

#include <cstdio>

namespace lorvex {

// The banner and the short usage that too few arguments print, as they always have.
void printUsage(std::FILE* out);

}  // namespace lorvex
