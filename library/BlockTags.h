#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "library/Records.h"

namespace lorvex {

// A number for each 512-byte granule of a file, as VisitedSet counts blocks,
// 0 until set: which entry or which walk read the block there. Pages are
// allocated on first use, so memory follows where the walks go.
class BlockTags {
public:
    explicit BlockTags(std::uint64_t fileSize)
        : pages_(static_cast<std::size_t>(fileSize / DataBlock::kSize / kPageTags + 1)) {}

    // The tag of the block at offset; null beyond the file size given.
    std::uint32_t* at(std::uint64_t offset) {
        const std::uint64_t index = offset / DataBlock::kSize;
        if (index / kPageTags >= pages_.size()) return nullptr;
        std::unique_ptr<Page>& page = pages_[static_cast<std::size_t>(index / kPageTags)];
        if (!page) page = std::make_unique<Page>();
        return &page->tags[index % kPageTags];
    }

private:
    static constexpr std::uint64_t kPageTags = 1024;
    struct Page {
        std::uint32_t tags[kPageTags] = {};
    };
    std::vector<std::unique_ptr<Page>> pages_;
};

}  // namespace lorvex
