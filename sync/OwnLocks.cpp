#include "sync/SyncRun.h"

namespace lorvex {

bool OwnLocks::claim(const platform::FileIdentity& folder, const std::string& library,
                     std::string& holder) {
    const std::lock_guard<std::mutex> hold(mutex_);
    for (const auto& [identity, owner] : held_) {
        if (!platform::sameFile(identity, folder)) continue;
        holder = owner;
        return false;
    }
    held_.emplace_back(folder, library);
    return true;
}

}  // namespace lorvex
