#pragma once

#include <string>
#include <vector>

#include "cli/OptionParser.h"
#include "listing/ScriptListing.h"

namespace lorvex {

// Reads the arguments after "-l": --json, --codepage=N (or --codepage N) and
// the libraries; "--" ends the options. False, with problem, for an unknown
// option, or for a value the option cannot take.
[[nodiscard]] bool parseScriptListingOptions(const std::vector<std::string>& arguments,
                                             ScriptListingOptions& options, OptionProblem& problem);

}  // namespace lorvex
