#include "extract/EntryIndex.h"

#include "library/EntryNames.h"

namespace lorvex {

namespace {
const std::vector<EntryIndex::Match> kNoMatches;
}

void EntryIndex::fold(const char* name, std::string& into) {
    into.clear();
    for (; *name != '\0'; ++name) into.push_back(foldAscii(*name));
}

EntryIndex::EntryIndex(const std::vector<std::string>& requests) {
    for (const std::string& request : requests) {
        fold(request.c_str(), scratch_);
        matches_.try_emplace(scratch_);
        if (isPairedRequest(request)) {
            fold(companionNameFor(request).c_str(), scratch_);
            matches_.try_emplace(scratch_);
        }
    }
}

void EntryIndex::offer(std::uint32_t position, const CurrentEntry& entry) {
    fold(entry.displayName, scratch_);
    const auto found = matches_.find(scratch_);
    if (found != matches_.end()) found->second.push_back(Match{position, entry});
}

bool EntryIndex::covers(const std::string& request) const {
    std::string key;
    fold(request.c_str(), key);
    if (matches_.count(key) == 0) return false;
    if (!isPairedRequest(request)) return true;
    fold(companionNameFor(request).c_str(), key);
    return matches_.count(key) != 0;
}

const std::vector<EntryIndex::Match>& EntryIndex::matches(const std::string& displayName) const {
    std::string key;
    fold(displayName.c_str(), key);
    const auto found = matches_.find(key);
    return found == matches_.end() ? kNoMatches : found->second;
}

}  // namespace lorvex
