#pragma once

// What the POSIX sources of platform/ share; nothing else includes it.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/Platform.h"

namespace lorvex::platform::posix {

// Why the last system call failed, as the system says it.
inline bool failed(std::string& reason) {
    reason = std::strerror(errno);
    return false;
}

inline FileIdentity identityOf(const struct stat& status) {
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino), true};
}

}  // namespace lorvex::platform::posix
