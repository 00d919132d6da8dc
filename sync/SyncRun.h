#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Folder.h"
#include "platform/Platform.h"
#include "sync/CodePageAdvice.h"
#include "sync/SyncSources.h"
#include "sync/SyncedFile.h"
#include "text/CaseFolder.h"

namespace lorvex {

// The folders this run locks, by identity, so that it never waits for itself:
// two of its libraries that would lock one folder clash instead.
class OwnLocks {
public:
    // Whether library may lock the folder; holder then names the library of
    // this run that has it.
    [[nodiscard]] bool claim(const platform::FileIdentity& folder, const std::string& library,
                             std::string& holder);

private:
    std::mutex mutex_;
    std::vector<std::pair<platform::FileIdentity, std::string>> held_;
};

// What the libraries of one run share; only ownLocks changes while they run.
struct SyncRun {
    const SyncOptions& options;
    SyncRules rules;
    const CaseFolder& caseFolder;
    const platform::CaseProbe& caseProbe;
    const platform::Folder& output;   // open, but in a dry run into a folder not there
    const platform::Folder& nearest;  // the output folder, or the nearest one above it there
    OwnLocks& ownLocks;
};

// What one library's export says, kept until the run prints it in order.
struct SyncReport {
    std::string out;                                          // standard output
    std::vector<std::pair<std::string, std::string>> errors;  // subject and message
    bool failed = false;        // something could not be exported, written or removed
    bool changed = false;       // files were written or removed (or would be, in a dry run)
    bool unread = false;        // the library could not be read
    unsigned lineEndsOnly = 0;  // files that differ from their exports only in line ends
    CodePageAdvice advice;
};

}  // namespace lorvex
