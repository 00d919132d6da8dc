// Open, a full pass, the listing and named lookups of every listed entry.
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lorvex::LibraryReader reader;
    std::vector<std::string> names;
    if (!lorvex::fuzz::openInput(data, size, reader, names)) return 0;
    reader.listEntries();
    names.emplace_back("W_MAIN.SRW");
    for (const std::string& name : names) {
        if (reader.find(name) && name.size() > 4)
            (void)reader.find(name.substr(0, name.size() - 1) + "w");
    }
    return 0;
}
