#include "sync/SyncSources.h"

#include <algorithm>

#include "library/ExitCode.h"
#include "library/LibraryReader.h"
#include "library/Report.h"
#include "platform/Platform.h"
#include "sync/LibraryList.h"
#include "sync/LibrarySync.h"
#include "sync/SyncJobs.h"

namespace lorvex {

namespace {

// The output folder, made when missing and locked, so that runs into one
// folder take turns and none removes what another writes. False when it is
// not a folder or cannot be made one; a dry run makes nothing.
bool prepareOutput(const SyncOptions& options, platform::FolderLock& lock, std::FILE* errors) {
    const std::string& output = options.output;
    if (platform::exists(output) && !platform::isFolder(output)) {
        report(errors, output, "is not a folder");
        return false;
    }
    std::string reason;
    if (options.dryRun) return true;  // which writes nothing, not even a lock
    if (!platform::makeFolders(output, reason)) {
        report(errors, output, "cannot create the folder: " + reason);
        return false;
    }
    if (!lock.acquire(
            output, [&] { report(errors, output, "waiting for another run into it to end"); },
            reason))
        report(errors, output,
               "cannot be locked, so a run beside this one could disturb it: " + reason);
    return true;
}

// Files that git converted on commit differ from the exports only in line ends.
std::string lineEndsHint(unsigned files, const SyncOptions& options) {
    const bool lf = options.lineEnds == LineEnds::Lf;
    return std::to_string(files) + (files == 1 ? " file differs" : " files differ") +
           " from what this run writes only in line ends: " +
           (lf ? "--eol=crlf writes CR LF, as the environment does"
               : "--eol=lf writes LF, as git's checkout gives files it converted");
}

}  // namespace

int syncSources(const SyncOptions& options, std::FILE* out, std::FILE* errors) {
    platform::FolderLock lock;
    if (!prepareOutput(options, lock, errors)) return kExitOpenError;
    LibraryList list(options, errors);
    for (const std::string& argument : options.libraries) list.add(argument);
    // Every file the run reads, so that no file written or removed is one of them.
    std::vector<platform::FileIdentity> readFiles;
    for (const NamedLibrary& library : list.libraries)
        readFiles.push_back(platform::identityOfPath(library.path));
    for (const std::string& path : list.projectFiles)
        readFiles.push_back(platform::identityOfPath(path));
    const bool noteLineEnds = options.encoding != SourceEncoding::Native;
    const SyncRun run{options, SyncRules{readFiles, options.dryRun, noteLineEnds}, {}};

    int code = list.code;
    std::vector<SyncJob> jobs = planJobs(list.libraries, run, code);
    // Several libraries at once, reported in order.
    OrderedReports reports(jobs, out, errors);
    platform::runInParallel(jobs.size(), [&](std::size_t i) {
        SyncJob& job = jobs[i];
        LibraryReader reader;
        std::string reason;
        if (job.toExport && reader.open(job.library.path, reason)) {
            LibrarySync(reader, job.library, job.folder, job.objectList, run).run(job.report);
        } else if (job.toExport) {
            job.report.errors.emplace_back(job.library.path, reason);
            job.report.unread = true;
        }
        reports.ended(i);
    });
    const std::string advice = reports.advice.advice();
    if (!advice.empty()) report(errors, "hint", advice);
    if (reports.lineEndsOnly != 0)
        report(errors, "hint", lineEndsHint(reports.lineEndsOnly, options));
    if (reports.unread) code = std::max<int>(code, kExitOpenError);
    if (reports.failed) code = std::max<int>(code, kExitExportFailed);
    if (options.dryRun && code == kExitDone && reports.changed) return kExitWouldChange;
    return code;
}

}  // namespace lorvex
