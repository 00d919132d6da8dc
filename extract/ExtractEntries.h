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

// A name to look up, and whether a pattern matched it.
struct NameRequest {
    std::string name;
    bool matched;
};

// The names to look up for the names an extraction is given: each name as
// given, and in place of a pattern the display names it matches, in library
// order, each once. A pattern that matches nothing stays, to be reported as
// not found: it would have matched an entry of its own name.
std::vector<NameRequest> expandPatterns(LibraryReader& reader,
                                        const std::vector<std::string>& names);

}  // namespace lorvex
