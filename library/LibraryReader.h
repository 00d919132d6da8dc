#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "library/CurrentEntry.h"
#include "library/LibraryFile.h"
#include "library/Records.h"
#include "library/SparseBitset.h"

namespace lorvex {

class EntryIndex;
class OutputFile;

// One node block of the directory tree, in the order iteration visits it.
struct LibraryNode {
    std::uint32_t leftOffset = 0;
    std::uint32_t rightOffset = 0;
    std::uint32_t firstEntryPosition = 0;  // block offset + 32
    std::uint32_t blockOffset = 0;
    std::uint16_t entryCount = 0;
    std::uint16_t cursor = 0;  // index of the record read last; 0xFFFF on entering the node
};

// Reads one library: opens and checks it, loads its node tree, walks its
// entries, lists them and extracts them. Failures are reported through the
// results only; the reader itself prints nothing but the commands' output.
class LibraryReader {
public:
    LibraryReader();
    virtual ~LibraryReader();
    LibraryReader(const LibraryReader&) = delete;
    LibraryReader& operator=(const LibraryReader&) = delete;

    // True when path names a readable library (trailer probe, "HDR*" header);
    // the node tree is then loaded. False leaves the reader closed.
    [[nodiscard]] bool open(const char* path, bool update);
    // Frees the tree and closes the file; safe to call again.
    void close();

    // Positions iteration before the first entry; false when there are no nodes.
    [[nodiscard]] bool rewind();
    // Fills the current entry with the next one; false at the end of the pass
    // or on any read failure (the two are not told apart).
    [[nodiscard]] bool next();

    static std::size_t baseNameOffset(const char* name);

    // "-v": prints the heading, one line per entry and the total.
    void listEntries();
    // "-e": exports all entries, or the named ones; false when an export failed
    // (the extraction then stopped at that entry).
    [[nodiscard]] bool extractEntries(const std::vector<std::string>& names);
    [[nodiscard]] bool extractAll();
    // Finds the first entry whose display name matches, companion included for
    // a request ending in ".srw", ".srd" or ".sru"; true leaves it current.
    [[nodiscard]] bool find(const std::string& name);
    // Writes the current entry to its file in the current directory; false when
    // the file could not be created or written, or the entry's data is damaged.
    [[nodiscard]] bool exportEntry(const char* displayName);

    const CurrentEntry& current() const { return current_; }
    bool isUnicodeEra() const { return wide_; }
    const std::vector<LibraryNode>& nodes() const { return nodes_; }
    // Where the commands print; standard output unless a test redirects it.
    void setConsole(std::FILE* console) { console_ = console; }

private:
    enum class ChainEnd { Complete, Damaged, Stopped };

    void loadTree();
    // One pass that collects the entries matching names (and their companions).
    void indexPass(const std::vector<std::string>& names);
    void enterNode(std::size_t nodeIndex);
    [[nodiscard]] bool readRecordAt(std::uint64_t position);
    [[nodiscard]] bool claimRecord(std::uint64_t position);
    [[nodiscard]] bool readEntryName();
    void fillCurrentEntry(const std::string& storedName);

    // Walks a data chain from firstBlock, handing each block's used bytes to
    // visit (which returns false to stop). A block that cannot be read, uses
    // more than 502 bytes, or was already walked in this chain (or, in an
    // extraction of all entries, by an earlier entry) ends it as damaged.
    template <typename Visit>
    ChainEnd walkChain(std::uint32_t firstBlock, Visit visit);
    [[nodiscard]] bool readChain(std::vector<unsigned char>& buffer, std::uint32_t firstBlock,
                                 std::uint32_t size);
    [[nodiscard]] bool writeBinarySection(OutputFile& file, std::uint32_t companionBlock,
                                          std::uint32_t companionSize, const char* displayName,
                                          std::uint32_t companionTime);
    [[nodiscard]] bool writeContent(OutputFile& file);

    LibraryFile file_;
    std::uint32_t headerOffset_ = 0;
    bool wide_ = false;
    HeaderRecord header_;
    NodeHeader nodeHeader_;
    EntryRecord entryRecord_;
    DataBlock dataBlock_;
    CurrentEntry current_;

    std::vector<LibraryNode> nodes_;  // the tree, flattened in visiting order
    std::size_t currentNode_ = 0;
    std::uint64_t recordPosition_ = 0;
    SparseBitset claimedRecords_;  // record starts delivered in this pass

    // Blocks read by the current walk, and in an extraction of all entries by
    // every walk of the pass; walkBlocks_ lists the current walk's marks.
    SparseBitset exportedBlocks_;
    std::vector<std::uint64_t> walkBlocks_;
    bool blocksSized_ = false;
    bool sharingForbidden_ = false;

    std::unique_ptr<EntryIndex> index_;   // the entries of the last lookup pass
    std::unique_ptr<OutputFile> output_;  // reused by every export
    std::FILE* console_ = stdout;
};

}  // namespace lorvex
