#pragma once

#include <string>
#include <vector>

namespace lorvex {

// Whether source file name a comes before b in an object list, as the
// environment orders them: grouped by extension in alphabetical order, then
// by the name without its extension, ignoring letter case, with "_" before
// digits and letters; other characters by their code.
bool objectListOrder(const std::string& a, const std::string& b);

// The object list of a library's sources, in the form the environment writes
// beside them: a UTF-8 byte order mark, LF line ends, the library named by
// its file name, the sources (file names) in objectListOrder.
std::string objectListText(const std::string& libraryFileName, std::vector<std::string> sources);

// The file name of a library's object list: "<library base name>.pbg".
std::string objectListName(const std::string& libraryPath);

}  // namespace lorvex
