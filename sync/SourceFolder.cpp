#include "sync/SourceFolder.h"

#include <algorithm>
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

std::string underOutput(const std::string& output, const std::string& relative) {
    if (output.empty()) return relative;
    return output + (platform::isPathSeparator(output.back()) ? "" : "/") + relative;
}

bool openFolders(const platform::Folder& root, const std::string& relative, bool create,
                 std::vector<platform::Folder>& chain, bool& exists, std::string& reason) {
    chain.clear();
    exists = true;
    for (std::size_t at = 0; at < relative.size();) {
        const std::size_t end = std::min(relative.find('/', at), relative.size());
        const std::string part = relative.substr(at, end - at);
        at = end + 1;
        const platform::Folder& parent = chain.empty() ? root : chain.back();
        std::string problem;
        platform::Folder child;
        if (!platform::isStorableName(part, problem)) {
            reason = parent.pathOf(part) + ": " + problem;
            return false;
        }
        if (!create && parent.look(part).kind == platform::ItemKind::Missing) {
            exists = false;
            return true;
        }
        const bool opened = create ? parent.makeFolder(part, child, problem)
                                   : parent.openFolder(part, child, problem);
        if (!opened) {
            reason = parent.pathOf(part) + ": " + problem;
            return false;
        }
        chain.push_back(std::move(child));
    }
    return true;
}

}  // namespace lorvex
