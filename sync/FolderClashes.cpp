#include "sync/FolderClashes.h"

namespace lorvex {

std::string FolderClashes::key(const std::string& path) const {
    const std::string listed = platform::nameAsListed(path);
    return ignoresCase_ ? caseFolder_.fold(listed) : listed;
}

std::string FolderClashes::shown(const std::string& path) const {
    if (output_.empty()) return path;
    return output_ + (platform::isPathSeparator(output_.back()) ? "" : "/") + path;
}

bool FolderClashes::take(const std::string& library, const std::string& folder,
                         const std::vector<std::string>& files, std::string& reason) {
    if (const auto same = folders_.find(key(folder)); same != folders_.end()) {
        reason = "its folder " + shown(folder) + " is that of " + same->second;
        return false;
    }
    std::vector<std::string> above;  // the folder and each folder it is in
    for (std::size_t slash = folder.find('/'); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        above.push_back(folder.substr(0, slash));
    above.push_back(folder);
    for (const std::string& path : above) {
        if (const auto file = files_.find(key(path)); file != files_.end()) {
            reason = "its folder " + shown(path) + " is a file of " + file->second;
            return false;
        }
    }
    for (const std::string& name : files) {
        const std::string path = folder + "/" + name;
        if (const auto other = above_.find(key(path)); other != above_.end()) {
            reason = "its file " + shown(path) + " is a folder of " + other->second;
            return false;
        }
    }
    folders_.emplace(key(folder), library);
    for (const std::string& path : above) above_.emplace(key(path), library);
    for (const std::string& name : files) files_.emplace(key(folder + "/" + name), library);
    return true;
}

}  // namespace lorvex
