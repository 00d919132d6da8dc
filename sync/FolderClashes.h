#pragma once

#include <string>
#include <vector>

#include "text/CaseFolder.h"

namespace lorvex {

// What the libraries of a run take under the output folder, as it compares
// names, so that none writes where another one does: two libraries' folders
// that are one, a library's folder (or one it is in) that is another's file,
// or a file that is another's folder. Folders within folders are fine.
class FolderClashes {
public:
    // output: the output folder, as messages show it; ignoresCase: whether it
    // compares names ignoring letter case, as caseFolder folds them.
    FolderClashes(std::string output, bool ignoresCase, const CaseFolder& caseFolder)
        : output_(std::move(output)), ignoresCase_(ignoresCase), caseFolder_(caseFolder) {}

    // Takes folder (parts separated by "/") and the files named in it for
    // library, unless one clashes with what an earlier library took; reason
    // then names both.
    [[nodiscard]] bool take(const std::string& library, const std::string& folder,
                            std::vector<std::string> files, std::string& reason);

private:
    struct Taken {
        std::string library;
        std::string folder;  // as a key
        std::vector<std::string> files;
    };
    std::string key(const std::string& path) const;
    std::string shown(const std::string& path) const;
    // The library whose folder is the key's, or null.
    const Taken* folderOf(const std::string& folderKey) const;
    bool holds(const Taken& taken, const std::string& name) const;

    std::string output_;
    bool ignoresCase_;
    const CaseFolder& caseFolder_;
    std::vector<Taken> taken_;
    // Each folder taken and every folder it is in, as a key, with the library.
    std::vector<std::pair<std::string, std::size_t>> above_;
};

}  // namespace lorvex
