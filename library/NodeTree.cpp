#include <cstdint>
#include <vector>

#include "library/LibraryReader.h"
#include "library/SparseBitset.h"

namespace lorvex {

namespace {
// Node headers are 32 bytes: two nodes starting in the same 32-byte granule
// overlap, which a well-formed tree never does, so the second counts as a revisit.
constexpr std::uint64_t kNodeGranule = 32;
}  // namespace

// Builds the node list in visiting order: a node, its whole left subtree, then
// its right neighbour with that neighbour's left subtree, and so on. An explicit
// stack replaces recursion so a deep tree cannot exhaust the call stack. The
// tree is cut at a node whose header cannot be read completely and at a node
// already visited, so cyclic offsets end the walk.
void LibraryReader::loadTree() {
    nodes_.clear();
    const std::uint64_t rootOffset =
        static_cast<std::uint64_t>(headerOffset_) + (wide_ ? 1536 : 1024);
    if (rootOffset > UINT32_MAX) return;
    SparseBitset visited;
    visited.reset(file_.size() / kNodeGranule + 1);
    std::vector<std::uint32_t> pending{static_cast<std::uint32_t>(rootOffset)};
    while (!pending.empty()) {
        const std::uint32_t offset = pending.back();
        pending.pop_back();
        if (offset == 0 || offset > UINT32_MAX - 32) continue;
        if (!file_.readAt(offset, nodeHeader_.bytes.data(), nodeHeader_.bytes.size())) continue;
        if (visited.testAndSet(offset / kNodeGranule)) continue;

        LibraryNode node;
        node.leftOffset = nodeHeader_.leftOffset();
        node.rightOffset = nodeHeader_.rightOffset();
        node.entryCount = nodeHeader_.entryCount();
        node.blockOffset = offset;
        node.firstEntryPosition = offset + 32;
        nodes_.push_back(node);
        pending.push_back(node.rightOffset);
        pending.push_back(node.leftOffset);
    }
}

}  // namespace lorvex
