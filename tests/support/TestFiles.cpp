#include "tests/support/TestFiles.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "cli/CommandLine.h"

namespace lorvex::testing {

const std::string kCorpus = std::string(LORVEX_SOURCE_DIR) + "/../shared/corpus/";

namespace {
void removeTree(const std::string& path) {
    for (const std::string& name : filesIn(path)) removeTree(path + "/" + name);
    if (rmdir(path.c_str()) != 0) unlink(path.c_str());
}

std::string readAll(std::FILE* stream) {
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        out.append(buffer, n);
    return out;
}
}  // namespace

ScopedTempDir::ScopedTempDir() {
    char cwd[4096];
    previous_ = getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/lorvex-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr && chdir(pattern.c_str()) == 0) path_ = pattern;
}

ScopedTempDir::~ScopedTempDir() {
    if (chdir(previous_.c_str()) == 0 && !path_.empty()) removeTree(path_);
}

void setTimeZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

RunResult runLorvex(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"lorvex"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::FILE* console = std::tmpfile();
    RunResult result;
    result.exitCode = runCommandLine(static_cast<int>(argv.size()), argv.data(), console);
    std::rewind(console);
    result.output = readAll(console);
    std::fclose(console);
    return result;
}

RunResult runOn(const BuiltLibrary& library, const std::string& command,
                std::vector<std::string> names) {
    if (!library.writeTo("lib.pbl")) return {};
    names.insert(names.begin(), {command, "lib.pbl"});
    return runLorvex(names);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool fileExists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
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

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string wide(const std::string& ascii) {
    std::string out;
    for (const char c : ascii) out += {c, '\0'};
    return out;
}

void check(const ExtractCase& c) {
    ScopedTempDir dir;
    BuiltLibrary library = buildLibrary(oneNode(c.entries, c.unicode));
    if (c.damage != nullptr) c.damage(library);
    const RunResult result = runOn(library, "-e", c.names);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.what;
    EXPECT_EQ(result.output, c.output) << c.what;
    std::vector<std::string> expected{"lib.pbl"};
    for (const auto& [name, bytes] : c.files) {
        EXPECT_EQ(readFile(name), bytes) << c.what << ": " << name;
        expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesIn("."), expected) << c.what;
}

std::string section(char tag, const std::string& bin, std::uint32_t size, std::uint32_t time,
                    const std::string& rows) {
    const std::string values = std::string(1, tag) + bin + " " + std::to_string(size) + " " +
                               std::to_string(time) + "\r\n";
    return "\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n0" + values + rows +
           "1" + values +
           "End of PowerBuilder Binary Data Section : No Source Expected After This Point\r\n";
}

std::string row(const std::string& groups) {
    std::string line = "20" + groups;
    line.resize(2 + 499 * 8, '0');
    return line + "\r\n";
}

}  // namespace lorvex::testing
