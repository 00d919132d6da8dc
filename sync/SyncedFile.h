#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lorvex {

enum class SyncResult { Written, Unchanged, Failed };

// Puts bytes at path unless the file there already holds exactly them. A new
// file is written beside it under a temporary name, given its time, and then
// renamed into place, so an interrupted run never leaves a half-written file
// in place of a good one. Failed leaves reason saying why.
SyncResult syncFile(const std::string& path, const std::string& bytes,
                    std::optional<std::uint32_t> modificationTime, std::string& reason);

}  // namespace lorvex
