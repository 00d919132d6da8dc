// Extraction of all entries, then of every entry by name, into the scratch directory.
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lorvex::LibraryReader reader;
    std::vector<std::string> names;
    if (!lorvex::fuzz::openInput(data, size, reader, names)) return 0;
    (void)reader.extractAll();
    lorvex::fuzz::removeExports(size);
    (void)reader.extractEntries(names);
    lorvex::fuzz::removeExports(size);
    return 0;
}
