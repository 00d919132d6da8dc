#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Folder.h"
#include "platform/Platform.h"

namespace lorvex {

enum class SyncResult { Written, Unchanged, Failed };

// How files are brought up to date in a run.
struct SyncRules {
    // Files the run reads or tried to read (libraries, targets, workspaces):
    // never replaced or removed.
    const std::vector<platform::FileIdentity>& readFiles;
    // Only tell whether a file would be written; write nothing.
    bool dryRun = false;
    // Whether to count files that differ only in their line ends.
    bool noteLineEnds = false;

    bool isRead(const platform::FileIdentity& identity) const;
};

// Brings files in one folder up to date one at a time, comparing through a
// buffer of its own.
class FileSyncer {
public:
    explicit FileSyncer(const SyncRules& rules) : rules_(rules) {}

    // Puts bytes in the file name of folder unless it already holds exactly
    // them. A new file is written beside it under a temporary name, given its
    // time, and then renamed into place, so an interrupted run never leaves
    // a half-written file. Failed leaves reason saying why. A caller that
    // knows there is no file there says so with mayExist, sparing the look;
    // in a dry run the folder may not be there at all (not open).
    SyncResult sync(const platform::Folder& folder, const std::string& name,
                    const std::string& bytes, std::optional<std::uint32_t> modificationTime,
                    std::string& reason, bool mayExist = true);

    // How many files sync found differing from their bytes only in line ends.
    unsigned lineEndsOnly() const { return lineEndsOnly_; }

private:
    void noteLineEnds(const platform::Folder& folder, const std::string& name,
                      const std::string& bytes);

    const SyncRules& rules_;
    platform::FileComparer comparer_;
    unsigned lineEndsOnly_ = 0;
    std::string ignored_;  // what fails after a failure already said
};

}  // namespace lorvex
