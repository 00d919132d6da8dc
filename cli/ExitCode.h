#pragma once

#include "command/Outcome.h"

namespace lorvex {

// What a run ends with, as scripts read it.
enum ExitCode : int {
    kExitDone = 0,
    kExitUsage = 1,
    kExitOpenError = 2,  // a library or a file naming libraries could not be read
    kExitUnknownSwitch = 3,
    kExitExportFailed = 4,  // an export failed, or damage was found
    kExitWouldChange = 5,   // a dry run found files that a run would change
};

// The exit code of what a command came to: a failure outweighs a file not
// opened, and a dry run's changes count only when nothing went wrong.
inline ExitCode exitCodeOf(const Outcome& outcome) {
    if (outcome.failed) return kExitExportFailed;
    if (outcome.unopened) return kExitOpenError;
    return outcome.wouldChange ? kExitWouldChange : kExitDone;
}

}  // namespace lorvex
