#include "sync/SyncedFile.h"

#include <algorithm>

#include "sync/LineEnds.h"

namespace lorvex {

bool SyncRules::isRead(const platform::FileIdentity& identity) const {
    return std::any_of(readFiles.begin(), readFiles.end(), [&](const platform::FileIdentity& read) {
        return platform::sameFile(read, identity);
    });
}

void FileSyncer::noteLineEnds(const platform::Folder& folder, const std::string& name,
                              const std::string& bytes) {
    // A file that differs only in line ends is at most twice as long.
    std::string held;
    if (folder.read(name, 2 * std::uint64_t{bytes.size()} + 2, held, ignored_) &&
        differOnlyInLineEnds(held, bytes))
        ++lineEndsOnly_;
}

SyncResult FileSyncer::sync(const platform::Folder& folder, const std::string& name,
                            const std::string& bytes, std::optional<std::uint32_t> modificationTime,
                            std::string& reason, bool mayExist) {
    if (!folder.isOpen()) return SyncResult::Written;  // a dry run into a folder not there
    platform::FileIdentity target;
    if (mayExist && comparer_.holds(folder, name, bytes, target)) return SyncResult::Unchanged;
    if (target.known && rules_.noteLineEnds) noteLineEnds(folder, name, bytes);
    // A link, a folder or a pipe where the file goes is never replaced.
    const platform::ItemStatus there = mayExist ? folder.look(name) : platform::ItemStatus{};
    if (there.kind != platform::ItemKind::Missing && there.kind != platform::ItemKind::PlainFile) {
        reason = "is not a plain file but a link, a folder or a pipe, which stays";
        return SyncResult::Failed;
    }
    // Looked up here, not only by the comparison: that one cannot see a file
    // it could not open, which the run may have tried to read all the same.
    if (rules_.isRead(there.identity)) {
        reason = "is a file this run reads";
        return SyncResult::Failed;
    }
    if (rules_.dryRun) return SyncResult::Written;
    std::string temporary;
    int descriptor = -1;
    if (!folder.createTemporaryFor(name, descriptor, temporary, reason)) {
        reason = "cannot create a file beside it: " + reason;
        return SyncResult::Failed;
    }
    bool written =
        platform::writeAll(descriptor, bytes.data(), bytes.size(), reason) &&
        (!modificationTime || platform::setModificationTime(descriptor, *modificationTime, reason));
    if (!platform::closeFile(descriptor, written ? reason : ignored_)) written = false;
    if (!written) reason = "cannot write: " + reason;
    if (written && folder.rename(temporary, name, reason)) return SyncResult::Written;
    if (written) reason = "cannot put it in place: " + reason;
    // Failing that, the next run removes it.
    static_cast<void>(folder.remove(temporary, ignored_));
    return SyncResult::Failed;
}

}  // namespace lorvex
