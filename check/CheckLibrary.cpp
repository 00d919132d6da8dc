#include "check/CheckLibrary.h"

#include "extract/ByteSink.h"
#include "extract/EntryLookup.h"
#include "extract/ExportWriter.h"
#include "library/Report.h"

namespace lorvex {

bool checkLibrary(LibraryReader& reader, const std::string& libraryName, std::FILE* out,
                  std::FILE* errors) {
    const EntryLookup lookup(reader, {}, true);
    ExportWriter writer(reader.file(), reader.generation());
    // Every block is read once for the entries and at most once more for the
    // binary data sections, as an extraction of all entries and -s read them:
    // blocks read twice are damage, and the check takes time in proportion to
    // the library.
    VisitedSet entries(reader.file().size(), DataBlock::kSize);
    VisitedSet sections(reader.file().size(), DataBlock::kSize);
    CountingSink nowhere;
    std::uint32_t checked = 0;
    unsigned damaged = 0;
    for (bool more = reader.rewind() && reader.next(); more; more = reader.next(), ++checked) {
        CurrentEntry entry = reader.current();
        lookup.pair(entry, checked, entry.displayName);
        CurrentEntry section = entry;  // the binary data section alone
        section.firstBlock = 0;
        entry.companionFirstBlock = 0;
        std::string reason;
        if (!writer.write(entry, entries, nowhere, reason) ||
            (section.companionFirstBlock != 0 &&
             !writer.write(section, sections, nowhere, reason))) {
            ++damaged;
            std::fprintf(out, "%s: %s\n", printable(entry.displayName).c_str(),
                         printable(reason).c_str());
        }
    }
    if (!reader.damage().empty()) {
        ++damaged;
        std::fprintf(out, "directory: %s: entries may be missing\n",
                     printable(reader.damage()).c_str());
    }
    std::fprintf(out, "Checked %u entries: %u %s\n", checked, damaged == 0 ? checked : damaged,
                 damaged == 0 ? "intact" : "damaged");
    if (damaged != 0)
        report(errors, libraryName, std::to_string(damaged) + " damaged, as listed above");
    return damaged == 0;
}

}  // namespace lorvex
