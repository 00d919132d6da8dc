#include "check/CheckLibrary.h"

#include "extract/ByteSink.h"
#include "extract/EntryLookup.h"
#include "extract/ExportWriter.h"

namespace lorvex {

bool checkLibrary(LibraryReader& reader, std::FILE* out) {
    const EntryLookup lookup(reader, {}, true);
    const ExportWriter writer(reader.file(), reader.generation());
    int checked = 0;
    int damaged = 0;
    CurrentEntry paired;
    for (bool more = reader.rewind() && reader.next(); more; more = reader.next()) {
        CurrentEntry entry = reader.current();
        if (lookup.find(entry.displayName, paired)) {
            entry.companionFirstBlock = paired.companionFirstBlock;
            entry.companionSize = paired.companionSize;
            entry.companionTime = paired.companionTime;
        }
        VisitedSet visited(reader.file().size(), DataBlock::kSize);
        CountingSink nowhere;
        std::string reason;
        ++checked;
        if (!ExportWriter(writer).write(entry, visited, nowhere, reason)) {
            ++damaged;
            std::fprintf(out, "%s: %s\n", entry.displayName, reason.c_str());
        }
    }
    std::fprintf(out, "Checked %i entries: ", checked);
    if (damaged == 0) {
        std::fprintf(out, "%i intact\n", checked);
    } else {
        std::fprintf(out, "%i damaged\n", damaged);
    }
    return damaged == 0;
}

}  // namespace lorvex
