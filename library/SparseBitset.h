#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lorvex {

// One bit per granule of a file, in pages allocated on first use: the marks
// that cut loops cost memory only where the walks actually go.
class SparseBitset {
public:
    // Sized for indices below count; clears every bit.
    void reset(std::uint64_t count) {
        pages_.clear();
        pages_.resize(static_cast<std::size_t>(count / kPageBits + 1));
    }

    // Sets the bit and tells whether it was set before.
    bool testAndSet(std::uint64_t index) {
        std::unique_ptr<Page>& page = pages_[static_cast<std::size_t>(index / kPageBits)];
        if (!page) page = std::make_unique<Page>();
        const std::uint64_t bit = index % kPageBits;
        std::uint64_t& word = page->words[bit / 64];
        const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
        const bool wasSet = (word & mask) != 0;
        word |= mask;
        return wasSet;
    }

    void clear(std::uint64_t index) {
        const std::unique_ptr<Page>& page = pages_[static_cast<std::size_t>(index / kPageBits)];
        if (page) page->words[(index % kPageBits) / 64] &= ~(std::uint64_t{1} << (index % 64));
    }

private:
    static constexpr std::uint64_t kPageBits = 4096 * 8;
    struct Page {
        std::uint64_t words[kPageBits / 64] = {};
    };
    std::vector<std::unique_ptr<Page>> pages_;
};

}  // namespace lorvex
