#pragma once

// Shared by the fuzz targets: each run writes its input as a library file in a
// scratch directory that is also the current directory, so exports land there.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <dirent.h>

#include <vector>

#include "library/LibraryReader.h"

namespace lorvex::fuzz {

inline const char* scratchLibrary() {
    static const std::string path = [] {
        char pattern[] = "/tmp/lorvex-fuzz-XXXXXX";
        const char* dir = mkdtemp(pattern);
        if (dir == nullptr || chdir(dir) != 0) std::abort();
        return std::string(dir) + "/input.pbl";
    }();
    return path.c_str();
}

inline void writeInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(scratchLibrary(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

// Writes the input as the library, opens it with output to /dev/null and
// collects the display names of one pass; false when it does not open.
inline bool openInput(const std::uint8_t* data, std::size_t size, LibraryReader& reader,
                      std::vector<std::string>& names) {
    writeInput(data, size);
    static std::FILE* sink = std::fopen("/dev/null", "w");
    reader.setConsole(sink);
    if (!reader.open(scratchLibrary(), false)) return false;
    if (reader.rewind()) {
        while (reader.next()) names.emplace_back(reader.current().displayName);
    }
    return true;
}

// Removes the exports of the last run, so every run starts from the same directory.
inline void removeExports() {
    DIR* dir = opendir(".");
    if (dir == nullptr) return;
    while (const dirent* item = readdir(dir)) {
        const std::string name = item->d_name;
        if (name != "." && name != ".." && name != "input.pbl") {
            if (unlink(name.c_str()) != 0) rmdir(name.c_str());
        }
    }
    closedir(dir);
}

}  // namespace lorvex::fuzz
