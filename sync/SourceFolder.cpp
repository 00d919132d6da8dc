#include "sync/SourceFolder.h"

#include <vector>

#include "library/EntryNames.h"
#include "platform/Platform.h"

namespace lorvex {

namespace {

// A path as its parts, "." and ".." resolved as text, with the drive or root
// it starts at (if any) in start.
std::vector<std::string> partsOf(const std::string& path, std::string& start) {
    std::size_t at = 0;
    if (path.size() > 1 && path[1] == ':' && platform::isPathSeparator('\\')) at = 2;  // a drive
    if (at < path.size() && platform::isPathSeparator(path[at])) ++at;
    start = path.substr(0, at);
    std::vector<std::string> parts;
    while (at < path.size()) {
        std::size_t end = at;
        while (end < path.size() && !platform::isPathSeparator(path[end])) ++end;
        const std::string part = path.substr(at, end - at);
        if (part == ".." && !parts.empty() && parts.back() != "..") {
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    return parts;
}

// Names of folders compare as the platform's file names do.
bool samePart(const std::string& a, const std::string& b) {
    return platform::isPathSeparator('\\') ? foldedName(a) == foldedName(b) : a == b;
}

}  // namespace

std::string sourceFolderOf(const std::string& libraryPath, const std::string& currentFolder) {
    std::string start;
    std::vector<std::string> parts = partsOf(libraryPath, start);
    std::size_t kept = 0;
    if (platform::isAbsolutePath(libraryPath)) {
        // Relative to the current folder: what the two paths share goes.
        // A root without a drive is the current drive's.
        std::string here;
        const std::vector<std::string> current = partsOf(currentFolder, here);
        const bool drive = start.size() > 1 && start[1] == ':';
        if (!drive || samePart(start.substr(0, 2), here.substr(0, 2)))
            while (kept < parts.size() && kept < current.size() &&
                   samePart(parts[kept], current[kept]))
                ++kept;
    }
    while (kept < parts.size() && parts[kept] == "..") ++kept;
    std::string folder;
    for (; kept < parts.size(); ++kept) folder += (folder.empty() ? "" : "/") + parts[kept];
    return folder.empty() ? folder : folder + ".src";
}

bool makePlainFolders(const std::string& root, const std::string& relative, bool create,
                      bool& exists, std::string& reason) {
    std::string path = root;
    exists = true;
    for (std::size_t at = 0; at < relative.size();) {
        std::size_t end = relative.find('/', at);
        if (end == std::string::npos) end = relative.size();
        const std::string part = relative.substr(at, end - at);
        path += (path.empty() || platform::isPathSeparator(path.back()) ? "" : "/") + part;
        at = end + 1;
        std::string problem;
        if (!platform::isStorableName(part, problem)) {
            reason = path + ": " + problem;
            return false;
        }
        if (platform::isPlainFolder(path)) continue;
        // Anything else there, a link to a folder above all, would take the
        // files out of the output folder.
        if (platform::exists(path)) {
            reason = path + ": is not a folder but " +
                     (platform::isFolder(path) ? "a link to one" : "something else");
            return false;
        }
        exists = false;
        if (!create) return true;
        if (!platform::makeFolder(path, problem)) {
            reason = path + ": cannot create the folder: " + problem;
            return false;
        }
        if (!platform::isPlainFolder(path)) {
            reason = path + ": is not a folder but a link to one";
            return false;
        }
        exists = true;
    }
    return true;
}

}  // namespace lorvex
