#pragma once

#include <cstdio>

#include "library/LibraryReader.h"

namespace lorvex {

// "-t": reads every entry's data chain, and for a source the companion a named
// export would pair with it, exactly as an export would, and writes nothing.
// Prints one line per damaged entry (display name and what is wrong) and a
// total line; true when every entry is intact.
[[nodiscard]] bool checkLibrary(LibraryReader& reader, std::FILE* out);

}  // namespace lorvex
