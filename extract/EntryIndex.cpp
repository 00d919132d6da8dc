#include "extract/EntryIndex.h"

#include "library/EntryNames.h"

namespace lorvex {

namespace {
const std::vector<EntryIndex::Sighting> kNone;
}

void EntryIndex::fold(const char* name, std::string& into) {
    into.clear();
    for (; *name != '\0'; ++name) into.push_back(foldAscii(*name));
}

EntryIndex::EntryIndex(const std::vector<std::string>& requests) {
    for (const std::string& request : requests) {
        fold(request.c_str(), scratch_);
        slots_.try_emplace(scratch_);
        if (isPairedRequest(request)) {
            fold(companionNameFor(request).c_str(), scratch_);
            slots_.try_emplace(scratch_);
        }
    }
}

void EntryIndex::offer(std::uint32_t position, const CurrentEntry& entry) {
    fold(entry.displayName, scratch_);
    const auto found = slots_.find(scratch_);
    if (found == slots_.end()) return;
    Slot& slot = found->second;
    if (!slot.seen) {
        slot.seen = true;
        slot.first = entry;
    }
    slot.sightings.push_back(
        Sighting{position, entry.firstBlock, entry.dataSize, entry.modificationTime});
}

const EntryIndex::Slot* EntryIndex::slot(const std::string& displayName) const {
    std::string key;
    fold(displayName.c_str(), key);
    const auto found = slots_.find(key);
    return found == slots_.end() ? nullptr : &found->second;
}

bool EntryIndex::covers(const std::string& request) const {
    return slot(request) != nullptr &&
           (!isPairedRequest(request) || slot(companionNameFor(request)) != nullptr);
}

const CurrentEntry* EntryIndex::first(const std::string& displayName) const {
    const Slot* found = slot(displayName);
    return found != nullptr && found->seen ? &found->first : nullptr;
}

const std::vector<EntryIndex::Sighting>& EntryIndex::sightings(
    const std::string& displayName) const {
    const Slot* found = slot(displayName);
    return found == nullptr ? kNone : found->sightings;
}

}  // namespace lorvex
