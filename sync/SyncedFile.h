#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace lorvex {

enum class SyncResult { Written, Unchanged, Failed };

// How a file is brought up to date.
struct SyncRules {
    // Files the run reads (libraries, targets, workspaces): never replaced.
    const std::vector<platform::FileIdentity>& readFiles;
    // Only tell whether the file would be written; write nothing.
    bool dryRun = false;
};

// Puts bytes at path unless the file there already holds exactly them. A new
// file is written beside it under a temporary name, given its time, and then
// renamed into place, so an interrupted run never leaves a half-written file
// in place of a good one. Failed leaves reason saying why. A caller that knows
// there is no file at path says so with mayExist, sparing the look.
SyncResult syncFile(const std::string& path, const std::string& bytes,
                    std::optional<std::uint32_t> modificationTime, const SyncRules& rules,
                    std::string& reason, bool mayExist = true);

// Whether identity is one of the files the run reads.
bool isReadByTheRun(const platform::FileIdentity& identity, const SyncRules& rules);

}  // namespace lorvex
