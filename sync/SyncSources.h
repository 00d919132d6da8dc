#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "command/Outcome.h"
#include "platform/Folder.h"
#include "text/SourceText.h"

namespace lorvex {

// The line ends of the text files -s writes: CR LF as the environment writes
// them, or LF, as git's checkout gives text files it converted on commit.
enum class LineEnds { CrLf, Lf };

// Whether each library's folder gets the library's object list: as the tree
// already there does (the form of the environment's versions since 2019 in a
// new tree), always (the 2017-2018 form), or never.
enum class ObjectLists { FollowTree, Always, Never };

struct SyncOptions {
    std::vector<std::string> libraries;  // libraries, targets and workspaces, as given
    std::string output = ".";
    SourceEncoding encoding = SourceEncoding::Utf8;
    unsigned codePage = 0;  // of single-byte libraries' text; 0 when none was given
    bool prune = false;
    bool dryRun = false;         // --check
    bool encodingGiven = false;  // whether --encoding was given
    LineEnds lineEnds = LineEnds::CrLf;
    ObjectLists objectLists = ObjectLists::FollowTree;
};

// "-s": writes every source of every library into the folder
// <output>/<library path>.src/, with the library's object list where the
// tree takes one (see ObjectLists), touching only
// files whose bytes change. Prints one line per library (in a dry run, one
// per file a run would change) and reports problems on errors. Returns what
// it came to: unopened when the output folder, a library or a file naming
// libraries could not be opened or read; failed when an export failed; in a
// dry run, wouldChange when it found files to change.
// caseProbe tells how folders compare names (a test may give the answer).
Outcome syncSources(const SyncOptions& options, std::FILE* out, std::FILE* errors,
                    const platform::CaseProbe& caseProbe = {});

}  // namespace lorvex
