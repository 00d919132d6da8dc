#pragma once

// Shared by the fuzz targets: each run writes its input as a library file in a
// scratch directory that is also the current directory, so exports land there.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/LibraryReader.h"

namespace lorvex::fuzz {

// Writes the input as the library, opens it with output to /dev/null and
// collects the display names of one pass; false when it does not open.
inline bool openInput(const std::uint8_t* data, std::size_t size, LibraryReader& reader,
                      std::vector<std::string>& names) {
    static char scratch[] = "/tmp/lorvex-fuzz-XXXXXX";
    static const bool ready = mkdtemp(scratch) != nullptr && chdir(scratch) == 0;
    static std::FILE* sink = std::fopen("/dev/null", "w");
    std::FILE* file = std::fopen("input.pbl", "wb");
    if (!ready || file == nullptr || std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    reader.setConsole(sink);
    if (!reader.open("input.pbl", false)) return false;
    if (reader.rewind()) {
        while (reader.next()) names.emplace_back(reader.current().displayName);
    }
    return true;
}

// Removes the exports of the last run, so every run starts from the same
// directory; none may be larger than the hex of the whole input and a header.
inline void removeExports(std::size_t inputSize) {
    DIR* dir = opendir(".");
    while (const dirent* item = dir != nullptr ? readdir(dir) : nullptr) {
        const std::string name = item->d_name;
        struct stat status {};
        if (name == "." || name == ".." || name == "input.pbl") continue;
        if (lstat(name.c_str(), &status) == 0 && status.st_size > 2.1 * inputSize + 4096)
            std::abort();
        if (unlink(name.c_str()) != 0) rmdir(name.c_str());
    }
    if (dir != nullptr) closedir(dir);
}

}  // namespace lorvex::fuzz
