#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/CurrentEntry.h"
#include "library/LibraryReader.h"

namespace lorvex {

// The compiled companion whose bytes a source's binary data section shows:
// its first data block (0: none), its size and its time.
struct Companion {
    std::uint32_t firstBlock = 0;
    std::uint32_t size = 0;
    std::uint32_t time = 0;
};

// The entries a named export finds, looked up for many names in one pass over
// the library: for each requested display name, and for the companion name of
// each paired request, every matching entry in library order. Names compare
// ignoring ASCII case.
class EntryLookup {
public:
    // One pass over the library for these names; with everyCompanion, also for
    // every compiled object whose name ends in "bin", so that any source can
    // be paired.
    EntryLookup(LibraryReader& reader, const std::vector<std::string>& names, bool everyCompanion);
    // A lookup that finds nothing, without a pass.
    EntryLookup() = default;

    // The entry a named export of name exports: the first one in library
    // order with that display name, and where it was met. False when there is none.
    [[nodiscard]] bool find(const std::string& name, CurrentEntry& found,
                            std::uint32_t& position) const;
    // The companion a named export by request pairs with an entry met at
    // position, when the request ends in ".srw", ".srd" or ".sru":
    // "PCODE\<request less 3>bin", the first one with data met before the
    // entry, else the first one after it; none otherwise.
    Companion pair(std::uint32_t position, const std::string& request) const;

private:
    // Where an entry of a looked-for name was met, and what a companion needs of it.
    struct Sighting {
        std::uint32_t position;
        Companion companion;
    };
    struct Slot {
        CurrentEntry first;  // kept for requested names only, so memory follows the matches
        std::vector<Sighting> sightings;  // in library order
        std::size_t firstWithData = 0;    // index of the first sighting with data, or their count
    };
    const Slot* slot(const std::string& displayName) const;

    std::unordered_map<std::string, Slot> slots_;
};

}  // namespace lorvex
