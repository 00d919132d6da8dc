#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "library/LibraryFile.h"
#include "library/Records.h"
#include "library/VisitedSet.h"

namespace lorvex {

// How a walk along a data chain ended, and at which block.
struct ChainEnd {
    enum Kind { Complete, Unreadable, Revisited, Overfull, Stopped } kind = Complete;
    std::uint32_t block = 0;

    bool complete() const { return kind == Complete; }
    // What went wrong, for a message ("data block at 29696 cannot be read: ...").
    std::string describe(std::uint64_t librarySize) const {
        const std::string at = "data block at " + std::to_string(block);
        switch (kind) {
            case Unreadable:
                return at + (block + std::uint64_t{DataBlock::kSize} > librarySize
                                 ? " cannot be read: the library is truncated"
                                 : " cannot be read");
            case Revisited:
                return at + " was read before: the chain loops or shares blocks with another";
            case Overfull:
                return at + " claims more than 502 bytes";
            default:
                return "the export could not be written";
        }
    }
};

// Walks a data chain from firstBlock, handing each block's used bytes to visit
// (which returns false to stop). A block that cannot be read, claims more than
// 502 bytes, or is already in visited ends the walk; the caller's visited set
// (a VisitedSet, or any type with its firstVisit) says for which scope blocks
// may not be read twice. Blocks read are marked in alsoMarked too, when given.
template <typename Visited, typename Visit>
ChainEnd walkChain(LibraryFile& file, std::uint32_t firstBlock, Visited& visited, Visit visit,
                   VisitedSet* alsoMarked = nullptr) {
    DataBlock block;
    for (std::uint32_t cursor = firstBlock; cursor != 0; cursor = block.nextOffset()) {
        block.bytes = file.view(cursor, DataBlock::kSize);
        if (block.bytes == nullptr) return {ChainEnd::Unreadable, cursor};
        if (!visited.firstVisit(cursor)) return {ChainEnd::Revisited, cursor};
        if (alsoMarked != nullptr) alsoMarked->firstVisit(cursor);
        if (block.usedCount() > DataBlock::kCapacity) return {ChainEnd::Overfull, cursor};
        if (!visit(block.data(), std::size_t{block.usedCount()}))
            return {ChainEnd::Stopped, cursor};
    }
    return {};
}

}  // namespace lorvex
