#include "sync/SyncJobs.h"

#include <algorithm>
#include <map>

#include "library/ExitCode.h"
#include "library/Report.h"
#include "sync/LibraryList.h"
#include "sync/SourceFolder.h"

namespace lorvex {

namespace {

// Whether the library holds a source: read up to the first one.
bool holdsSources(LibraryReader& reader) {
    bool found = false;
    reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t) {
        found = entry.kind == EntryKind::Source;
        return !found;
    });
    return found;
}

}  // namespace

std::vector<SyncJob> planJobs(const std::vector<NamedLibrary>& libraries, const SyncRun& run,
                              int& code) {
    const SyncOptions& options = run.options;
    const std::string here = platform::currentFolder();
    // The current folder by its name, which "." does not tell the case of.
    const bool current = options.output == "." || options.output == "./";
    const bool outputIgnoresCase = platform::folderIgnoresCase(current ? here : options.output);
    std::vector<platform::FileIdentity> done;
    std::map<std::string, std::string> folders;  // folder (as the output compares it) -> library
    std::vector<SyncJob> jobs;
    // What a run one at a time prints for a library not exported.
    auto notExported = [&](SyncJob& job, const std::string& subject, const std::string& reason,
                           const char* line) {
        job.report.errors.emplace_back(subject, reason);
        if (!options.dryRun) job.report.out = printable(job.library.path) + line;
    };
    for (const NamedLibrary& library : libraries) {
        SyncJob job{library, sourceFolderOf(library.path, here), false, {}};
        LibraryReader reader;
        std::string reason;
        if (!reader.open(library.path, reason)) {
            notExported(job, subjectOf(library), reason, ": not exported\n");
            code = std::max<int>(code, kExitOpenError);
            jobs.push_back(std::move(job));
            continue;
        }
        // A library named twice, under any name, is exported once.
        const platform::FileIdentity& identity = reader.file().identity();
        if (std::any_of(done.begin(), done.end(), [&](const platform::FileIdentity& d) {
                return platform::sameFile(d, identity);
            }))
            continue;
        done.push_back(identity);
        const std::string key = outputIgnoresCase ? run.caseFolder.fold(job.folder) : job.folder;
        if (!holdsSources(reader)) {
            // A damaged directory may hide the sources there are.
            if (!options.dryRun) job.report.out = printable(library.path) + ": no sources\n";
            if (!reader.damage().empty()) {
                job.report.errors.emplace_back(library.path + ": directory",
                                               reader.damage() + ": sources may be missing");
                job.report.failed = true;
            }
        } else if (job.folder.empty()) {
            notExported(job, library.path, "its path names no folder to export into",
                        ": not exported\n");
            job.report.failed = true;
        } else if (const auto [claimed, fresh] = folders.emplace(key, library.path); !fresh) {
            notExported(job, library.path,
                        "its folder " + underOutput(options.output, job.folder) + " is that of " +
                            claimed->second + "; not exported",
                        ": not exported\n");
            job.report.failed = true;
        } else {
            job.toExport = true;
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

void OrderedReports::ended(std::size_t job) {
    const std::lock_guard<std::mutex> hold(mutex_);
    ended_[job] = true;
    for (; next_ < jobs_.size() && ended_[next_]; ++next_) {
        const SyncReport& said = jobs_[next_].report;
        for (const auto& [subject, message] : said.errors) report(errors_, subject, message);
        std::fputs(said.out.c_str(), out_);
        advice.merge(said.advice);
        failed = failed || said.failed;
        unread = unread || said.unread;
        changed = changed || said.changed;
    }
}

}  // namespace lorvex
