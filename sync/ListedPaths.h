#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace lorvex {

// Paths that workspace and target files write were written on Windows, where
// letter case does not matter: a part that is not on the disk as written is
// the one name in its folder that matches it ignoring the case of ASCII
// letters. Each folder is listed once.
class ListedPaths {
public:
    // folder (taken as it is, ending in a separator or empty) joined with
    // written (parts separated by "/", or a path from a root or a drive), each
    // part as its folder lists it; a part its folder does not hold, and every
    // part after it, as written. False, with reason, when a part matches
    // several names.
    [[nodiscard]] bool resolve(const std::string& folder, const std::string& written,
                               std::string& path, std::string& reason);

private:
    const std::vector<std::string>& namesIn(const std::string& folder);

    std::unordered_map<std::string, std::vector<std::string>> listings_;
};

}  // namespace lorvex
