#pragma once

#include <string>
#include <vector>

namespace lorvex {

// The object list of a library's sources, in the form the environment writes
// beside them: a UTF-8 byte order mark, LF line ends, the library named by
// its file name, the sources (file names) in objectListOrder.
std::string objectListText(const std::string& libraryFileName, std::vector<std::string> sources);

// The file name of a library's object list: "<library base name>.pbg".
std::string objectListName(const std::string& libraryPath);

}  // namespace lorvex
