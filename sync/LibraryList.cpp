#include "sync/LibraryList.h"

#include "library/EntryNames.h"
#include "text/Report.h"

namespace lorvex {

namespace {

const char* encodingName(SourceEncoding encoding) {
    return encoding == SourceEncoding::Utf8       ? "utf8"
           : encoding == SourceEncoding::HexAscii ? "hexascii"
                                                  : "native";
}

// A runtime library of a target: what the environment builds, never exports.
bool isRuntimeLibrary(const std::string& path) {
    return path.size() >= 4 && foldedName(path.substr(path.size() - 4)) == ".pbd";
}

}  // namespace

std::string subjectOf(const NamedLibrary& library) {
    return library.namedBy.empty() ? library.path : library.namedBy + ": " + library.asWritten;
}

void LibraryList::add(const std::string& argument) {
    switch (projectFileKind(argument)) {
        case ProjectFileKind::Library:
            addLibrary(NamedLibrary{argument, "", argument, {}, false});
            break;
        case ProjectFileKind::Target:
            addTarget(NamedLibrary{argument, "", argument, {}, false});
            break;
        case ProjectFileKind::Workspace:
            addWorkspace(argument);
            break;
    }
}

void LibraryList::addLibrary(const NamedLibrary& library) {
    // A path named again adds nothing, however often a file repeats it; a
    // runtime library named on the command line as well is exported.
    const auto [known, fresh] = positions_.try_emplace(library.path, libraries.size());
    if (fresh) libraries.push_back(library);
    if (fresh) readFiles.push_back(platform::identityOfPath(library.path));
    if (!library.runtime) libraries[known->second].runtime = false;
}

void LibraryList::fail(const std::string& subject, const std::string& reason) {
    report(errors_, subject, reason);
    unread = true;
}

void LibraryList::addTarget(const NamedLibrary& target) {
    ProjectFile file;
    std::string reason = target.problem;
    // Refused or not, a file the run opens is one it never writes or removes.
    if (reason.empty()) readFiles.push_back(platform::identityOfPath(target.path));
    if (!reason.empty() ||
        !readProjectFile(target.path, ProjectFileKind::Target, paths_, file, reason))
        return fail(subjectOf(target), reason);
    for (NamedLibrary& library : file.entries) {
        library.runtime = isRuntimeLibrary(library.path);
        addLibrary(library);
    }
}

void LibraryList::addWorkspace(const std::string& path) {
    ProjectFile file;
    std::string reason;
    readFiles.push_back(platform::identityOfPath(path));
    if (!readProjectFile(path, ProjectFileKind::Workspace, paths_, file, reason))
        return fail(path, reason);
    // Its UTF-8 is this tool's default; any other value is not followed.
    const std::string encoding = foldedName(file.exportEncoding);
    if (!encoding.empty() && encoding != "utf-8" && encoding != "utf8" && !options_.encodingGiven)
        report(errors_, path,
               "DefaultExportEncode \"" + file.exportEncoding +
                   "\" is not followed: the sources are written as " +
                   encodingName(options_.encoding) + " (choose with --encoding)");
    for (const NamedLibrary& target : file.entries) addTarget(target);
}

}  // namespace lorvex
