#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace lorvex {

// How -s writes the text of a source: UTF-8 after a byte order mark, the
// environment's own hex-escaped ASCII form, or byte for byte as -e does
// (in the order of the option's values).
enum class SourceEncoding { Utf8, HexAscii, Native };

struct SyncOptions {
    std::vector<std::string> libraries;  // libraries and target files, as given
    std::string output = ".";
    SourceEncoding encoding = SourceEncoding::Utf8;
    unsigned codePage = 0;  // of single-byte libraries' text; 0 when none was given
    bool prune = false;
    bool dryRun = false;         // --check
    bool encodingGiven = false;  // whether --encoding was given
};

// "-s": writes every source of every library into the folder
// <output>/<library file name>.src/, beside an object list <output>/<base name>.pbg,
// touching only files whose bytes change. Prints one line per library and
// reports problems on errors. Returns the exit code: 0, 2 when a library or
// target could not be read, 4 when an export failed, the larger when both.
int syncSources(const SyncOptions& options, std::FILE* out, std::FILE* errors);

}  // namespace lorvex
