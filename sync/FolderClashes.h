#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Platform.h"

namespace lorvex {

// What the libraries of a run take under the output folder, as it compares
// names, so that none writes where another one does: two libraries' folders
// that are one, a library's folder (or one above it) that is another's file,
// or a file that is another's folder. Folders within folders are fine.
class FolderClashes {
public:
    // output: the output folder, as messages show it; ignoresCase: whether it
    // compares names ignoring letter case, as caseFolder folds them.
    FolderClashes(std::string output, bool ignoresCase, const platform::CaseFolder& caseFolder)
        : output_(std::move(output)), ignoresCase_(ignoresCase), caseFolder_(caseFolder) {}

    // Takes folder (parts separated by "/") and the files named in it for
    // library, unless one clashes with what an earlier library took; reason
    // then names both.
    [[nodiscard]] bool take(const std::string& library, const std::string& folder,
                            const std::vector<std::string>& files, std::string& reason);

private:
    std::string key(const std::string& path) const;
    std::string shown(const std::string& path) const;

    std::string output_;
    bool ignoresCase_;
    const platform::CaseFolder& caseFolder_;
    // By key, the library that took each: folders, every folder they are in, files.
    std::unordered_map<std::string, std::string> folders_, above_, files_;
};

}  // namespace lorvex
