#pragma once

#include <string>
#include <vector>

#include "sync/ListedPaths.h"

namespace lorvex {

// A library to export, as a run finds it.
struct NamedLibrary {
    std::string path;     // as opened: joined to the folder of the file naming it
    std::string namedBy;  // the workspace or target file that names it; empty for the command line
    std::string asWritten;  // as that file writes it, for messages
    std::string problem;    // why the path names no file to open; empty when it does
    bool runtime = false;   // a runtime library that only targets name, which is never exported
};

// The files that name libraries: a workspace (".pbw", any letter case) names
// its targets in its "@begin Targets" block, one quoted path a line; a target
// (".pbt") names its libraries in its library-list line,
//   LibList "a.pbl;..\\shared\\pfc.pbl";
// (the keyword in any letter case). In both, "\\" is one backslash, "\uXXXX" a
// UTF-16 code unit, and paths are relative to the file's own folder, each part
// matched with the disk as ListedPaths says. Text may start with a byte order
// mark and end its lines in CR LF, LF or CR; anything else in them is ignored.
enum class ProjectFileKind { Library, Target, Workspace };
ProjectFileKind projectFileKind(const std::string& path);

// What a project file says.
struct ProjectFile {
    std::vector<NamedLibrary> entries;  // the targets of a workspace, the libraries of a target
    std::string exportEncoding;         // a workspace's DefaultExportEncode value, if any
};

// Reads a workspace or target file; entries name the files it lists, paths
// of folders matched through paths. False, with reason, when it cannot be
// read or names none.
[[nodiscard]] bool readProjectFile(const std::string& path, ProjectFileKind kind,
                                   ListedPaths& paths, ProjectFile& file, std::string& reason);

}  // namespace lorvex
