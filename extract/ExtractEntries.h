#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "library/LibraryReader.h"

namespace lorvex {

// "-e": exports every entry, or each named one, to a file of its own in
// folder (the current directory when empty; created with its parents when
// missing, then opened once, so that every file goes into the folder so
// opened), with the entry's stored time. Named extraction prints an
// extracting line for each entry it finds, a pattern standing for the display
// names it matches; names it does not find are reported on errors and skipped.
// False when an export failed: the extraction then stopped there, and errors
// says why.
[[nodiscard]] bool extractEntries(LibraryReader& reader, const std::string& libraryName,
                                  const std::vector<std::string>& names, const std::string& folder,
                                  std::FILE* out, std::FILE* errors);

}  // namespace lorvex
