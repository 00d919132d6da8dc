#include "extract/EntryLookup.h"

#include <algorithm>

#include "library/EntryNames.h"

namespace lorvex {

EntryLookup::EntryLookup(LibraryReader& reader, const std::vector<std::string>& names,
                         bool everyCompanion) {
    std::unordered_map<std::string, bool>
        requested;  // folded name -> whether its first entry is kept
    for (const std::string& name : names) {
        slots_.try_emplace(foldedName(name));
        requested[foldedName(name)] = true;
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
        if (slot.sightings.empty() && requested.count(key) != 0) slot.first = entry;
        slot.sightings.push_back(Sighting{
            position, Companion{entry.firstBlock, entry.dataSize, entry.modificationTime}});
    });
    for (auto& [key, slot] : slots_) {
        const auto withData = std::find_if(
            slot.sightings.begin(), slot.sightings.end(),
            [](const Sighting& sighting) { return sighting.companion.firstBlock != 0; });
        slot.firstWithData = static_cast<std::size_t>(withData - slot.sightings.begin());
    }
}

const EntryLookup::Slot* EntryLookup::slot(const std::string& displayName) const {
    const auto found = slots_.find(foldedName(displayName));
    return found == slots_.end() || found->second.sightings.empty() ? nullptr : &found->second;
}

bool EntryLookup::find(const std::string& name, CurrentEntry& found,
                       std::uint32_t& position) const {
    const Slot* source = slot(name);
    if (source == nullptr) return false;
    found = source->first;
    position = source->sightings.front().position;
    return true;
}

// Sightings before the entry without data are passed over: the first one
// left is the one with data before it, or else the first one after it.
Companion EntryLookup::pair(std::uint32_t position, const std::string& request) const {
    const Slot* companions = isPairedRequest(request) ? slot(companionNameFor(request)) : nullptr;
    if (companions == nullptr) return {};
    const std::vector<Sighting>& sightings = companions->sightings;
    const auto after = std::upper_bound(
        sightings.begin(), sightings.end(), position,
        [](std::uint32_t at, const Sighting& sighting) { return at < sighting.position; });
    const auto firstAfter = static_cast<std::size_t>(after - sightings.begin());
    if (companions->firstWithData < firstAfter)
        return sightings[companions->firstWithData].companion;
    return firstAfter < sightings.size() ? sightings[firstAfter].companion : Companion{};
}

}  // namespace lorvex
