#pragma once

#include <cstdio>

#include "library/LibraryReader.h"

namespace lorvex {

// "-v": prints the heading, one line per entry (display name, listed size,
// local date and time) and the total.
void listEntries(LibraryReader& reader, std::FILE* out);

}  // namespace lorvex
