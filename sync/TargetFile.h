#pragma once

#include <string>
#include <vector>

namespace lorvex {

// Whether the path names a target file (".pbt" in any letter case).
bool isTargetFile(const std::string& path);

// The libraries a target file names in its line  liblist "a.pbl;sub\\b.pbl";
// ("\\" stands for a backslash), as paths relative to the target's folder.
// False, with error saying why, when the file cannot be read or has no such line.
[[nodiscard]] bool readTargetLibraries(const std::string& path, std::vector<std::string>& libraries,
                                       std::string& error);

}  // namespace lorvex
