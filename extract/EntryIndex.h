#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/CurrentEntry.h"

namespace lorvex {

// The entries one pass over the library yields for a set of requested names:
// for each requested display name, and for the companion name of each paired
// request, every matching entry with its position in iteration order. Names
// compare ignoring ASCII case. Lookups of many names thus cost one pass plus
// a hash probe per entry, and give the entries a pass per name would find.
class EntryIndex {
public:
    // Where an entry of a looked-for name was met, and what a companion needs of it.
    struct Sighting {
        std::uint32_t position;
        std::uint32_t firstBlock;
        std::uint32_t dataSize;
        std::uint32_t modificationTime;
    };

    explicit EntryIndex(const std::vector<std::string>& requests);

    // Records the entry at position when its display name is one looked for.
    void offer(std::uint32_t position, const CurrentEntry& entry);
    // Whether the pass looked for this name (and its companion, if paired).
    bool covers(const std::string& request) const;
    // The first entry of a display name, or null when there was none.
    const CurrentEntry* first(const std::string& displayName) const;
    // Every entry of a display name, in iteration order.
    const std::vector<Sighting>& sightings(const std::string& displayName) const;

private:
    struct Slot {
        bool seen = false;
        CurrentEntry first;  // kept whole only once per name, so memory follows the matches
        std::vector<Sighting> sightings;
    };
    static void fold(const char* name, std::string& into);
    const Slot* slot(const std::string& displayName) const;

    std::unordered_map<std::string, Slot> slots_;
    std::string scratch_;
};

}  // namespace lorvex
