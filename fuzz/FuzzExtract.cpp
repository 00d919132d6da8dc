// Extraction of all entries, then of every entry by name, into the scratch directory.
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "library/LibraryReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lorvex::fuzz::writeInput(data, size);
    static std::FILE* sink = std::fopen("/dev/null", "w");
    {
        lorvex::LibraryReader reader;
        reader.setConsole(sink);
        if (!reader.open(lorvex::fuzz::scratchLibrary(), false)) return 0;
        std::vector<std::string> names;
        if (reader.rewind()) {
            while (reader.next()) names.emplace_back(reader.current().displayName);
        }
        (void)reader.extractAll();
        lorvex::fuzz::removeExports();
        (void)reader.extractEntries(names);
    }
    lorvex::fuzz::removeExports();
    return 0;
}
