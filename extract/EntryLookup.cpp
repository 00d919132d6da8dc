#include "extract/EntryLookup.h"

#include "library/EntryNames.h"

namespace lorvex {

std::string EntryLookup::fold(const char* name) {
    std::string folded;
    for (; *name != '\0'; ++name) folded.push_back(foldAscii(*name));
    return folded;
}

EntryLookup::EntryLookup(LibraryReader& reader, const std::vector<std::string>& names,
                         bool everything) {
    for (const std::string& name : names) {
        slots_.try_emplace(fold(name.c_str()));
        if (isPairedRequest(name)) slots_.try_emplace(fold(companionNameFor(name).c_str()));
    }
    if (!reader.rewind()) return;
    for (std::uint32_t position = 0; reader.next(); ++position) {
        const CurrentEntry& entry = reader.current();
        const auto found = everything ? slots_.try_emplace(fold(entry.displayName)).first
                                      : slots_.find(fold(entry.displayName));
        if (found == slots_.end()) continue;
        Slot& slot = found->second;
        if (!slot.seen) {
            slot.seen = true;
            slot.first = entry;
        }
        slot.sightings.push_back(
            Sighting{position, entry.firstBlock, entry.dataSize, entry.modificationTime});
    }
}

const EntryLookup::Slot* EntryLookup::slot(const std::string& displayName) const {
    const auto found = slots_.find(fold(displayName.c_str()));
    return found == slots_.end() || !found->second.seen ? nullptr : &found->second;
}

bool EntryLookup::find(const std::string& name, CurrentEntry& found) const {
    const Slot* source = slot(name);
    if (source == nullptr) return false;
    found = source->first;
    found.companionFirstBlock = 0;
    found.companionSize = 0;
    found.companionTime = 0;
    const Slot* companions = isPairedRequest(name) ? slot(companionNameFor(name)) : nullptr;
    if (companions == nullptr) return true;
    const std::uint32_t sourcePosition = source->sightings.front().position;
    for (const Sighting& companion : companions->sightings) {
        if (companion.position < sourcePosition && companion.firstBlock == 0) continue;
        found.companionFirstBlock = companion.firstBlock;
        found.companionSize = companion.dataSize;
        found.companionTime = companion.modificationTime;
        break;
    }
    return true;
}

}  // namespace lorvex
