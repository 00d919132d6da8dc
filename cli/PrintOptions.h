#pragma once

#include <string>
#include <vector>

#include "cli/OptionParser.h"
#include "print/PrintSources.h"

namespace lorvex {

// Reads the arguments after "-p": --codepage=N (or --codepage N) before the
// library, which the first argument that is not an option names; every
// argument after it is a name. "--" ends the options. False, with problem,
// for an unknown option, or for a value the option cannot take.
[[nodiscard]] bool parsePrintOptions(const std::vector<std::string>& arguments,
                                     PrintOptions& options, OptionProblem& problem);

}  // namespace lorvex
