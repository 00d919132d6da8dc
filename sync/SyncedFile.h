#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace lorvex {

enum class SyncResult { Written, Unchanged, Failed };

// Puts bytes at path unless the file there already holds exactly them. A new
// file is written beside it under a temporary name, given its time, and then
// renamed into place, so an interrupted run never leaves a half-written file
// in place of a good one. A path that is one of the libraries being read is
// never replaced. Failed leaves reason saying why. A caller that knows there
// is no file at path says so with mayExist, sparing the look.
SyncResult syncFile(const std::string& path, const std::string& bytes,
                    std::optional<std::uint32_t> modificationTime,
                    const std::vector<platform::FileIdentity>& libraries, std::string& reason,
                    bool mayExist = true);

}  // namespace lorvex
