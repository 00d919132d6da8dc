#include "extract/EntryIndex.h"

#include "library/EntryNames.h"

namespace lorvex {

std::string EntryIndex::fold(const char* name) {
    std::string folded(name);
    for (char& c : folded) c = foldAscii(c);
    return folded;
}

void EntryIndex::add(const CurrentEntry& entry) {
    const auto position = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back(entry);
    nextSame_.push_back(kNone);
    std::string key = fold(entry.displayName);
    const auto last = last_.find(key);
    if (last == last_.end()) {
        first_.emplace(key, position);
        last_.emplace(std::move(key), position);
        return;
    }
    nextSame_[last->second] = position;
    last->second = position;
}

std::uint32_t EntryIndex::first(const std::string& displayName) const {
    const auto found = first_.find(fold(displayName.c_str()));
    return found == first_.end() ? kNone : found->second;
}

}  // namespace lorvex
