#include "sync/FolderClashes.h"

#include "platform/Platform.h"

namespace lorvex {

namespace {

// The folders path is in, and path itself, from the top down.
std::vector<std::string> foldersDown(const std::string& path) {
    std::vector<std::string> folders;
    for (std::size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        folders.push_back(path.substr(0, slash));
    folders.push_back(path);
    return folders;
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string FolderClashes::key(const std::string& path) const {
    const std::string listed = platform::nameAsListed(path);
    return ignoresCase_ ? caseFolder_.fold(listed) : listed;
}

std::string FolderClashes::shown(const std::string& path) const {
    if (output_.empty()) return path;
    return output_ + (platform::isPathSeparator(output_.back()) ? "" : "/") + path;
}

const FolderClashes::Taken* FolderClashes::folderOf(const std::string& folderKey) const {
    for (const Taken& taken : taken_)
        if (taken.folder == folderKey) return &taken;
    return nullptr;
}

bool FolderClashes::holds(const Taken& taken, const std::string& name) const {
    const std::string wanted = key(name);
    for (const std::string& file : taken.files)
        if (key(file) == wanted) return true;
    return false;
}

// A file can only be where a folder is when the folder's parent is the
// folder of the file's library: a few folders to look at, not every file.
bool FolderClashes::take(const std::string& library, const std::string& folder,
                         std::vector<std::string> files, std::string& reason) {
    const std::string folderKey = key(folder);
    if (const Taken* same = folderOf(folderKey)) {
        reason = "its folder " + shown(folder) + " is that of " + same->library;
        return false;
    }
    const std::vector<std::string> down = foldersDown(folder);
    for (const std::string& path : down) {
        const Taken* around = folderOf(key(parentOf(path)));
        if (around != nullptr && holds(*around, path.substr(path.rfind('/') + 1))) {
            reason = "its folder " + shown(path) + " is a file of " + around->library;
            return false;
        }
    }
    Taken mine{library, folderKey, std::move(files)};
    for (const auto& [above, owner] : above_) {
        const std::size_t slash = above.rfind('/');
        if (slash == std::string::npos || above.compare(0, slash, folderKey) != 0 ||
            slash != folderKey.size() || !holds(mine, above.substr(slash + 1)))
            continue;
        reason = "its file " + shown(folder + above.substr(slash)) + " is a folder of " +
                 taken_[owner].library;
        return false;
    }
    for (const std::string& path : down) above_.emplace_back(key(path), taken_.size());
    taken_.push_back(std::move(mine));
    return true;
}

}  // namespace lorvex
