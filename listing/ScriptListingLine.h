#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace lorvex {

// A text field of the listing for scripts: UTF-8, or, when it cannot be shown
// faithfully as UTF-8, its bytes as stored, which go out in hex under the
// field's name followed by "_hex".
struct ListedText {
    std::string bytes;
    bool hex = false;
};

// One entry of the listing for scripts.
struct ListedEntry {
    std::string library;  // the path as given
    ListedText name;      // field "entry"
    const char* kind = "";
    std::uint32_t bytes = 0;
    std::string modified;  // UTC, as 2004-06-18T11:01:00Z
    ListedText comment;
    bool paired = false;
    ListedText companion;  // when paired
};

// Tab-separated values: a header line, then one line per entry with the
// fields in its order, a backslash, tab, newline or carriage return in a
// field written as \\, \t, \n or \r. The "_hex" columns come last, empty
// unless their field is given that way; the field itself is then empty, and
// so are the companion's columns without one.
void writeTabSeparatedHeader(std::FILE* out);
void writeTabSeparated(std::FILE* out, const ListedEntry& entry);

// JSON Lines: one object per entry, with "entry" or "entry_hex", "comment" or
// "comment_hex", "companion" or "companion_hex" only when paired, and
// "library_hex" for a path that is not UTF-8.
void writeJsonLine(std::FILE* out, const ListedEntry& entry);

}  // namespace lorvex
