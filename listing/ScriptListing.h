#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "command/Outcome.h"

namespace lorvex {

struct ScriptListingOptions {
    std::vector<std::string> libraries;  // as given
    bool json = false;
    unsigned codePage = 0;  // of single-byte libraries' names and comments; 0 when none was given
};

// "-l": one line per entry of every library in turn, in library order, for
// scripts: its library, stored name, kind, size without the comment, time in
// UTC, comment, and the companion a named export pairs it with. Tab-separated
// values after a header line, or JSON Lines. A library that cannot be opened,
// an entry whose comment cannot be read (left out) and a damaged directory are
// reported on errors. Returns what it came to: unopened when a library could
// not be opened, failed for damage.
Outcome listForScripts(const ScriptListingOptions& options, std::FILE* out, std::FILE* errors);

}  // namespace lorvex
