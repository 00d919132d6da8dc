#include "sync/SyncSources.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "library/EntryNames.h"
#include "library/ExitCode.h"
#include "library/LibraryReader.h"
#include "library/Report.h"
#include "platform/Platform.h"
#include "sync/LibrarySync.h"
#include "sync/ProjectFiles.h"
#include "sync/SourceFolder.h"

namespace lorvex {

namespace {

const char* encodingName(SourceEncoding encoding) {
    return encoding == SourceEncoding::Utf8       ? "utf8"
           : encoding == SourceEncoding::HexAscii ? "hexascii"
                                                  : "native";
}

// The libraries the arguments name, in order, with the files that name them.
class LibraryList {
public:
    LibraryList(const SyncOptions& options, std::FILE* errors)
        : options_(options), errors_(errors) {}

    void add(const std::string& argument) {
        switch (projectFileKind(argument)) {
            case ProjectFileKind::Library:
                libraries.push_back(NamedLibrary{argument, "", argument});
                break;
            case ProjectFileKind::Target:
                addTarget(NamedLibrary{argument, "", argument});
                break;
            case ProjectFileKind::Workspace:
                addWorkspace(argument);
                break;
        }
    }

    std::vector<NamedLibrary> libraries;
    std::vector<std::string> projectFiles;  // the workspaces and targets read
    int code = kExitDone;

private:
    void fail(const std::string& subject, const std::string& reason) {
        report(errors_, subject, reason);
        code = kExitOpenError;
    }

    static std::string subjectOf(const NamedLibrary& file) {
        return file.namedBy.empty() ? file.path : file.namedBy + ": " + file.asWritten;
    }

    void addTarget(const NamedLibrary& target) {
        const ProjectFile file = readProjectFile(target.path, ProjectFileKind::Target);
        if (!file.error.empty()) return fail(subjectOf(target), file.error);
        projectFiles.push_back(target.path);
        libraries.insert(libraries.end(), file.entries.begin(), file.entries.end());
    }

    void addWorkspace(const std::string& path) {
        const ProjectFile file = readProjectFile(path, ProjectFileKind::Workspace);
        if (!file.error.empty()) return fail(path, file.error);
        projectFiles.push_back(path);
        const std::string encoding = foldedName(file.exportEncoding);
        if (!encoding.empty() && encoding != "utf-8" && encoding != "utf8" &&
            !options_.encodingGiven)
            report(errors_, path,
                   "DefaultExportEncode \"" + file.exportEncoding +
                       "\" is not followed: the sources are written as " +
                       encodingName(options_.encoding) + " (choose with --encoding)");
        for (const NamedLibrary& target : file.entries) addTarget(target);
    }

    const SyncOptions& options_;
    std::FILE* errors_;
};

// One library of the run: found in order, exported perhaps beside others,
// reported in order.
struct Job {
    NamedLibrary library;
    std::string folder;
    bool exported = false;  // or already reported as not exported
    SyncReport report;
};

// Prints the reports of jobs in their order as soon as each and all before it
// have ended, whichever thread ends them.
class OrderedReports {
public:
    OrderedReports(std::vector<Job>& jobs, std::FILE* out, std::FILE* errors)
        : jobs_(jobs), ended_(jobs.size(), false), out_(out), errors_(errors) {}

    void ended(std::size_t job) {
        const std::lock_guard<std::mutex> hold(mutex_);
        ended_[job] = true;
        for (; next_ < jobs_.size() && ended_[next_]; ++next_) {
            const SyncReport& report = jobs_[next_].report;
            for (const auto& [subject, message] : report.errors)
                lorvex::report(errors_, subject, message);
            std::fputs(report.out.c_str(), out_);
            advice.merge(report.advice);
            failed = failed || report.failed;
            changed = changed || report.changed;
        }
    }

    CodePageAdvice advice;
    bool failed = false;
    bool changed = false;

private:
    std::vector<Job>& jobs_;
    std::vector<bool> ended_;
    std::size_t next_ = 0;
    std::mutex mutex_;
    std::FILE* out_;
    std::FILE* errors_;
};

}  // namespace

int syncSources(const SyncOptions& options, std::FILE* out, std::FILE* errors) {
    const std::string& output = options.output;
    if (platform::exists(output) && !platform::isFolder(output)) {
        report(errors, output, "is not a folder");
        return kExitOpenError;
    }
    if (!options.dryRun && !platform::makeFolders(output)) {
        report(errors, output, "cannot create the folder: " + platform::lastError());
        return kExitOpenError;
    }
    // Runs into one folder take turns, so that none removes what another writes.
    platform::FolderLock lock;
    std::string reason;
    if (platform::isFolder(output) &&
        !lock.acquire(
            output, [&] { report(errors, output, "waiting for another run into it to end"); },
            reason))
        report(errors, output,
               "cannot be locked, so a run beside this one could disturb it: " + reason);

    LibraryList list(options, errors);
    for (const std::string& argument : options.libraries) list.add(argument);
    // Every file the run reads, so that no file written or removed is one of them.
    std::vector<platform::FileIdentity> readFiles;
    for (const NamedLibrary& library : list.libraries)
        readFiles.push_back(platform::identityOfPath(library.path));
    for (const std::string& path : list.projectFiles)
        readFiles.push_back(platform::identityOfPath(path));
    const SyncRun run{options, SyncRules{readFiles, options.dryRun}, {}};

    // First, one at a time and in order: which libraries are exported, and where.
    const std::string here = platform::currentFolder();
    const bool outputIgnoresCase = platform::folderIgnoresCase(output);
    std::vector<platform::FileIdentity> done;
    std::map<std::string, std::string> folders;  // folder (as the output compares it) -> library
    std::vector<Job> jobs;
    int code = list.code;
    for (const NamedLibrary& library : list.libraries) {
        Job job{library, sourceFolderOf(library.path, here), false, {}};
        SyncReport& said = job.report;
        LibraryReader reader;
        if (!reader.open(library.path)) {
            said.errors.emplace_back(
                library.namedBy.empty() ? library.path : library.namedBy + ": " + library.asWritten,
                reader.error());
            if (!options.dryRun) said.out = library.path + ": not exported\n";
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
        LibrarySync sync(reader, library, job.folder, run);
        const std::string folderKey =
            outputIgnoresCase ? run.caseFolder.fold(job.folder) : job.folder;
        if (!sync.findSources()) {
            // A damaged directory may hide the sources there are.
            if (!reader.damage().empty()) {
                said.errors.emplace_back(library.path + ": directory",
                                         reader.damage() + ": sources may be missing");
                said.failed = true;
            }
            if (!options.dryRun) said.out = library.path + ": no sources\n";
        } else if (const auto [claimed, fresh] = folders.emplace(folderKey, library.path);
                   job.folder.empty() || !fresh) {
            said.errors.emplace_back(library.path,
                                     job.folder.empty()
                                         ? "its path names no folder to export into; not exported"
                                         : "its folder " + underOutput(output, job.folder) +
                                               " is that of " + claimed->second + "; not exported");
            if (!options.dryRun) said.out = library.path + ": not exported\n";
            said.failed = true;
        } else {
            job.exported = true;
        }
        jobs.push_back(std::move(job));
    }

    // Then the libraries' sources, several libraries at once, reported in order.
    OrderedReports reports(jobs, out, errors);
    platform::runInParallel(jobs.size(), [&](std::size_t i) {
        Job& job = jobs[i];
        LibraryReader reader;
        if (job.exported && reader.open(job.library.path)) {
            LibrarySync sync(reader, job.library, job.folder, run);
            if (sync.findSources()) sync.run(job.report);
        } else if (job.exported) {
            job.report.errors.emplace_back(job.library.path, reader.error());
            job.report.failed = true;
        }
        reports.ended(i);
    });
    const std::string advice = reports.advice.advice();
    if (!advice.empty()) report(errors, "hint", advice);
    if (reports.failed) code = std::max<int>(code, kExitExportFailed);
    if (options.dryRun && code == kExitDone && reports.changed) return kExitWouldChange;
    return code;
}

}  // namespace lorvex
