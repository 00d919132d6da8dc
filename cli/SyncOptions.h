#pragma once

#include <string>
#include <vector>

#include "sync/SyncSources.h"

namespace lorvex {

// Reads the arguments after "-s": options (as --name=value or --name value,
// -o also as -oDIR; "--" ends them) and the libraries. False, with the offending argument in
// problem, for an unknown option, or for a value the option cannot take (reason then says why).
[[nodiscard]] bool parseSyncOptions(const std::vector<std::string>& arguments, SyncOptions& options,
                                    std::string& problem, std::string& reason);

}  // namespace lorvex
