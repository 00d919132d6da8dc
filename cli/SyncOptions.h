#pragma once

#include <string>
#include <vector>

#include "cli/OptionParser.h"
#include "sync/SyncSources.h"

namespace lorvex {

// Reads the arguments after "-s": options (as --name=value or --name value,
// -o also as -oDIR; "--" ends them) and the libraries. False, with problem,
// for an unknown option, or for a value the option cannot take.
[[nodiscard]] bool parseSyncOptions(const std::vector<std::string>& arguments, SyncOptions& options,
                                    OptionProblem& problem);

}  // namespace lorvex
