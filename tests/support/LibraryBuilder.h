#pragma once

// Writes library files byte for byte from a description, for the tests, the
// sample library and the benchmark. Not part of the tool.

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "text/Utf16.h"

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
    std::uint32_t headerOffset = 0;  // with a "TRL*" block at the end when not 0
};

struct BuiltLibrary {
    Bytes bytes;
    std::vector<std::uint32_t> nodeOffsets;
    std::vector<std::vector<std::uint32_t>> recordOffsets;              // [node][entry]
    std::vector<std::vector<std::vector<std::uint32_t>>> blockOffsets;  // [node][entry][block]
    std::size_t fieldShift = 8;  // record offset to first data block: 8, or 12 Unicode-era

    // The fields of an entry record, after its magic and unused bytes; the
    // builder's own offsets, so that a wrong one in the reader shows.
    enum Field : std::size_t {
        kFirstBlock = 0,
        kDataSize = 4,
        kTime = 8,
        kCommentLength = 12,  // 16 bits
        kNameLength = 14,     // 16 bits
    };
    // The fields of a node header and of a data block.
    static constexpr std::size_t kLeft = 4, kRight = 12, kEntryCount = 20;
    static constexpr std::size_t kNextBlock = 4, kUsedCount = 8;

    std::size_t field(int node, int entry, Field at) const {
        return recordOffsets[node][entry] + fieldShift + at;
    }
    std::uint32_t block(int node, int entry, int index) const {
        return blockOffsets[node][entry][index];
    }
    void put16(std::size_t offset, std::uint32_t value) {
        bytes[offset] = static_cast<unsigned char>(value);
        bytes[offset + 1] = static_cast<unsigned char>(value >> 8);
    }
    void put32(std::size_t offset, std::uint32_t value) {
        put16(offset, value & 0xFFFF);
        put16(offset + 2, value >> 16);
    }

    // Named corruptors: each changes one thing.
    void setField(int node, int entry, Field at, std::uint32_t value) {
        if (at >= kCommentLength) {
            put16(field(node, entry, at), value);
        } else {
            put32(field(node, entry, at), value);
        }
    }
    void eraseMagic(int node, int entry) { put32(recordOffsets[node][entry], 0); }
    void setEntryCount(int node, std::uint32_t count) {
        put16(nodeOffsets[node] + kEntryCount, count);
    }
    void setLeft(int node, std::uint32_t offset) { put32(nodeOffsets[node] + kLeft, offset); }
    void setRight(int node, std::uint32_t offset) { put32(nodeOffsets[node] + kRight, offset); }
    void setNextBlock(int node, int entry, int index, std::uint32_t offset) {
        put32(block(node, entry, index) + kNextBlock, offset);
    }
    void setUsedCount(int node, int entry, int index, std::uint32_t count) {
        put16(block(node, entry, index) + kUsedCount, count);
    }
    void truncateTo(std::size_t size) { bytes.resize(size); }

    bool writeTo(const std::string& path) const {  // false on any failure
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return out.flush().good();
    }
};

// ASCII text as UTF-16LE bytes, as Unicode-era exports write it.
inline std::string wide(const std::string& ascii) {
    std::string out;
    for (const char c : ascii) out += {c, '\0'};
    return out;
}

inline EntryLayout entry(const std::string& name, const std::string& data, std::uint32_t time = 0) {
    return EntryLayout{name, Bytes(data.begin(), data.end()), time, 0, {}, {}};
}

inline EntryLayout with(EntryLayout e, std::uint16_t comment,
                        std::vector<std::size_t> blocks = {}) {
    e.commentLength = comment;
    e.blockSizes = std::move(blocks);
    return e;
}

inline LibraryLayout oneNode(std::vector<EntryLayout> entries, bool unicode = false) {
    return LibraryLayout{{NodeLayout{std::move(entries), -1, -1}}, unicode, 0};
}

// The header, the node blocks from the root position on, each as small as its
// records, then the data blocks of each entry in turn, then the trailer.
inline BuiltLibrary buildLibrary(const LibraryLayout& layout) {
    BuiltLibrary built;
    Bytes& bytes = built.bytes;
    const bool wide = layout.unicode;
    built.fieldShift = wide ? 12 : 8;
    auto append = [&](const std::string& text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
    };
    bytes.resize(layout.headerOffset);
    append(std::string("HDR*") + (wide ? utf8ToUtf16Le("PowerBuilder", 12) : ""));
    bytes.resize(layout.headerOffset + (wide ? 1536 : 1024));
    for (const NodeLayout& node : layout.nodes) {
        built.nodeOffsets.push_back(static_cast<std::uint32_t>(bytes.size()));
        built.recordOffsets.emplace_back();
        bytes.resize(bytes.size() + 32);
        built.setEntryCount(static_cast<int>(built.nodeOffsets.size() - 1),
                            static_cast<std::uint32_t>(node.entries.size()));
        for (const EntryLayout& entry : node.entries) {
            std::string name =
                wide ? utf8ToUtf16Le(entry.name.data(), entry.name.size()) : entry.name;
            name.append(wide ? 2 : 1, '\0');
            if (entry.storedName) name.assign(entry.storedName->begin(), entry.storedName->end());
            built.recordOffsets.back().push_back(static_cast<std::uint32_t>(bytes.size()));
            append("ENT*");
            bytes.resize(bytes.size() + built.fieldShift + 12);
            built.put32(bytes.size() - 12, static_cast<std::uint32_t>(entry.data.size()));
            built.put32(bytes.size() - 8, entry.time);
            built.put16(bytes.size() - 4, entry.commentLength);
            built.put16(bytes.size() - 2, static_cast<std::uint32_t>(name.size()));
            append(name);
        }
        bytes.resize((bytes.size() + 31) / 32 * 32);
    }
    built.blockOffsets.resize(layout.nodes.size());
    for (std::size_t n = 0; n < layout.nodes.size(); ++n) {
        for (std::size_t e = 0; e < layout.nodes[n].entries.size(); ++e) {
            const EntryLayout& entry = layout.nodes[n].entries[e];
            std::vector<std::size_t> sizes = entry.blockSizes;
            if (sizes.empty())  // full blocks of 502 bytes
                for (std::size_t left = entry.data.size(); left > 0; left -= sizes.back())
                    sizes.push_back(std::min<std::size_t>(left, 502));
            built.blockOffsets[n].emplace_back();
            std::size_t link = built.field(n, e, BuiltLibrary::kFirstBlock),
                        taken = 0;  // where the next block's offset goes
            for (const std::size_t used : sizes) {
                built.blockOffsets[n].back().push_back(static_cast<std::uint32_t>(bytes.size()));
                built.put32(link, static_cast<std::uint32_t>(bytes.size()));
                link = bytes.size() + 4;
                bytes.resize(bytes.size() + 512);
                built.put16(link + 4, static_cast<std::uint32_t>(used));
                for (std::size_t i = 0; i < used && taken < entry.data.size(); ++i)
                    bytes[link + 6 + i] = entry.data[taken++];
            }
        }
        const NodeLayout& node = layout.nodes[n];
        built.setLeft(static_cast<int>(n), node.left >= 0 ? built.nodeOffsets[node.left] : 0);
        built.setRight(static_cast<int>(n), node.right >= 0 ? built.nodeOffsets[node.right] : 0);
    }
    if (layout.headerOffset != 0) {
        append("TRL*");
        bytes.resize(bytes.size() + 508);
        built.put32(bytes.size() - 508, layout.headerOffset);
    }
    return built;
}

// Appends a certificate table of 1024 bytes to a PE image, after alignment
// zero bytes, and points the image's certificate directory at it, as signing does.
inline void sign(Bytes& image, std::size_t alignment) {
    const std::size_t optional = (image[0x3C] | image[0x3D] << 8) + 24;
    const std::size_t directory = optional + (image[optional + 1] == 2 ? 112 : 96) + 32;
    const std::uint32_t fields[2] = {static_cast<std::uint32_t>(image.size() + alignment), 1024};
    for (std::size_t i = 0; i < 8; ++i)
        image[directory + i] = static_cast<unsigned char>(fields[i / 4] >> i % 4 * 8);
    image.resize(image.size() + alignment + 1024, 0);
}

}  // namespace lorvex::testing
