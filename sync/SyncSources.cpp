#include "sync/SyncSources.h"

#include "library/LibraryReader.h"
#include "platform/Folder.h"
#include "platform/Platform.h"
#include "sync/LibraryList.h"
#include "sync/LibrarySync.h"
#include "sync/SyncJobs.h"
#include "text/Report.h"

namespace lorvex {

namespace {

// The output folder, made when missing, opened as given (a link the user
// names is followed) and locked, so that runs into one folder take turns and
// none removes what another writes. False when it is not a folder or cannot
// be made one; a dry run makes nothing and takes no lock, and leaves output
// closed when the folder is not there. locked tells whether the lock was taken.
bool prepareOutput(const SyncOptions& options, platform::Folder& output, platform::FolderLock& lock,
                   bool& locked, std::FILE* errors) {
    const std::string& path = options.output;
    std::string reason;
    locked = true;
    if (platform::exists(path) && !platform::isFolder(path)) {
        report(errors, path, "is not a folder");
        return false;
    }
    if (!options.dryRun && !platform::makeFolders(path, reason)) {
        report(errors, path, "cannot create the folder: " + reason);
        return false;
    }
    if (!output.open(path, reason)) {
        if (options.dryRun) return true;
        report(errors, path, "cannot be opened: " + reason);
        return false;
    }
    if (options.dryRun) return true;
    locked = lock.acquire(
        output, [&] { report(errors, path, "waiting for another run into it to end"); }, reason);
    if (!locked)
        report(errors, path,
               "cannot be locked, so a run beside this one could disturb it: " + reason);
    return true;
}

// The nearest folder at or above path that is there: the one a dry run into
// a folder not there asks how it compares names.
platform::Folder nearestFolder(std::string path) {
    platform::Folder folder;
    std::string ignored;
    while (!folder.open(path, ignored) && !path.empty()) {
        while (!path.empty() && platform::isPathSeparator(path.back())) path.pop_back();
        const std::size_t slash = path.find_last_of(platform::isPathSeparator('\\') ? "/\\" : "/");
        path = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    }
    return folder;
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

Outcome syncSources(const SyncOptions& options, std::FILE* out, std::FILE* errors,
                    const platform::CaseProbe& caseProbe) {
    Outcome outcome;
    platform::Folder output;
    platform::FolderLock lock;
    bool locked = true;
    outcome.unopened = !prepareOutput(options, output, lock, locked, errors);
    if (outcome.unopened) return outcome;
    const platform::Folder nearest =
        output.isOpen() ? platform::Folder() : nearestFolder(options.output);
    LibraryList list(options, errors);
    for (const std::string& argument : options.libraries) list.add(argument);
    const bool noteLineEnds = options.encoding != SourceEncoding::Native;
    const CaseFolder caseFolder;
    OwnLocks ownLocks;
    const SyncRun run{options,    SyncRules{list.readFiles, options.dryRun, noteLineEnds},
                      caseFolder, caseProbe,
                      output,     output.isOpen() ? output : nearest,
                      ownLocks};
    outcome.unopened = list.unread;
    outcome.failed = !locked;
    std::vector<SyncJob> jobs = planJobs(list.libraries, run, outcome);
    // Several libraries at once, reported in order.
    OrderedReports reports(jobs, out, errors);
    platform::runInParallel(jobs.size(), [&](std::size_t i) {
        SyncJob& job = jobs[i];
        LibraryReader reader;
        std::string reason;
        if (job.toExport && reader.open(job.library.path, reason)) {
            LibrarySync(reader, job, run).run();
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
    outcome.add(Outcome{reports.unread, reports.failed, options.dryRun && reports.changed});
    return outcome;
}

}  // namespace lorvex
