#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/CurrentEntry.h"
#include "library/LibraryReader.h"

namespace lorvex {

// The entries a named export finds, looked up for many names in one pass over
// the library: for each requested display name, and for the companion name of
// each paired request, every matching entry in iteration order. Names compare
// ignoring ASCII case.
class EntryLookup {
public:
    // One pass over the library for these names; with everyCompanion, also for
    // every compiled object whose name ends in "bin", so that any source can
    // be paired.
    EntryLookup(LibraryReader& reader, const std::vector<std::string>& names,
                bool everyCompanion = false);

    // The entry a named export of name exports: the first entry in iteration
    // order with that display name, paired as below. False when there is none.
    [[nodiscard]] bool find(const std::string& name, CurrentEntry& found) const;
    // Gives an entry met at position in iteration order the companion a named
    // export by request pairs with it, when the request ends in ".srw", ".srd"
    // or ".sru": "PCODE\<request less 3>bin", the first one with data seen
    // before the entry, else the first one after it; none otherwise. Returns
    // the companion's position, or kNone.
    static constexpr std::uint32_t kNone = UINT32_MAX;
    std::uint32_t pair(CurrentEntry& entry, std::uint32_t position,
                       const std::string& request) const;

private:
    // Where an entry of a looked-for name was met, and what a companion needs of it.
    struct Sighting {
        std::uint32_t position;
        std::uint32_t firstBlock;
        std::uint32_t dataSize;
        std::uint32_t modificationTime;
    };
    struct Slot {
        bool seen = false;
        CurrentEntry first;  // kept for requested names only, so memory follows the matches
        std::vector<Sighting> sightings;
    };
    const Slot* slot(const std::string& displayName) const;

    std::unordered_map<std::string, Slot> slots_;
};

}  // namespace lorvex
