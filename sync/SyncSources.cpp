#include "sync/SyncSources.h"

#include <algorithm>
#include <map>

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

void print(const SyncReport& report, std::FILE* out, std::FILE* errors) {
    for (const auto& [subject, message] : report.errors) lorvex::report(errors, subject, message);
    std::fputs(report.out.c_str(), out);
}

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
    SyncRun run{options, SyncRules{readFiles, options.dryRun}, CodePage(options.codePage), {}, {}};

    const std::string here = platform::currentFolder();
    const bool outputIgnoresCase = platform::folderIgnoresCase(output);
    std::vector<platform::FileIdentity> done;
    std::map<std::string, std::string> folders;  // folder (as the output compares it) -> library
    int code = list.code;
    bool changed = false;
    for (const NamedLibrary& library : list.libraries) {
        LibraryReader reader;
        if (!reader.open(library.path)) {
            report(
                errors,
                library.namedBy.empty() ? library.path : library.namedBy + ": " + library.asWritten,
                reader.error());
            if (!options.dryRun) std::fprintf(out, "%s: not exported\n", library.path.c_str());
            code = std::max<int>(code, kExitOpenError);
            continue;
        }
        // A library named twice, under any name, is exported once.
        const platform::FileIdentity& identity = reader.file().identity();
        if (std::any_of(done.begin(), done.end(), [&](const platform::FileIdentity& d) {
                return platform::sameFile(d, identity);
            }))
            continue;
        done.push_back(identity);
        const std::string folder = sourceFolderOf(library.path, here);
        LibrarySync sync(reader, library, folder, run);
        SyncReport libraryReport;
        if (!sync.findSources()) {
            // A damaged directory may hide the sources there are.
            if (!reader.damage().empty()) {
                report(errors, library.path + ": directory",
                       reader.damage() + ": sources may be missing");
                code = std::max<int>(code, kExitExportFailed);
            }
            if (!options.dryRun) std::fprintf(out, "%s: no sources\n", library.path.c_str());
            continue;
        }
        const std::string folderKey = outputIgnoresCase ? run.caseFolder.fold(folder) : folder;
        const auto [claimed, fresh] = folders.emplace(folderKey, library.path);
        if (folder.empty() || !fresh) {
            report(errors, library.path,
                   folder.empty() ? "its path names no folder to export into; not exported"
                                  : "its folder " + underOutput(output, folder) + " is that of " +
                                        claimed->second + "; not exported");
            if (!options.dryRun) std::fprintf(out, "%s: not exported\n", library.path.c_str());
            code = std::max<int>(code, kExitExportFailed);
            continue;
        }
        sync.run(libraryReport);
        print(libraryReport, out, errors);
        if (libraryReport.failed) code = std::max<int>(code, kExitExportFailed);
        changed = changed || libraryReport.changed;
    }
    const std::string advice = run.advice.advice();
    if (!advice.empty()) report(errors, "hint", advice);
    if (options.dryRun && code == kExitDone && changed) return kExitWouldChange;
    return code;
}

}  // namespace lorvex
