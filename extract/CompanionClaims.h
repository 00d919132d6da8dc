#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "library/LibraryFile.h"
#include "library/PagedTable.h"
#include "library/Records.h"

namespace lorvex {

// For each 512-byte block, the first block of the companion that claimed it;
// pages of 4 KB.
using BlockOwners = PagedTable<std::uint32_t, 1024>;

// The companions whose binary data sections a run shows when it exports many
// sources at once. Each block a companion's chain reaches is claimed by the
// first companion to reach it, and a companion is shown by at most three
// sources (".srw", ".srd" and ".sru" of one name): so the sections of a run
// show each block of the library at most three times, however the chains of
// a crafted library merge.
class CompanionClaims {
public:
    explicit CompanionClaims(LibraryFile& file)
        : file_(file), owners_(file.size() / DataBlock::kSize) {}

    // Whether the companion whose chain starts at firstBlock may be shown once
    // more; reason says why not. A chain that cannot be read whole is left to
    // the export, which says what is wrong with it.
    [[nodiscard]] bool claim(std::uint32_t firstBlock, std::string& reason);

private:
    static constexpr unsigned kMostShown = 3;
    static constexpr unsigned kRefused = ~0U;
    LibraryFile& file_;
    BlockOwners owners_;
    std::unordered_map<std::uint32_t, unsigned> shown_;  // by first block: times shown, or kRefused
};

}  // namespace lorvex
