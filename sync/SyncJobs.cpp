#include "sync/SyncJobs.h"

#include <algorithm>
#include <map>

#include "library/EntryNames.h"
#include "library/ExitCode.h"
#include "library/Report.h"
#include "sync/LibraryList.h"
#include "sync/ObjectList.h"
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

bool endsInPbl(const std::string& path) {
    return path.size() >= 4 && foldedName(path.substr(path.size() - 4)) == ".pbl";
}

// Whether the folder of a library, under the output folder, holds the
// library's object list; exists tells whether the folder is there at all.
bool holdsObjectList(const std::string& output, const std::string& folder,
                     const std::string& libraryPath, bool& exists) {
    const std::string path = underOutput(output, folder);
    exists = !folder.empty() && platform::isPlainFolder(path);
    return exists && platform::isPlainFile(underOutput(path, objectListName(libraryPath)));
}

// Which libraries get their object list: with neither option, those whose
// folder holds one, and those whose folder is new when the folder of another
// library of the run holds one.
std::vector<bool> objectListsOf(const std::vector<NamedLibrary>& libraries,
                                const std::vector<std::string>& folders,
                                const SyncOptions& options) {
    std::vector<bool> lists(libraries.size(), options.objectLists == ObjectLists::Always);
    if (options.objectLists != ObjectLists::FollowTree) return lists;
    std::vector<bool> exists(libraries.size(), false);
    bool treeHoldsLists = false;
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        bool folderExists = false;
        if (libraries[i].runtime) continue;
        lists[i] = holdsObjectList(options.output, folders[i], libraries[i].path, folderExists);
        exists[i] = folderExists;
        treeHoldsLists = treeHoldsLists || lists[i];
    }
    for (std::size_t i = 0; i < libraries.size(); ++i)
        if (!exists[i]) lists[i] = treeHoldsLists;
    return lists;
}

}  // namespace

std::vector<SyncJob> planJobs(const std::vector<NamedLibrary>& libraries, const SyncRun& run,
                              int& code) {
    const SyncOptions& options = run.options;
    const std::string here = platform::currentFolder();
    // The current folder by its name, which "." does not tell the case of.
    const bool current = options.output == "." || options.output == "./";
    const bool outputIgnoresCase = platform::folderIgnoresCase(current ? here : options.output);
    std::vector<std::string> folders;
    for (const NamedLibrary& library : libraries)
        folders.push_back(sourceFolderOf(library.path, here));
    const std::vector<bool> objectLists = objectListsOf(libraries, folders, options);
    std::vector<platform::FileIdentity> done;
    std::map<std::string, std::string> taken;  // folder (as the output compares it) -> library
    std::vector<SyncJob> jobs;
    // What a run one at a time prints for a library not exported.
    auto notExported = [&](SyncJob& job, const std::string& subject, const std::string& reason,
                           const char* line) {
        job.report.errors.emplace_back(subject, reason);
        if (!options.dryRun) job.report.out = printable(job.library.path) + line;
    };
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        const NamedLibrary& library = libraries[i];
        SyncJob job{library, folders[i], objectLists[i], false, {}};
        LibraryReader reader;
        std::string reason = library.problem;
        if (library.runtime) {
            if (!options.dryRun)
                job.report.out = printable(library.path) + ": runtime library, not exported\n";
            jobs.push_back(std::move(job));
            continue;
        }
        if (!reason.empty() || !reader.open(library.path, reason)) {
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
        // An empty library gets its folder where the tree keeps object lists;
        // one whose damaged directory may hide its sources does not.
        const bool empty = !holdsSources(reader);
        if (empty && (!reader.damage().empty() || !job.objectList || !endsInPbl(library.path))) {
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
        } else if (const auto [claimed, fresh] = taken.emplace(key, library.path); !fresh) {
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
        lineEndsOnly += said.lineEndsOnly;
    }
}

}  // namespace lorvex
