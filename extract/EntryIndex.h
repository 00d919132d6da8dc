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
    struct Match {
        std::uint32_t position;
        CurrentEntry entry;
    };

    explicit EntryIndex(const std::vector<std::string>& requests);

    // Records the entry at position when its display name is one looked for.
    void offer(std::uint32_t position, const CurrentEntry& entry);
    // Whether the pass looked for this name (and its companion, if paired).
    bool covers(const std::string& request) const;
    // Matches of a display name in iteration order; empty when there are none.
    const std::vector<Match>& matches(const std::string& displayName) const;

private:
    static void fold(const char* name, std::string& into);

    std::unordered_map<std::string, std::vector<Match>> matches_;
    std::string scratch_;
};

}  // namespace lorvex
