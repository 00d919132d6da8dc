#pragma once

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Platform.h"
#include "sync/ListedPaths.h"
#include "sync/ProjectFiles.h"
#include "sync/SyncSources.h"

namespace lorvex {

// The libraries that the arguments of a run name, in order: libraries
// themselves, the libraries of targets, the targets of workspaces. A file
// that cannot be read is reported on errors and sets unread.
// A ".pbd" that only targets name is a runtime library.
class LibraryList {
public:
    LibraryList(const SyncOptions& options, std::FILE* errors)
        : options_(options), errors_(errors) {}

    void add(const std::string& argument);

    std::vector<NamedLibrary> libraries;
    // Every file the run reads or tried to read: libraries, targets, workspaces.
    std::vector<platform::FileIdentity> readFiles;
    bool unread = false;  // a file named could not be read

private:
    void fail(const std::string& subject, const std::string& reason);
    void addTarget(const NamedLibrary& target);
    void addWorkspace(const std::string& path);
    void addLibrary(const NamedLibrary& library);

    const SyncOptions& options_;
    std::FILE* errors_;
    std::unordered_map<std::string, std::size_t> positions_;  // of the libraries, by path
    ListedPaths paths_;
};

// How a message names a library: by its path, or by the file that names it
// and the library as written there.
std::string subjectOf(const NamedLibrary& library);

}  // namespace lorvex
