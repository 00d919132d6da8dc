#include "sync/SyncedFile.h"

#include <algorithm>

#include "sync/LineEnds.h"

namespace lorvex {

bool SyncRules::isRead(const platform::FileIdentity& identity) const {
    return std::any_of(readFiles.begin(), readFiles.end(), [&](const platform::FileIdentity& read) {
        return platform::sameFile(read, identity);
    });
}

void FileSyncer::noteLineEnds(const std::string& path, const std::string& bytes) {
    // A file that differs only in line ends is at most twice as long.
    std::string held;
    if (platform::readSmallFile(path, 2 * std::uint64_t{bytes.size()} + 2, held, ignored_) &&
        differOnlyInLineEnds(held, bytes))
        ++lineEndsOnly_;
}

SyncResult FileSyncer::sync(const std::string& path, const std::string& bytes,
                            std::optional<std::uint32_t> modificationTime, std::string& reason,
                            bool mayExist) {
    platform::FileIdentity target;
    if (mayExist && comparer_.holds(path, bytes, target)) return SyncResult::Unchanged;
    if (target.known && rules_.noteLineEnds) noteLineEnds(path, bytes);
    // A link, a folder or a pipe where the file goes is never replaced.
    if (mayExist && platform::exists(path) && !platform::isPlainFile(path)) {
        reason = "is not a plain file but a link, a folder or a pipe, which stays";
        return SyncResult::Failed;
    }
    if (rules_.isRead(target)) {
        reason = "is a file this run reads";
        return SyncResult::Failed;
    }
    if (rules_.dryRun) return SyncResult::Written;
    std::string temporary;
    int descriptor = -1;
    if (!platform::createTemporaryFor(path, descriptor, temporary, reason)) {
        reason = "cannot create a file beside it: " + reason;
        return SyncResult::Failed;
    }
    bool written =
        platform::writeAll(descriptor, bytes.data(), bytes.size(), reason) &&
        (!modificationTime || platform::setModificationTime(descriptor, *modificationTime, reason));
    written = platform::closeFile(descriptor, written ? reason : ignored_) && written;
    if (!written) reason = "cannot write: " + reason;
    if (written && platform::replaceFile(temporary, path, reason)) return SyncResult::Written;
    if (written) reason = "cannot put it in place: " + reason;
    // Failing that, the next run removes it.
    static_cast<void>(platform::removeFile(temporary, ignored_));
    return SyncResult::Failed;
}

}  // namespace lorvex
