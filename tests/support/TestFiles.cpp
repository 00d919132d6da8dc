#include "tests/support/TestFiles.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "cli/CommandLine.h"

namespace lorvex::testing {

namespace {
void removeTree(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return;
    if (S_ISDIR(status.st_mode)) {
        for (const std::string& name : filesIn(path)) removeTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}
}  // namespace

ScopedTempDir::ScopedTempDir() {
    char cwd[4096];
    previous_ = getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
    std::string pattern =
        std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/lorvex-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    if (chdir(path_.c_str()) != 0) path_.clear();
}

ScopedTempDir::~ScopedTempDir() {
    if (chdir(previous_.c_str()) != 0) return;
    if (!path_.empty()) removeTree(path_);
}

RunResult runLorvex(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"lorvex"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::FILE* console = std::tmpfile();
    RunResult result;
    result.exitCode = runCommandLine(static_cast<int>(argv.size()), argv.data(), console);
    std::fflush(console);
    std::rewind(console);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, console)) > 0;)
        result.output.append(buffer, n);
    std::fclose(console);
    return result;
}

RunResult runLorvexBinary(const std::string& arguments) {
    RunResult result;
    const std::string command = std::string(LORVEX_BINARY) + " " + arguments;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool fileExists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

std::vector<std::string> filesIn(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) return names;
    while (const dirent* item = readdir(dir)) {
        const std::string name = item->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    setenv("TZ", zone, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (hadPrevious_) {
        setenv("TZ", previous_.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace lorvex::testing
