#include <utility>
#include <vector>

#include "platform/Folder.h"

namespace lorvex::platform {

// Walks up to the deepest folder that exists, then creates the rest on the
// way down: the path comes from the command line, so its depth may not cost
// stack, nor its length copies of prefixes too long to exist.
bool makeFolders(const std::string& path, std::string& reason) {
    if (path.empty() || isFolder(path)) return true;
    constexpr std::size_t kLongestPath = 32767;  // no system takes a longer one
    const bool drives = isPathSeparator('\\');
    std::vector<std::size_t> missing{path.size()};
    for (std::size_t end = path.size(); end >= 2;) {
        std::size_t slash = end - 2;
        while (slash > 0 && !isPathSeparator(path[slash])) --slash;
        if (slash == 0 || (drives && path[slash - 1] == ':')) break;
        if (slash < kLongestPath && isFolder(path.substr(0, slash))) break;
        missing.push_back(end = slash);
    }
    for (auto end = missing.rbegin(); end != missing.rend(); ++end) {
        if (!makeFolder(path.substr(0, *end), reason)) return false;
    }
    return true;
}

Folder::Folder(Folder&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
    other.handle_ = -1;
}

// The handle this one held goes with other.
Folder& Folder::operator=(Folder&& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(path_, other.path_);
    return *this;
}

bool Folder::isOneName(const std::string& name, std::string& reason) const {
    if (!isOpen()) {
        reason = "is in a folder that is not open";
        return false;
    }
    for (const char c : name) {
        if (isPathSeparator(c)) {
            reason = "is not a name in the folder";
            return false;
        }
    }
    return true;
}

bool Folder::isFolderName(const std::string& name, std::string& reason) const {
    if (name.empty() || name == "." || name == "..") {
        reason = "is not a folder";
        return false;
    }
    return isOneName(name, reason);
}

std::string Folder::pathOf(const std::string& name) const {
    if (path_.empty()) return name;
    const char last = path_.back();
    return path_ + (last == '/' || last == '\\' ? "" : "/") + name;
}

}  // namespace lorvex::platform
