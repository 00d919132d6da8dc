#pragma once

#include <cstdio>
#include <string>

#include "library/LibraryReader.h"

namespace lorvex {

// "-t": reads every entry's data chain as an extraction of all entries would,
// and each companion once for the named exports of the sources it pairs with
// (a source requested with its extension in lower case), and writes nothing.
// Intact exactly when all of those exports would succeed where files can be
// written (a file name no folder takes is damage). Prints one line per
// damaged entry (display name and what is wrong), one for a damaged
// directory, and a total line, each after linePrefix; true when everything is
// intact.
[[nodiscard]] bool checkLibrary(LibraryReader& reader, const std::string& libraryName,
                                const std::string& linePrefix, std::FILE* out, std::FILE* errors);

}  // namespace lorvex
