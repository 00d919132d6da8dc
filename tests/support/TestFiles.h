#pragma once

// What the tests share: a fresh directory per test, running the command line
// in this process, files, and the one-table check of an extraction.

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/CommandLine.h"
#include "tests/support/LibraryBuilder.h"

namespace lorvex::testing {

inline const std::string kCorpus = std::string(LORVEX_SOURCE_DIR) + "/../shared/corpus/";
#define SKIP_WITHOUT_CORPUS()                               \
    if (access((kCorpus + "README.md").c_str(), F_OK) != 0) \
    GTEST_SKIP() << "no corpus at " << kCorpus

// Root opens every file whatever its mode: a test of a file the run may not
// open takes that away from this thread, and the threads it starts, for a while.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() { allow(false); }
    ~WithoutPermissionOverride() { allow(true); }

private:
    static void allow(bool allowed) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (syscall(SYS_capget, &header, data) != 0) return;
        for (const unsigned capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
            const unsigned bit = 1U << capability;
            data[0].effective =
                allowed ? data[0].effective | (data[0].permitted & bit) : data[0].effective & ~bit;
        }
        syscall(SYS_capset, &header, data);
    }
};

struct RunResult {
    int exitCode = -1;
    std::string output;
    std::string errors;  // standard error
};

// Runs a shell command line, capturing its standard output.
inline RunResult runShell(const std::string& command) {
    std::FILE* pipe = popen(command.c_str(), "r");
    RunResult result;
    for (int c; (c = std::fgetc(pipe)) != EOF;) result.output += static_cast<char>(c);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The names in a directory, sorted as bytes.
inline std::vector<std::string> filesIn(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(directory, error))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

// Every plain file under a folder, by its path below it, with its bytes.
inline std::map<std::string, std::string> filesUnder(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        std::ifstream in(it->path(), std::ios::binary);
        files[std::filesystem::relative(it->path(), folder, error).generic_string()] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// A fresh empty directory that is the current directory for its lifetime.
class ScopedTempDir {
public:
    ScopedTempDir() {
        char cwd[4096];
        previous_ = getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/lorvex-test-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr && chdir(pattern.c_str()) == 0) path_ = pattern;
    }
    ~ScopedTempDir() {
        std::error_code ignored;
        if (chdir(previous_.c_str()) == 0 && !path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

private:
    std::string path_;
    std::string previous_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs something that prints to two streams, capturing what it prints.
template <typename Run>
RunResult captured(Run run) {
    std::FILE* streams[2] = {std::tmpfile(), std::tmpfile()};
    RunResult result;
    result.exitCode = run(streams[0], streams[1]);
    for (std::string* text : {&result.output, &result.errors}) {
        std::FILE* stream = streams[text == &result.errors];
        std::rewind(stream);
        for (int c; (c = std::fgetc(stream)) != EOF;) *text += static_cast<char>(c);
        std::fclose(stream);
    }
    return result;
}

// Runs a command line in this process, as the tool would, capturing what it prints.
inline RunResult runLorvex(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"lorvex"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    return captured([&](std::FILE* out, std::FILE* errors) {
        return runCommandLine(static_cast<int>(argv.size()), argv.data(), out, errors);
    });
}

// One extraction from a one-node library and everything it should leave behind.
struct ExtractCase {
    std::vector<EntryLayout> entries;
    std::vector<std::string> names;                          // after "-e lib.pbl"
    std::string output;                                      // standard output
    std::vector<std::pair<std::string, std::string>> files;  // every file written, with its bytes
    int exitCode = 0;
    void (*damage)(BuiltLibrary&) = nullptr;
    bool unicode = false;
};

// Runs the case in a fresh directory and checks exit code, output and files.
inline void check(const ExtractCase& c) {
    ScopedTempDir dir;
    BuiltLibrary library = buildLibrary(oneNode(c.entries, c.unicode));
    if (c.damage != nullptr) c.damage(library);
    std::vector<std::string> arguments{"-e", "lib.pbl"};
    arguments.insert(arguments.end(), c.names.begin(), c.names.end());
    ASSERT_TRUE(library.writeTo("lib.pbl"));
    const RunResult result = runLorvex(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.output, c.output);
    std::vector<std::string> expected{"lib.pbl"};
    for (const auto& [name, bytes] : c.files) {
        EXPECT_EQ(readFile(name), bytes) << name;
        expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesIn("."), expected);
}

// The binary data section of a source, around the given rows.
inline std::string section(char tag, const std::string& bin, std::uint32_t size, std::uint32_t time,
                           const std::string& rows) {
    const std::string values =
        tag + bin + " " + std::to_string(size) + " " + std::to_string(time) + "\r\n";
    return "\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n0" + values + rows +
           "1" + values +
           "End of PowerBuilder Binary Data Section : No Source Expected After This Point\r\n";
}

// One row: "20", the given groups, zero groups up to 499, CR LF.
inline std::string row(const std::string& groups) {
    std::string line = "20" + groups;
    line.resize(2 + 499 * 8, '0');
    return line + "\r\n";
}

}  // namespace lorvex::testing
