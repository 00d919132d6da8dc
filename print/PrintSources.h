#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "command/Outcome.h"

namespace lorvex {

struct PrintOptions {
    std::string library;
    std::vector<std::string> names;  // names and patterns of entries, as -e takes them
    unsigned codePage = 0;           // of single-byte libraries' text; 0 when none was given
};

// "-p": writes the library's sources to out as one text, for diffs: each
// source once, in the object list's order, as -s writes it in utf8 without
// the byte order mark (a single-byte text that does not convert whole as
// stored, its name too), followed by CR LF when it does not end in LF. Then
// one line per compiled object, "<display name> TAB <bytes>", and per
// resource, the same and TAB and the CRC-32 of its bytes in eight lowercase
// hex digits, sorted by display name. With names, only the entries they
// select as -e selects them; a name that selects nothing is reported on
// errors. A damaged entry gets one line "<display name>: <reason>" in its
// place, and a damaged directory a line at the end, both reported on errors
// too. Returns what it came to: unopened when the library cannot be opened
// (nothing is printed), failed for damage.
Outcome printSources(const PrintOptions& options, std::FILE* out, std::FILE* errors);

}  // namespace lorvex
