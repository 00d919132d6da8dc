#include "sync/SyncedFile.h"

#include <algorithm>

namespace lorvex {

SyncResult syncFile(const std::string& path, const std::string& bytes,
                    std::optional<std::uint32_t> modificationTime,
                    const std::vector<platform::FileIdentity>& libraries, std::string& reason,
                    bool mayExist) {
    platform::FileIdentity target;
    if (mayExist && platform::fileHolds(path, bytes, target)) return SyncResult::Unchanged;
    if (std::any_of(libraries.begin(), libraries.end(), [&](const platform::FileIdentity& library) {
            return platform::sameFile(library, target);
        })) {
        reason = "is a library this run reads";
        return SyncResult::Failed;
    }
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
