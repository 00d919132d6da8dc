#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "library/CurrentEntry.h"
#include "library/LibraryFile.h"
#include "library/Records.h"
#include "library/VisitedSet.h"

namespace lorvex {

// One node block of the directory tree, in the order iteration visits it.
struct LibraryNode {
    std::uint32_t firstEntryPosition = 0;  // block offset + 32
    std::uint16_t entryCount = 0;
};

// Reads one library: opens and checks it, loads its node tree and walks its
// entries. The commands (listing, extraction, checks, source export) are
// built on this iteration and on the file it exposes for data chains.
class LibraryReader {
public:
    LibraryReader() = default;
    LibraryReader(const LibraryReader&) = delete;
    LibraryReader& operator=(const LibraryReader&) = delete;

    // True when path names a readable library (trailer probe, "HDR*" header,
    // a readable root node); the node tree is then loaded. False leaves the
    // reader closed and reason saying why.
    [[nodiscard]] bool open(const std::string& path, std::string& reason);
    void close();

    // Calls visit(entry, position) for each entry of one pass, in library
    // order, until it returns false (when it returns a bool); damage() then
    // tells whether a damaged directory ended the pass early.
    template <typename Visit>
    void forEachEntry(Visit visit) {
        if (!rewind()) return;
        for (std::uint32_t position = 0; next(); ++position) {
            if constexpr (std::is_same_v<decltype(visit(current_, position)), bool>) {
                if (!visit(current_, position)) return;
            } else {
                visit(current_, position);
            }
        }
    }

    // Positions iteration before the first entry; false when there are no nodes.
    [[nodiscard]] bool rewind();
    // Fills the current entry with the next one; false at the end of the pass,
    // which a damaged directory may bring early (see damage()).
    [[nodiscard]] bool next();
    // Why the node tree or the last pass left entries out (a node or record
    // that cannot be read, a loop, a record without "ENT*"); empty when the
    // directory was read whole.
    const std::string& damage() const { return treeDamage_.empty() ? passDamage_ : treeDamage_; }

    const CurrentEntry& current() const { return current_; }
    // The current entry's name whole, as stored: the bytes of a single-byte
    // name up to its first zero, a Unicode-era name as UTF-8.
    const std::string& storedName() const { return storedName_; }
    Generation generation() const { return generation_; }
    LibraryFile& file() { return file_; }

private:
    // Closes the reader and says why it could not be opened.
    [[nodiscard]] bool fail(std::string& reason, const std::string& why);
    [[nodiscard]] bool findHeader(std::uint32_t& headerOffset, std::string& reason);
    void loadTree(std::uint64_t rootOffset);
    void enterNode(std::size_t nodeIndex);
    // Reads the record at the current position; a record that cannot be read,
    // lacks "ENT*" or was delivered before in this pass is damage.
    [[nodiscard]] bool readRecord();
    [[nodiscard]] bool readEntryName();
    bool endPass(const std::string& damage);

    LibraryFile file_;
    std::string treeDamage_;
    std::string passDamage_;
    Generation generation_ = Generation::SingleByte;
    CurrentEntry current_;
    std::string storedName_;
    EntryFields record_;

    std::vector<LibraryNode> nodes_;  // the tree, flattened in visiting order
    std::size_t currentNode_ = 0;
    std::uint16_t cursor_ = 0;  // index of the record read last in the current node
    std::uint64_t recordPosition_ = 0;
    VisitedSet deliveredRecords_{0, 16};  // record starts delivered in this pass
};

}  // namespace lorvex
