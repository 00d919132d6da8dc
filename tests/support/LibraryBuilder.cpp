#include "tests/support/LibraryBuilder.h"

#include <algorithm>
#include <cstdio>

#include "library/Utf16.h"

namespace lorvex::testing {

namespace {

constexpr std::size_t kBlockSize = 512;
constexpr std::size_t kBlockData = 502;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes storedName(const EntryLayout& entry, bool unicode) {
    if (entry.storedName) return *entry.storedName;
    Bytes name =
        bytesOf(unicode ? utf8ToUtf16Le(entry.name.data(), entry.name.size()) : entry.name);
    name.insert(name.end(), unicode ? 2 : 1, 0);
    return name;
}

std::vector<std::size_t> blockSizesOf(const EntryLayout& entry) {
    if (!entry.blockSizes.empty()) return entry.blockSizes;
    std::vector<std::size_t> sizes;
    for (std::size_t left = entry.data.size(); left > 0; left -= sizes.back())
        sizes.push_back(std::min(left, kBlockData));
    return sizes;
}

}  // namespace

EntryLayout entry(const std::string& name, const std::string& data, std::uint32_t time) {
    EntryLayout layout;
    layout.name = name;
    layout.data = bytesOf(data);
    layout.time = time;
    return layout;
}

LibraryLayout oneNode(std::vector<EntryLayout> entries, bool unicode) {
    LibraryLayout layout;
    layout.unicode = unicode;
    layout.nodes.resize(1);
    layout.nodes[0].entries = std::move(entries);
    return layout;
}

// Node blocks from the root position on, then the data blocks, then the trailer.
BuiltLibrary buildLibrary(const LibraryLayout& layout) {
    BuiltLibrary built;
    const bool wide = layout.unicode;
    const std::size_t header = layout.headerOffset;
    built.fieldShift = wide ? 12 : 8;
    std::size_t cursor = header + (wide ? 1536 : 1024);
    for (const NodeLayout& node : layout.nodes) {
        std::size_t records = 32;
        for (const EntryLayout& e : node.entries)
            records += built.fieldShift + 16 + storedName(e, wide).size();
        built.nodeOffsets.push_back(static_cast<std::uint32_t>(cursor));
        cursor += std::max(layout.nodeBlockSize, (records + 31) / 32 * 32);
    }
    built.recordOffsets.resize(layout.nodes.size());
    built.blockOffsets.resize(layout.nodes.size());
    for (std::size_t n = 0; n < layout.nodes.size(); ++n) {
        for (const EntryLayout& e : layout.nodes[n].entries) {
            built.blockOffsets[n].emplace_back();
            for (std::size_t b = 0; b < blockSizesOf(e).size(); ++b, cursor += kBlockSize)
                built.blockOffsets[n].back().push_back(static_cast<std::uint32_t>(cursor));
        }
    }
    Bytes& bytes = built.bytes;
    bytes.assign(cursor + (header != 0 ? kBlockSize : 0), 0);
    auto put = [&](std::size_t at, const Bytes& text) {
        std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    };
    put(header, bytesOf("HDR*"));
    if (wide) put(header + 4, bytesOf(utf8ToUtf16Le("PowerBuilder", 12)));
    if (header != 0) {
        put(cursor, bytesOf("TRL*"));
        built.put32(cursor + 4, layout.headerOffset);
    }
    for (std::size_t n = 0; n < layout.nodes.size(); ++n) {
        const NodeLayout& node = layout.nodes[n];
        const std::size_t at = built.nodeOffsets[n];
        built.put32(at + 4, node.left >= 0 ? built.nodeOffsets[node.left] : 0);
        built.put32(at + 12, node.right >= 0 ? built.nodeOffsets[node.right] : 0);
        built.put16(at + 20, static_cast<std::uint32_t>(node.entries.size()));
        std::size_t record = at + 32;
        for (std::size_t e = 0; e < node.entries.size(); ++e) {
            const EntryLayout& entry = node.entries[e];
            const std::vector<std::uint32_t>& blocks = built.blockOffsets[n][e];
            const Bytes name = storedName(entry, wide);
            built.recordOffsets[n].push_back(static_cast<std::uint32_t>(record));
            put(record, bytesOf("ENT*"));
            const std::size_t fields = record + built.fieldShift;
            built.put32(fields, blocks.empty() ? 0 : blocks.front());
            built.put32(fields + 4, static_cast<std::uint32_t>(entry.data.size()));
            built.put32(fields + 8, entry.time);
            built.put16(fields + 12, entry.commentLength);
            built.put16(fields + 14, static_cast<std::uint32_t>(name.size()));
            put(fields + 16, name);
            record = fields + 16 + name.size();

            const std::vector<std::size_t> sizes = blockSizesOf(entry);
            for (std::size_t b = 0, taken = 0; b < blocks.size(); ++b) {
                built.put32(blocks[b] + 4, b + 1 < blocks.size() ? blocks[b + 1] : 0);
                built.put16(blocks[b] + 8, static_cast<std::uint32_t>(sizes[b]));
                for (std::size_t i = 0; i < sizes[b] && taken < entry.data.size(); ++i)
                    bytes[blocks[b] + 10 + i] = entry.data[taken++];
            }
        }
    }
    return built;
}

void BuiltLibrary::put16(std::size_t offset, std::uint32_t value) {
    bytes[offset] = static_cast<unsigned char>(value);
    bytes[offset + 1] = static_cast<unsigned char>(value >> 8);
}

void BuiltLibrary::put32(std::size_t offset, std::uint32_t value) {
    put16(offset, value & 0xFFFF);
    put16(offset + 2, value >> 16);
}

bool BuiltLibrary::writeTo(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace lorvex::testing
