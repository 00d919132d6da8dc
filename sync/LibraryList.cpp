#include "sync/LibraryList.h"

#include "library/EntryNames.h"
#include "library/ExitCode.h"
#include "library/Report.h"

namespace lorvex {

namespace {

const char* encodingName(SourceEncoding encoding) {
    return encoding == SourceEncoding::Utf8       ? "utf8"
           : encoding == SourceEncoding::HexAscii ? "hexascii"
                                                  : "native";
}

}  // namespace

std::string subjectOf(const NamedLibrary& library) {
    return library.namedBy.empty() ? library.path : library.namedBy + ": " + library.asWritten;
}

void LibraryList::add(const std::string& argument) {
    switch (projectFileKind(argument)) {
        case ProjectFileKind::Library:
            addLibrary(NamedLibrary{argument, "", argument});
            break;
        case ProjectFileKind::Target:
            addTarget(NamedLibrary{argument, "", argument});
            break;
        case ProjectFileKind::Workspace:
            addWorkspace(argument);
            break;
    }
}

void LibraryList::addLibrary(const NamedLibrary& library) {
    // A path named again adds nothing, however often a file repeats it.
    if (paths_.insert(library.path).second) libraries.push_back(library);
}

void LibraryList::fail(const std::string& subject, const std::string& reason) {
    report(errors_, subject, reason);
    code = kExitOpenError;
}

void LibraryList::addTarget(const NamedLibrary& target) {
    ProjectFile file;
    std::string reason;
    if (!readProjectFile(target.path, ProjectFileKind::Target, file, reason))
        return fail(subjectOf(target), reason);
    projectFiles.push_back(target.path);
    for (const NamedLibrary& library : file.entries) addLibrary(library);
}

void LibraryList::addWorkspace(const std::string& path) {
    ProjectFile file;
    std::string reason;
    if (!readProjectFile(path, ProjectFileKind::Workspace, file, reason)) return fail(path, reason);
    projectFiles.push_back(path);
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
