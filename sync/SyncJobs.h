#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "command/Outcome.h"
#include "sync/PlannedSource.h"
#include "sync/ProjectFiles.h"
#include "sync/SyncRun.h"

namespace lorvex {

// One library of a run: found in order, exported perhaps beside others,
// reported in order.
struct SyncJob {
    NamedLibrary library;
    std::string folder;       // under the output folder
    bool objectList = false;  // whether its folder gets the library's object list
    bool toExport = false;    // or already reported as not exported
    std::vector<PlannedSource> sources;
    std::string damage;  // of its directory, as the plan's pass found it
    Generation generation = Generation::SingleByte;
    SyncReport report;
};

// Decides, one library at a time and in order, before anything is written,
// which libraries are exported and where, and which get object lists: a
// runtime library, a library that cannot be opened, is named a second time,
// holds no sources (but for an empty ".pbl" where object lists are written),
// or whose folder has a name that is not safe or would clash with what an
// earlier library writes (FolderClashes) is not. Reads each library's sources
// once, for the run too. A library that cannot be opened sets
// outcome.unopened.
std::vector<SyncJob> planJobs(const std::vector<NamedLibrary>& libraries, const SyncRun& run,
                              Outcome& outcome);

// Prints the reports of jobs in their order as soon as each and all before it
// have ended, whichever thread ends them.
class OrderedReports {
public:
    OrderedReports(std::vector<SyncJob>& jobs, std::FILE* out, std::FILE* errors)
        : jobs_(jobs), ended_(jobs.size(), false), out_(out), errors_(errors) {}

    void ended(std::size_t job);

    CodePageAdvice advice;
    bool failed = false;
    bool changed = false;
    bool unread = false;
    unsigned lineEndsOnly = 0;

private:
    std::vector<SyncJob>& jobs_;
    std::vector<bool> ended_;
    std::size_t next_ = 0;
    std::mutex mutex_;
    std::FILE* out_;
    std::FILE* errors_;
};

}  // namespace lorvex
