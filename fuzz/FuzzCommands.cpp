// Every command on one input, run as the command line would in a scratch
// directory: the listing, the check, extraction of all entries and of every
// entry by name, and -s in each encoding, of the input as a library and as a
// target file. No file may be larger than the hex of the whole input.
#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "library/LibraryReader.h"

namespace {

void run(std::vector<std::string> arguments) {
    static std::FILE* sink = std::fopen("/dev/null", "w");
    arguments.insert(arguments.begin(), "lorvex");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    (void)lorvex::runCommandLine(static_cast<int>(argv.size()), argv.data(), sink, sink);
}

// Removes what the last command wrote, checking its size on the way.
std::size_t limit = 0;
int removeOutput(const char* path, const struct stat* status, int type, struct FTW* where) {
    const std::string name = path + where->base;
    if (where->level == 0 || (where->level == 1 && (name == "input.pbl" || name == "input.pbt")))
        return 0;
    if (type == FTW_F && static_cast<std::size_t>(status->st_size) > limit) std::abort();
    return remove(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static char scratch[] = "scratch-XXXXXX";  // in the folder the fuzzer runs in
    static const bool ready = mkdtemp(scratch) != nullptr && chdir(scratch) == 0;
    for (const char* name : {"input.pbl", "input.pbt"}) {
        std::FILE* file = std::fopen(name, "wb");
        if (!ready || file == nullptr || std::fwrite(data, 1, size, file) != size) std::abort();
        std::fclose(file);
    }
    std::vector<std::string> names{"-e", "input.pbl"};
    lorvex::LibraryReader reader;
    for (bool more = reader.open("input.pbl") && reader.rewind() && reader.next(); more;
         more = reader.next())
        names.emplace_back(reader.current().displayName);
    // Each record holds at least 25 bytes and is delivered once.
    if (names.size() > size / 25 + 2) std::abort();
    // clang-format off
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"-v", "input.pbl"}, {"-t", "input.pbl"}, {"-e", "input.pbl"}, names,
          {"-s", "-o", "out", "input.pbl"}, {"-s", "-o", "out", "--encoding=native", "input.pbl"},
          {"-s", "-o", "out", "--encoding=hexascii", "--codepage=936", "--prune", "input.pbt"}}) {
        // clang-format on
        run(command);
        limit = size * 21 / 10 + 4096;
        nftw(".", removeOutput, 16, FTW_DEPTH | FTW_PHYS);
    }
    return 0;
}
