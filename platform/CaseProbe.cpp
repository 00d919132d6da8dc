#include <unordered_set>

#include "platform/Folder.h"

namespace lorvex::platform {

namespace {

// The name with every ASCII letter in the other case; empty when it has none.
std::string inOtherCase(const std::string& name) {
    std::string other = name;
    bool changed = false;
    for (char& c : other) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c ^= 0x20, changed = true;
    }
    return changed ? other : std::string();
}

bool isThere(const Folder& folder, const std::string& name) {
    return folder.look(name).kind != ItemKind::Missing;
}

// Creates a file of the temporary form, so that a run interrupted here leaves
// what the next one removes, and looks it up in the other case; false when it
// cannot be created. A file found in the other case that stays when the probe
// goes was another file all along.
bool probeByWriting(const Folder& folder, bool& ignores) {
    int descriptor = -1;
    std::string probe, reason;
    if (!folder.createTemporaryFor("case-probe", descriptor, probe, reason)) return false;
    abandonFile(descriptor);
    const std::string other = inOtherCase(probe);
    ignores = isThere(folder, other);
    if (folder.remove(probe, reason) && ignores) ignores = !isThere(folder, other);
    return true;
}

// Looks up in the other case the first name with letters that is still there;
// both cases listed are two files.
bool probeByLooking(const Folder& folder) {
    std::vector<FolderItem> items;
    std::string reason;
    if (!folder.list(items, reason)) return false;
    std::unordered_set<std::string> names;
    for (const FolderItem& item : items) names.insert(item.name);
    for (const FolderItem& item : items) {
        const std::string other = inOtherCase(item.name);
        if (other.empty()) continue;
        if (names.count(other) != 0) return false;
        if (isThere(folder, other)) return true;
        if (isThere(folder, item.name)) return false;
    }
    return false;
}

}  // namespace

bool folderIgnoresCase(const Folder& folder, bool mayWrite) {
    if (isPathSeparator('\\')) return true;  // Windows, whatever the file system says
    bool ignores = false;
    if (mayWrite && probeByWriting(folder, ignores)) return ignores;
    return probeByLooking(folder);
}

}  // namespace lorvex::platform
