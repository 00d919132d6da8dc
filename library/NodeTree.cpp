#include <cstdint>
#include <vector>

#include "library/LibraryReader.h"

namespace lorvex {

// Builds the node list in visiting order: a node, its whole left subtree, then
// its right neighbour with that neighbour's left subtree, and so on. An explicit
// stack replaces recursion so a deep tree cannot exhaust the call stack. The
// tree is cut at a node whose header cannot be read completely and at a node
// that overlaps one already read (node headers are 32 bytes), so cyclic
// offsets end the walk.
void LibraryReader::loadTree(std::uint64_t rootOffset) {
    nodes_.clear();
    treeDamage_.clear();
    VisitedSet visited(file_.size(), NodeHeader::kSize);
    std::vector<std::uint64_t> pending{rootOffset};
    while (!pending.empty()) {
        const std::uint64_t offset = pending.back();
        pending.pop_back();
        NodeHeader header;
        if (offset == 0) continue;
        const char* cut = nullptr;
        if (offset > UINT32_MAX - NodeHeader::kSize ||
            !file_.readAt(offset, header.bytes.data(), header.bytes.size())) {
            cut = " cannot be read";
        } else if (!visited.firstVisit(offset)) {
            cut = " was read before: the tree loops";
        }
        if (cut != nullptr && treeDamage_.empty())
            treeDamage_ = "the node at " + std::to_string(offset) + cut;
        if (cut != nullptr) continue;
        nodes_.push_back(LibraryNode{static_cast<std::uint32_t>(offset + NodeHeader::kSize),
                                     header.entryCount()});
        pending.push_back(header.rightOffset());
        pending.push_back(header.leftOffset());
    }
}

}  // namespace lorvex
