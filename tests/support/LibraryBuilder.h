#pragma once

// Writes library files byte for byte from a description, for tests, fuzz
// seeds, the sample library and benchmarks. Not part of the tool.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lorvex::testing {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const std::string& text);
// UTF-8 text as UTF-16LE bytes (no terminator).
Bytes utf16Le(const std::string& utf8);

struct EntryLayout {
    std::string name;  // UTF-8; stored as is, or as UTF-16LE in a Unicode-era library
    Bytes data;        // comment and content together
    std::uint32_t time = 0;
    std::uint16_t commentLength = 0;  // bytes, or UTF-16 code units in a Unicode-era library
    // Used byte count of each block; empty splits the data into full blocks.
    // Blocks past the end of the data are filled with zero bytes.
    std::vector<std::size_t> blockSizes;
    bool noBlocks = false;                  // first data block 0, whatever the data
    std::optional<std::uint32_t> dataSize;  // defaults to data.size()
    std::optional<Bytes> storedName;        // exact name bytes, terminator included
};

struct NodeLayout {
    std::vector<EntryLayout> entries;
    int left = -1;                            // index of the node that heads the left subtree
    int right = -1;                           // index of the right neighbour
    std::optional<std::uint16_t> entryCount;  // defaults to entries.size()
};

struct LibraryLayout {
    std::vector<NodeLayout> nodes;  // nodes[0] is the root
    bool unicode = false;
    bool trailer = false;              // a "TRL*" block at the end pointing at the header
    std::uint32_t headerOffset = 0;    // bytes of a leading program before the header
    std::size_t nodeBlockSize = 3072;  // smaller values pack deep trees into small files
};

struct BuiltLibrary {
    Bytes bytes;
    std::uint32_t headerOffset = 0;
    std::vector<std::uint32_t> nodeOffsets;
    std::vector<std::vector<std::uint32_t>> recordOffsets;              // [node][entry]
    std::vector<std::vector<std::vector<std::uint32_t>>> blockOffsets;  // [node][entry][block]

    // Named corruptors.
    void put16(std::size_t offset, std::uint16_t value);
    void put32(std::size_t offset, std::uint32_t value);
    void patch(std::size_t offset, const Bytes& replacement);
    void truncate(std::size_t size) { bytes.resize(size); }
    void dropEntryMagic(int node, int entry);
    void setEntryCount(int node, std::uint16_t count);
    void setNameLength(int node, int entry, std::uint16_t length);
    void setDataSize(int node, int entry, std::uint32_t size);
    void setLeft(int node, std::uint32_t target);
    void setRight(int node, std::uint32_t target);
    void setNextBlock(int node, int entry, int block, std::uint32_t target);
    void setUsedCount(int node, int entry, int block, std::uint16_t count);

    std::uint32_t fieldBase(int node, int entry) const;  // start of the fields after the magic
    bool unicode = false;

    // Writes the bytes to path; false on any failure.
    bool writeTo(const std::string& path) const;
};

BuiltLibrary buildLibrary(const LibraryLayout& layout);

// Convenience: an entry of the given name holding text.
EntryLayout entry(const std::string& name, const std::string& text, std::uint32_t time = 0);

}  // namespace lorvex::testing
