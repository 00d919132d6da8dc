#pragma once

#include <cstdio>
#include <string>

#include "library/LibraryReader.h"

namespace lorvex {

// "-t": reads every entry's data chain, and for a source the companion a named
// export would pair with it, as an export would, and writes nothing. Prints
// one line per damaged entry (display name and what is wrong), one for a
// damaged directory, and a total line, each after linePrefix; true when
// everything is intact.
[[nodiscard]] bool checkLibrary(LibraryReader& reader, const std::string& libraryName,
                                const std::string& linePrefix, std::FILE* out, std::FILE* errors);

}  // namespace lorvex
