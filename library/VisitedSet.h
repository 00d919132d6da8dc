#pragma once

#include <cstdint>

#include "library/PagedTable.h"

namespace lorvex {

// The places of a file a walk has been, one bit per granule: records of one
// kind that start in the same granule overlap, so the second is a revisit.
// The walks over nodes, records and data blocks each keep one for the scope
// they mean.
class VisitedSet {
public:
    VisitedSet(std::uint64_t fileSize, std::uint64_t granule)
        : granule_(granule), words_(fileSize / granule / 64) {}

    // True the first time a place in this granule is visited; offsets beyond
    // the file size given count as visited.
    bool firstVisit(std::uint64_t offset) {
        const std::uint64_t index = offset / granule_;
        std::uint64_t* word = words_.at(index / 64);
        if (word == nullptr) return false;
        const std::uint64_t mask = std::uint64_t{1} << (index % 64);
        const bool first = (*word & mask) == 0;
        *word |= mask;
        return first;
    }

private:
    std::uint64_t granule_;
    PagedTable<std::uint64_t, 512> words_;  // pages of 4 KB
};

}  // namespace lorvex
