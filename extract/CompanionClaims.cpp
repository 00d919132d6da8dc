#include "extract/CompanionClaims.h"

#include "library/DataChain.h"

namespace lorvex {

namespace {

// Claims the blocks of one chain for its companion; notes a block another
// companion claimed before. A block of its own seen again is a loop.
struct ClaimBlocks {
    BlockOwners& owners;
    std::uint32_t companion;
    bool sharesBlocks = false;
    bool firstVisit(std::uint64_t offset) {
        std::uint32_t* owner = owners.at(offset / DataBlock::kSize);
        if (owner == nullptr || *owner != 0) {
            sharesBlocks = owner != nullptr && *owner != companion;
            return false;
        }
        *owner = companion;
        return true;
    }
};

}  // namespace

bool CompanionClaims::claim(std::uint32_t firstBlock, std::string& reason) {
    const auto [found, fresh] = shown_.try_emplace(firstBlock, 0);
    unsigned& shown = found->second;
    if (fresh) {
        ClaimBlocks blocks{owners_, firstBlock};
        walkChain(file_, firstBlock, blocks,
                  [](const unsigned char*, std::size_t) { return true; });
        if (blocks.sharesBlocks) shown = kRefused;
    }
    if (shown == kRefused) {
        reason = "its compiled companion shares data blocks with another companion";
        return false;
    }
    if (shown == kMostShown) {
        reason = "its compiled companion is shown by three sources already";
        return false;
    }
    ++shown;
    return true;
}

}  // namespace lorvex
