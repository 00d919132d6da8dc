#include <cstdio>

#include "extract/EntryIndex.h"
#include "library/EntryNames.h"
#include "library/LibraryReader.h"

namespace lorvex {

bool LibraryReader::extractEntries(const std::vector<std::string>& names) {
    if (names.empty() || names.front() == "*.*") return extractAll();
    indexPass(names);
    for (const std::string& name : names) {
        if (!find(name)) continue;
        std::fprintf(console_, "Extracting \"%s\"\n", current_.displayName);
        if (!exportEntry(current_.displayName)) return false;
    }
    return true;
}

void LibraryReader::indexPass(const std::vector<std::string>& names) {
    index_ = std::make_unique<EntryIndex>(names);
    if (!rewind()) return;
    for (std::uint32_t position = 0; next(); ++position) index_->offer(position, current_);
}

// Exports every entry without binary data sections. Entries of one such pass
// may not share data blocks: a chain running into a block an earlier entry
// already exported is damage, so a crafted library cannot multiply its bytes.
bool LibraryReader::extractAll() {
    if (!rewind()) return false;
    sharingForbidden_ = true;
    blocksSized_ = false;  // the pass starts with no marks
    bool exported = true;
    while (exported && next()) exported = exportEntry(current_.displayName);
    sharingForbidden_ = false;
    blocksSized_ = false;  // the next walk starts with no marks
    return exported;
}

// The result is the entry a pass over the library would give: the first entry
// in iteration order with the requested display name, and for a request ending
// in ".srw", ".srd" or ".sru" the companion "PCODE\<name less 3>bin": the
// first one with data seen before the source, else the first one after it.
// The entries come from one pass for all requested names (indexPass).
bool LibraryReader::find(const std::string& name) {
    if (!index_ || !index_->covers(name)) indexPass({name});
    const CurrentEntry* source = index_->first(name);
    if (source == nullptr) return false;
    const std::uint32_t sourcePosition = index_->sightings(name).front().position;
    CurrentEntry found = *source;
    found.companionFirstBlock = 0;
    found.companionSize = 0;
    found.companionTime = 0;
    if (isPairedRequest(name)) {
        for (const EntryIndex::Sighting& companion : index_->sightings(companionNameFor(name))) {
            if (companion.position < sourcePosition && companion.firstBlock == 0) continue;
            found.companionFirstBlock = companion.firstBlock;
            found.companionSize = companion.dataSize;
            found.companionTime = companion.modificationTime;
            break;
        }
    }
    current_ = found;
    return true;
}

}  // namespace lorvex
