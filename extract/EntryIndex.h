#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/CurrentEntry.h"

namespace lorvex {

// Every entry of one pass, in iteration order, with its display name folded
// to lower case as key. A named lookup then costs one hash probe instead of a
// new pass over the library, and yields the same entry the pass would.
class EntryIndex {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    void add(const CurrentEntry& entry);
    // Position of the first entry whose display name matches, ignoring case, or kNone.
    std::uint32_t first(const std::string& displayName) const;
    // Position of the next entry with the same folded name, or kNone.
    std::uint32_t nextSame(std::uint32_t position) const { return nextSame_[position]; }
    const CurrentEntry& at(std::uint32_t position) const { return entries_[position]; }

private:
    static std::string fold(const char* name);

    std::vector<CurrentEntry> entries_;
    std::vector<std::uint32_t> nextSame_;
    std::unordered_map<std::string, std::uint32_t> first_;
    std::unordered_map<std::string, std::uint32_t> last_;
};

}  // namespace lorvex
