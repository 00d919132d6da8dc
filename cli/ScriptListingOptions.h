#pragma once

#include <string>
#include <vector>

#include "listing/ScriptListing.h"

namespace lorvex {

// Reads the arguments after "-l": --json, --codepage=N (or --codepage N) and
// the libraries; "--" ends the options. False, with the offending argument in
// problem, for an unknown option, or for a value the option cannot take
// (reason then says why).
[[nodiscard]] bool parseScriptListingOptions(const std::vector<std::string>& arguments,
                                             ScriptListingOptions& options, std::string& problem,
                                             std::string& reason);

}  // namespace lorvex
