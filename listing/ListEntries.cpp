#include "listing/ListEntries.h"

#include "extract/ExportWriter.h"
#include "library/EntryNames.h"
#include "listing/CalendarTime.h"

namespace lorvex {

void listEntries(LibraryReader& reader, std::FILE* out) {
    std::fputs("Listing entries...\n--\n", out);
    int count = 0;
    reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t) {
        // A source lists as the size of its export file without binary data.
        std::uint32_t size = entry.dataSize;
        if (entry.kind == EntryKind::Source) {
            size += ExportWriter::sourceHeaderSize(
                reader.generation(), entry.displayName + baseNameOffset(entry.displayName),
                entry.commentLength != 0);
        }
        const CalendarTime time = toLocalTime(entry.modificationTime);
        std::fprintf(out, "%-50s%09u %02i.%02i.%04i %02i:%02i:%02i\n", entry.displayName,
                     static_cast<unsigned>(size), time.day, time.month, time.year, time.hour,
                     time.minute, time.second);
        ++count;
    });
    std::fprintf(out, "--\nTotal objects: %i\n", count);
}

}  // namespace lorvex
