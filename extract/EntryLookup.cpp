#include "extract/EntryLookup.h"

#include "library/EntryNames.h"

namespace lorvex {

EntryLookup::EntryLookup(LibraryReader& reader, const std::vector<std::string>& names,
                         bool everyCompanion) {
    for (const std::string& name : names) {
        slots_.try_emplace(foldedName(name));
        if (isPairedRequest(name)) slots_.try_emplace(foldedName(companionNameFor(name)));
    }
    reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t position) {
        const std::string key = foldedName(entry.displayName);
        auto found = slots_.find(key);
        const bool companion = entry.kind == EntryKind::Pcode && key.size() > 3 &&
                               key.compare(key.size() - 3, 3, "bin") == 0;
        if (found == slots_.end() && everyCompanion && companion)
            found = slots_.try_emplace(key).first;
        if (found == slots_.end()) return;
        Slot& slot = found->second;
        if (!slot.seen && !everyCompanion) slot.first = entry;
        slot.seen = true;
        slot.sightings.push_back(
            Sighting{position, entry.firstBlock, entry.dataSize, entry.modificationTime});
    });
}

const EntryLookup::Slot* EntryLookup::slot(const std::string& displayName) const {
    const auto found = slots_.find(foldedName(displayName));
    return found == slots_.end() || !found->second.seen ? nullptr : &found->second;
}

bool EntryLookup::find(const std::string& name, CurrentEntry& found) const {
    const Slot* source = slot(name);
    if (source == nullptr) return false;
    found = source->first;
    pair(found, source->sightings.front().position, name);
    return true;
}

std::uint32_t EntryLookup::pair(CurrentEntry& entry, std::uint32_t position,
                                const std::string& request) const {
    entry.companionFirstBlock = entry.companionSize = entry.companionTime = 0;
    const Slot* companions = isPairedRequest(request) ? slot(companionNameFor(request)) : nullptr;
    for (const Sighting& companion :
         companions != nullptr ? companions->sightings : std::vector<Sighting>{}) {
        if (companion.position < position && companion.firstBlock == 0) continue;
        entry.companionFirstBlock = companion.firstBlock;
        entry.companionSize = companion.dataSize;
        entry.companionTime = companion.modificationTime;
        return companion.position;
    }
    return kNone;
}

}  // namespace lorvex
