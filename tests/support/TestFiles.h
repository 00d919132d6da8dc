#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/support/LibraryBuilder.h"

namespace lorvex::testing {

// A fresh empty directory that is the current directory for its lifetime.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

private:
    std::string path_;
    std::string previous_;
};

void setTimeZone(const char* zone);  // for the local times of listings

struct RunResult {
    int exitCode = -1;
    std::string output;
};

// Runs a command line in this process, as the tool would, capturing what it prints.
RunResult runLorvex(const std::vector<std::string>& arguments);
// Writes the library as lib.pbl and runs "<command> lib.pbl <names...>".
RunResult runOn(const BuiltLibrary& library, const std::string& command,
                std::vector<std::string> names = {});

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
std::vector<std::string> filesIn(const std::string& directory);  // sorted
std::string text(const Bytes& bytes);
// ASCII text as UTF-16LE bytes, as Unicode-era exports write it.
std::string wide(const std::string& ascii);

// One extraction from a one-node library and everything it should leave behind.
struct ExtractCase {
    const char* what;
    std::vector<EntryLayout> entries;
    std::vector<std::string> names;                          // after "-e lib.pbl"
    std::string output;                                      // standard output
    std::vector<std::pair<std::string, std::string>> files;  // every file written, with its bytes
    int exitCode = 0;
    void (*damage)(BuiltLibrary&) = nullptr;
    bool unicode = false;
};
// Runs the case in a fresh directory and checks exit code, output and files.
void check(const ExtractCase& c);

// The binary data section of a source, around the given rows.
std::string section(char tag, const std::string& bin, std::uint32_t size, std::uint32_t time,
                    const std::string& rows);
// One row: "20", the given groups, zero groups up to 499, CR LF.
std::string row(const std::string& groups);

extern const std::string kCorpus;  // the real libraries, when they sit beside the project
#define SKIP_WITHOUT_CORPUS() \
    if (!fileExists(kCorpus + "README.md")) GTEST_SKIP() << "no corpus at " << kCorpus

}  // namespace lorvex::testing
