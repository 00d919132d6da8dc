// Open, a full pass, the listing and named lookups of every listed entry.
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "library/LibraryReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lorvex::fuzz::writeInput(data, size);
    static std::FILE* sink = std::fopen("/dev/null", "w");
    lorvex::LibraryReader reader;
    reader.setConsole(sink);
    if (!reader.open(lorvex::fuzz::scratchLibrary(), false)) return 0;
    std::vector<std::string> names;
    if (reader.rewind()) {
        while (reader.next()) names.emplace_back(reader.current().displayName);
    }
    reader.listEntries();
    names.emplace_back("W_MAIN.SRW");
    for (const std::string& name : names) {
        if (reader.find(name) && name.size() > 4) (void)reader.find(name.substr(0, name.size() - 1) + "w");
    }
    return 0;
}
