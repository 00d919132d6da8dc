#pragma once

// Writes library files byte for byte from a description, for tests, fuzz
// seeds, the sample library and benchmarks. Not part of the tool.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lorvex::testing {

using Bytes = std::vector<unsigned char>;

struct EntryLayout {
    std::string name;  // UTF-8; stored as is, or as UTF-16LE in a Unicode-era library
    Bytes data;        // comment and content together
    std::uint32_t time = 0;
    std::uint16_t commentLength = 0;  // bytes, or UTF-16 code units in a Unicode-era library
    // Used byte count of each block; empty splits the data into full blocks.
    std::vector<std::size_t> blockSizes;
    std::optional<Bytes> storedName;  // exact name bytes, terminator included
};

struct NodeLayout {
    std::vector<EntryLayout> entries;
    int left = -1;   // index of the node that heads the left subtree
    int right = -1;  // index of the right neighbour
};

struct LibraryLayout {
    std::vector<NodeLayout> nodes;  // nodes[0] is the root
    bool unicode = false;
    std::uint32_t headerOffset = 0;    // with a "TRL*" block at the end when not 0
    std::size_t nodeBlockSize = 3072;  // smaller values pack deep trees into small files
};

struct BuiltLibrary {
    Bytes bytes;
    std::vector<std::uint32_t> nodeOffsets;
    std::vector<std::vector<std::uint32_t>> recordOffsets;              // [node][entry]
    std::vector<std::vector<std::vector<std::uint32_t>>> blockOffsets;  // [node][entry][block]
    std::size_t fieldShift = 8;  // record offset to first data block: 8, or 12 Unicode-era

    // Where a field of an entry record lies: 0 first block, 4 data size, 8 time,
    // 12 comment length, 14 name length.
    std::size_t field(int node, int entry, std::size_t at) const {
        return recordOffsets[node][entry] + fieldShift + at;
    }
    void put16(std::size_t offset, std::uint32_t value);
    void put32(std::size_t offset, std::uint32_t value);
    bool writeTo(const std::string& path) const;  // false on any failure
};

BuiltLibrary buildLibrary(const LibraryLayout& layout);
LibraryLayout oneNode(std::vector<EntryLayout> entries, bool unicode = false);
EntryLayout entry(const std::string& name, const std::string& data, std::uint32_t time = 0);

}  // namespace lorvex::testing
