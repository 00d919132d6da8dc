#pragma once

#include <string>
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
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

struct RunResult {
    int exitCode = -1;
    std::string output;
};

// Runs a command line in this process, as the tool would, capturing what it prints.
RunResult runLorvex(const std::vector<std::string>& arguments);
// Runs the real binary through the shell, capturing standard output.
RunResult runLorvexBinary(const std::string& arguments);

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
std::vector<std::string> filesIn(const std::string& directory);
void writeFile(const std::string& path, const std::string& bytes);
std::string text(const Bytes& bytes);

// Sets the time zone for local-time conversions until destroyed.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();

private:
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace lorvex::testing
