#include "sync/SyncedFile.h"

#include <algorithm>

namespace lorvex {

bool SyncRules::isRead(const platform::FileIdentity& identity) const {
    return std::any_of(readFiles.begin(), readFiles.end(), [&](const platform::FileIdentity& read) {
        return platform::sameFile(read, identity);
    });
}

SyncResult FileSyncer::sync(const std::string& path, const std::string& bytes,
                            std::optional<std::uint32_t> modificationTime, std::string& reason,
                            bool mayExist) {
    platform::FileIdentity target;
    if (mayExist && comparer_.holds(path, bytes, target)) return SyncResult::Unchanged;
    if (rules_.isRead(target)) {
        reason = "is a file this run reads";
        return SyncResult::Failed;
    }
    if (rules_.dryRun) return SyncResult::Written;
    std::string temporary;
    const int descriptor = platform::createTemporaryFor(path, temporary);
    if (descriptor < 0) {
        reason = "cannot create a file beside it: " + platform::lastError();
        return SyncResult::Failed;
    }
    const bool written =
        platform::writeAll(descriptor, bytes.data(), bytes.size()) &&
        (!modificationTime || platform::setModificationTime(descriptor, *modificationTime));
    if (!written) reason = "cannot write: " + platform::lastError();
    const bool closed = platform::closeFile(descriptor);
    if (written && !closed) reason = "cannot write: " + platform::lastError();
    if (written && closed && platform::replaceFile(temporary, path)) return SyncResult::Written;
    if (written && closed) reason = "cannot put it in place: " + platform::lastError();
    // Failing that, the next run removes it.
    static_cast<void>(platform::removeFile(temporary));
    return SyncResult::Failed;
}

}  // namespace lorvex
