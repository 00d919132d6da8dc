#pragma once

#include <cstddef>
#include <string>

#include "library/CurrentEntry.h"

namespace lorvex {

// How a stored name is treated: a colon, slash or backslash makes a resource,
// ".sr?" as the last four characters (any case) a source, anything else a
// compiled object.
EntryKind classifyName(const char* name, std::size_t length);

// Fills entry.displayName with the kind prefix and as much of the stored name
// as fits in 99 bytes, never splitting a UTF-8 sequence when utf8 is set.
void formDisplayName(CurrentEntry& entry, const char* name, std::size_t length, bool utf8);

// Position just after the last backslash or slash at position 1 or later, or 0.
std::size_t baseNameOffset(const char* name);

// ASCII letters compare ignoring case; every other byte as it is.
bool equalsIgnoringCase(const char* a, const char* b);
char foldAscii(char c);
std::string foldedName(const std::string& name);

// The last part of a path, after its last slash, backslash or (a drive) colon.
std::string fileNameOf(const std::string& path);

// Whether a request names a source that has a compiled companion, and that
// companion's display name ("PCODE\" + the name less its last three
// characters + "bin").
bool isPairedRequest(const std::string& request);
std::string companionNameFor(const std::string& request);

}  // namespace lorvex
