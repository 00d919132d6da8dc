#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lorvex {

// The places of a file a walk has been, one bit per granule: records of one
// kind that start in the same granule overlap, so the second is a revisit.
// The walks over nodes, records and data blocks each keep one for the scope
// they mean. Bits live in pages allocated on first use, so memory follows
// where the walk actually goes.
class VisitedSet {
public:
    VisitedSet(std::uint64_t fileSize, std::uint64_t granule)
        : granule_(granule), pages_(static_cast<std::size_t>(fileSize / granule / kPageBits + 1)) {}

    // True the first time a place in this granule is visited; offsets beyond
    // the file size given count as visited.
    bool firstVisit(std::uint64_t offset) {
        const std::uint64_t index = offset / granule_;
        if (index / kPageBits >= pages_.size()) return false;
        std::unique_ptr<Page>& page = pages_[static_cast<std::size_t>(index / kPageBits)];
        if (!page) page = std::make_unique<Page>();
        std::uint64_t& word = page->words[(index % kPageBits) / 64];
        const std::uint64_t mask = std::uint64_t{1} << (index % 64);
        const bool first = (word & mask) == 0;
        word |= mask;
        return first;
    }

private:
    static constexpr std::uint64_t kPageBits = 4096 * 8;
    struct Page {
        std::uint64_t words[kPageBits / 64] = {};
    };
    std::uint64_t granule_;
    std::vector<std::unique_ptr<Page>> pages_;
};

}  // namespace lorvex
