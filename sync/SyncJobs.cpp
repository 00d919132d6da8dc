#include "sync/SyncJobs.h"

#include <algorithm>
#include <map>

#include "library/EntryNames.h"
#include "sync/FolderClashes.h"
#include "sync/LibraryList.h"
#include "sync/ObjectList.h"
#include "sync/SourceFolder.h"
#include "sync/SourceNames.h"
#include "text/Report.h"

namespace lorvex {

namespace {

bool endsInPbl(const std::string& path) {
    return path.size() >= 4 && foldedName(path.substr(path.size() - 4)) == ".pbl";
}

// Whether the folder of a library, under the output folder, holds the
// library's object list; exists tells whether the folder is there at all.
bool holdsObjectList(const platform::Folder& output, const std::string& folder,
                     const std::string& libraryPath, bool& exists) {
    std::vector<platform::Folder> chain;
    std::string ignored;
    exists = output.isOpen() && !folder.empty() &&
             openFolders(output, folder, false, chain, exists, ignored) && exists;
    return exists &&
           chain.back().look(objectListName(libraryPath)).kind == platform::ItemKind::PlainFile;
}

// Which libraries get their object list: with neither option, those whose
// folder holds one, and those whose folder is new when the folder of another
// library of the run holds one.
std::vector<bool> objectListsOf(const std::vector<NamedLibrary>& libraries,
                                const std::vector<std::string>& folders, const SyncRun& run) {
    const ObjectLists option = run.options.objectLists;
    std::vector<bool> lists(libraries.size(), option == ObjectLists::Always);
    if (option != ObjectLists::FollowTree) return lists;
    std::vector<bool> exists(libraries.size(), false);
    bool treeHoldsLists = false;
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        bool folderExists = false;
        if (libraries[i].runtime) continue;
        lists[i] = holdsObjectList(run.output, folders[i], libraries[i].path, folderExists);
        exists[i] = folderExists;
        treeHoldsLists = treeHoldsLists || lists[i];
    }
    for (std::size_t i = 0; i < libraries.size(); ++i)
        if (!exists[i]) lists[i] = treeHoldsLists;
    return lists;
}

// Whether a folder named after a library's path may hold its sources: no
// part with a control character or a turn of direction, or longer than a
// name may be (what the file system does not store as it is, opening tells).
bool isSafeFolder(const std::string& output, const std::string& folder, std::string& reason) {
    std::string path = output;
    for (std::size_t at = 0; at < folder.size();) {
        const std::size_t end = std::min(folder.find('/', at), folder.size());
        const std::string part = folder.substr(at, end - at);
        std::string why;
        const bool fits = platform::nameLength(part) <= platform::longestName(path);
        if (!fits) why = "its name is longer than the system takes here";
        if (!fits || !isShownAsIs(part, true, why)) {
            reason = "its folder " + underOutput(output, folder) + ": " + why;
            return false;
        }
        path = underOutput(path, part);
        at = end + 1;
    }
    return true;
}

// What the plan learns of a library by reading it.
struct Reading {
    bool opened = false;
    std::string reason;  // why it could not be opened
    platform::FileIdentity identity;
    Generation generation = Generation::SingleByte;
    std::vector<PlannedSource> sources;
    std::string damage;
};

Reading readLibrary(const NamedLibrary& library, const SyncOptions& options) {
    Reading reading;
    LibraryReader reader;
    reading.reason = library.problem;
    if (library.runtime || !reading.reason.empty() || !reader.open(library.path, reading.reason))
        return reading;
    reading.opened = true;
    reading.identity = reader.file().identity();
    reading.generation = reader.generation();
    CodePage codePage(options.codePage);
    const bool convertNames =
        reading.generation == Generation::SingleByte && options.encoding != SourceEncoding::Native;
    reading.sources = readSources(reader, codePage, convertNames);
    reading.damage = reader.damage();
    return reading;
}

// What a run one at a time prints for a library not exported.
void notExported(SyncJob& job, const std::string& subject, const std::string& reason,
                 const SyncOptions& options) {
    job.report.errors.emplace_back(subject, reason);
    if (!options.dryRun) job.report.out = printable(job.library.path) + ": not exported\n";
}

// Whether a library that could be read is exported: an empty library gets
// its folder where the tree keeps object lists, one whose damaged directory
// may hide its sources does not; a folder must be safe and clash with none.
void decideExport(SyncJob& job, FolderClashes& clashes, const SyncOptions& options) {
    const std::string& path = job.library.path;
    std::vector<std::string> files;
    for (const PlannedSource& source : job.sources)
        if (!source.fileName.empty()) files.push_back(source.fileName);
    if (job.objectList) files.push_back(objectListName(path));
    std::string reason;
    if (job.sources.empty() && (!job.damage.empty() || !job.objectList || !endsInPbl(path))) {
        if (!options.dryRun) job.report.out = printable(path) + ": no sources\n";
        if (!job.damage.empty()) {
            job.report.errors.emplace_back(path + ": directory",
                                           job.damage + ": sources may be missing");
            job.report.failed = true;
        }
    } else if (job.folder.empty()) {
        notExported(job, path, "its path names no folder to export into", options);
        job.report.failed = true;
    } else if (!isSafeFolder(options.output, job.folder, reason) ||
               !clashes.take(path, job.folder, std::move(files), reason)) {
        notExported(job, path, reason + "; not exported", options);
        job.report.failed = true;
    } else {
        job.toExport = true;
    }
}

}  // namespace

std::vector<SyncJob> planJobs(const std::vector<NamedLibrary>& libraries, const SyncRun& run,
                              Outcome& outcome) {
    const SyncOptions& options = run.options;
    const std::string here = platform::currentFolder();
    std::vector<std::string> folders;
    for (const NamedLibrary& library : libraries)
        folders.push_back(sourceFolderOf(library.path, here));
    const std::vector<bool> objectLists = objectListsOf(libraries, folders, run);
    FolderClashes clashes(options.output, run.caseProbe.ignoresCase(run.nearest, !options.dryRun),
                          run.caseFolder);
    // The libraries are read several at once; what they say is decided in order.
    std::vector<Reading> readings(libraries.size());
    platform::runInParallel(
        libraries.size(), [&](std::size_t i) { readings[i] = readLibrary(libraries[i], options); });
    std::vector<platform::FileIdentity> done;
    std::vector<SyncJob> jobs;
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        const NamedLibrary& library = libraries[i];
        SyncJob job{library, folders[i], objectLists[i], false, {}, {}, Generation::SingleByte, {}};
        Reading& reading = readings[i];
        const platform::FileIdentity& identity = reading.identity;
        if (library.runtime) {
            if (!options.dryRun)
                job.report.out = printable(library.path) + ": runtime library, not exported\n";
        } else if (!reading.opened) {
            notExported(job, subjectOf(library), reading.reason, options);
            outcome.unopened = true;
        } else if (std::any_of(done.begin(), done.end(), [&](const platform::FileIdentity& d) {
                       return platform::sameFile(d, identity);
                   })) {
            continue;  // a library named twice, under any name, is exported once
        } else {
            done.push_back(identity);
            job.sources = std::move(reading.sources);
            job.generation = reading.generation;
            job.damage = std::move(reading.damage);
            decideExport(job, clashes, options);
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
