#include "sync/PlannedSource.h"

namespace lorvex {

std::vector<PlannedSource> readSources(LibraryReader& reader, CodePage& codePage,
                                       bool convertNames) {
    std::vector<PlannedSource> sources;
    reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t position) {
        if (entry.kind != EntryKind::Source) return;
        PlannedSource source{entry, position, entry.displayName, false};
        std::size_t invalidAt = 0;
        if (convertNames && !codePage.toUtf8(entry.displayName, source.fileName, invalidAt))
            source.fileName.clear();
        sources.push_back(std::move(source));
    });
    return sources;
}

}  // namespace lorvex
