#pragma once

#include <string>
#include <vector>

#include "print/PrintSources.h"

namespace lorvex {

// Reads the arguments after "-p": --codepage=N (or --codepage N) before the
// library, which the first argument that is not an option names; every
// argument after it is a name. "--" ends the options. False, with the
// offending argument in problem, for an unknown option, or for a value the
// option cannot take (reason then says why).
[[nodiscard]] bool parsePrintOptions(const std::vector<std::string>& arguments,
                                     PrintOptions& options, std::string& problem,
                                     std::string& reason);

}  // namespace lorvex
