#include "tests/support/LibraryBuilder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace lorvex::testing {

namespace {

constexpr std::size_t kBlockSize = 512;
constexpr std::size_t kBlockData = 502;

void set16(Bytes& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

void set32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

void setText(Bytes& bytes, std::size_t at, const Bytes& text) {
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

Bytes storedName(const EntryLayout& entry, bool unicode) {
    if (entry.storedName) return *entry.storedName;
    Bytes name = unicode ? utf16Le(entry.name) : bytesOf(entry.name);
    name.insert(name.end(), unicode ? 2 : 1, 0);
    return name;
}

std::vector<std::size_t> blockSizesOf(const EntryLayout& entry) {
    if (entry.noBlocks) return {};
    if (!entry.blockSizes.empty()) return entry.blockSizes;
    std::vector<std::size_t> sizes;
    for (std::size_t left = entry.data.size(); left > 0; left -= std::min(left, kBlockData)) {
        sizes.push_back(std::min(left, kBlockData));
    }
    return sizes;
}

std::size_t recordSize(const EntryLayout& entry, bool unicode) {
    return (unicode ? 28 : 24) + storedName(entry, unicode).size();
}

}  // namespace

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes utf16Le(const std::string& utf8) {
    Bytes out;
    auto unit = [&](std::uint32_t u) {
        out.push_back(static_cast<unsigned char>(u & 0xFF));
        out.push_back(static_cast<unsigned char>(u >> 8));
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::uint32_t c = lead;
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (extra > 0) c = lead & (0x3F >> extra);
        ++i;
        for (; extra > 0 && i < utf8.size(); --extra, ++i) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        }
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

EntryLayout entry(const std::string& name, const std::string& text, std::uint32_t time) {
    EntryLayout layout;
    layout.name = name;
    layout.data = bytesOf(text);
    layout.time = time;
    return layout;
}

BuiltLibrary buildLibrary(const LibraryLayout& layout) {
    BuiltLibrary built;
    built.unicode = layout.unicode;
    built.headerOffset = layout.headerOffset;
    const std::size_t header = layout.headerOffset;
    const std::size_t rootDistance = layout.unicode ? 1536 : 1024;

    // Node blocks from the root position on, each at least 3072 bytes.
    std::size_t cursor = header + rootDistance;
    std::vector<std::size_t> nodeSizes;
    for (const NodeLayout& node : layout.nodes) {
        std::size_t records = 32;
        for (const EntryLayout& e : node.entries) records += recordSize(e, layout.unicode);
        const std::size_t size = std::max(layout.nodeBlockSize, (records + 31) / 32 * 32);
        built.nodeOffsets.push_back(static_cast<std::uint32_t>(cursor));
        nodeSizes.push_back(size);
        cursor += size;
    }
    // Data blocks after the nodes, chained in order.
    built.blockOffsets.resize(layout.nodes.size());
    for (std::size_t n = 0; n < layout.nodes.size(); ++n) {
        for (const EntryLayout& e : layout.nodes[n].entries) {
            std::vector<std::uint32_t> blocks;
            for (std::size_t b = 0; b < blockSizesOf(e).size(); ++b) {
                blocks.push_back(static_cast<std::uint32_t>(cursor));
                cursor += kBlockSize;
            }
            built.blockOffsets[n].push_back(blocks);
        }
    }
    const std::size_t trailerAt = cursor;
    if (layout.trailer) cursor += kBlockSize;

    Bytes& bytes = built.bytes;
    bytes.assign(cursor, 0);
    if (header >= 2) setText(bytes, 0, bytesOf("MZ"));
    setText(bytes, header, bytesOf("HDR*"));
    if (layout.unicode) {
        setText(bytes, header + 4, utf16Le("PowerBuilder"));
        setText(bytes, header + 30, utf16Le("0600"));
    } else {
        setText(bytes, header + 4, bytesOf("PowerBuilder"));
        setText(bytes, header + 18, bytesOf("0600"));
    }
    setText(bytes, header + 512, bytesOf("FRE*"));

    built.recordOffsets.resize(layout.nodes.size());
    for (std::size_t n = 0; n < layout.nodes.size(); ++n) {
        const NodeLayout& node = layout.nodes[n];
        const std::size_t at = built.nodeOffsets[n];
        setText(bytes, at, bytesOf("NOD*"));
        set32(bytes, at + 4,
              node.left >= 0 ? built.nodeOffsets[static_cast<std::size_t>(node.left)] : 0);
        set32(bytes, at + 12,
              node.right >= 0 ? built.nodeOffsets[static_cast<std::size_t>(node.right)] : 0);
        set16(bytes, at + 20,
              node.entryCount.value_or(static_cast<std::uint16_t>(node.entries.size())));
        std::size_t record = at + 32;
        for (std::size_t e = 0; e < node.entries.size(); ++e) {
            const EntryLayout& entryLayout = node.entries[e];
            const std::vector<std::uint32_t>& blocks = built.blockOffsets[n][e];
            const Bytes name = storedName(entryLayout, layout.unicode);
            built.recordOffsets[n].push_back(static_cast<std::uint32_t>(record));
            setText(bytes, record, bytesOf("ENT*"));
            setText(bytes, record + 4, layout.unicode ? utf16Le("0600") : bytesOf("0600"));
            const std::size_t fields = record + (layout.unicode ? 12 : 8);
            set32(bytes, fields, blocks.empty() ? 0 : blocks.front());
            set32(
                bytes, fields + 4,
                entryLayout.dataSize.value_or(static_cast<std::uint32_t>(entryLayout.data.size())));
            set32(bytes, fields + 8, entryLayout.time);
            set16(bytes, fields + 12, entryLayout.commentLength);
            set16(bytes, fields + 14, static_cast<std::uint32_t>(name.size()));
            setText(bytes, fields + 16, name);
            record = fields + 16 + name.size();

            const std::vector<std::size_t> sizes = blockSizesOf(entryLayout);
            std::size_t taken = 0;
            for (std::size_t b = 0; b < blocks.size(); ++b) {
                const std::size_t block = blocks[b];
                setText(bytes, block, bytesOf("DAT*"));
                set32(bytes, block + 4, b + 1 < blocks.size() ? blocks[b + 1] : 0);
                set16(bytes, block + 8, static_cast<std::uint32_t>(sizes[b]));
                for (std::size_t i = 0; i < std::min(sizes[b], kBlockData); ++i, ++taken) {
                    bytes[block + 10 + i] =
                        taken < entryLayout.data.size() ? entryLayout.data[taken] : 0;
                }
            }
        }
    }
    if (layout.trailer) {
        setText(bytes, trailerAt, bytesOf("TRL*"));
        set32(bytes, trailerAt + 4, layout.headerOffset);
    }
    return built;
}

std::uint32_t BuiltLibrary::fieldBase(int node, int entry) const {
    return recordOffsets[static_cast<std::size_t>(node)][static_cast<std::size_t>(entry)] +
           (unicode ? 12 : 8);
}

void BuiltLibrary::put16(std::size_t offset, std::uint16_t value) {
    set16(bytes, offset, value);
}
void BuiltLibrary::put32(std::size_t offset, std::uint32_t value) {
    set32(bytes, offset, value);
}
void BuiltLibrary::patch(std::size_t offset, const Bytes& replacement) {
    setText(bytes, offset, replacement);
}

void BuiltLibrary::dropEntryMagic(int node, int entry) {
    patch(recordOffsets[static_cast<std::size_t>(node)][static_cast<std::size_t>(entry)],
          bytesOf("XXX*"));
}
void BuiltLibrary::setEntryCount(int node, std::uint16_t count) {
    put16(nodeOffsets[static_cast<std::size_t>(node)] + 20, count);
}
void BuiltLibrary::setNameLength(int node, int entry, std::uint16_t length) {
    put16(fieldBase(node, entry) + 14, length);
}
void BuiltLibrary::setDataSize(int node, int entry, std::uint32_t size) {
    put32(fieldBase(node, entry) + 4, size);
}
void BuiltLibrary::setLeft(int node, std::uint32_t target) {
    put32(nodeOffsets[static_cast<std::size_t>(node)] + 4, target);
}
void BuiltLibrary::setRight(int node, std::uint32_t target) {
    put32(nodeOffsets[static_cast<std::size_t>(node)] + 12, target);
}
void BuiltLibrary::setNextBlock(int node, int entry, int block, std::uint32_t target) {
    put32(blockOffsets[static_cast<std::size_t>(node)][static_cast<std::size_t>(entry)]
                      [static_cast<std::size_t>(block)] +
              4,
          target);
}
void BuiltLibrary::setUsedCount(int node, int entry, int block, std::uint16_t count) {
    put16(blockOffsets[static_cast<std::size_t>(node)][static_cast<std::size_t>(entry)]
                      [static_cast<std::size_t>(block)] +
              8,
          count);
}

bool BuiltLibrary::writeTo(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace lorvex::testing
