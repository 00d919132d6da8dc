#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/CurrentEntry.h"
#include "library/LibraryReader.h"
#include "text/CodePage.h"

namespace lorvex {

// A source of a library as a run finds it before exporting it.
struct PlannedSource {
    CurrentEntry entry;
    std::uint32_t position = 0;  // in library order
    std::string fileName;        // empty when the name cannot be converted
    bool exported = false;       // or left unchanged
};

// The sources of a library in one pass, with the names of their files: as
// stored, or, with convertNames, single-byte names in codePage as UTF-8.
std::vector<PlannedSource> readSources(LibraryReader& reader, CodePage& codePage,
                                       bool convertNames);

}  // namespace lorvex
