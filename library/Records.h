#pragma once

// The on-disk records of a library, byte-exact. Every record is a plain byte
// array with accessors that decode its fields; nothing is read into a struct
// with host layout.
//
//   trailer (optional, last 512 bytes): "TRL*", header offset
//   header at the header offset:        "HDR*", 230 further bytes; a Unicode-era
//                                       library carries its environment's name
//                                       in UTF-16LE at bytes 4-27
//   root node block:                    header offset + 1024 (+ 1536 Unicode-era)
//   node block:                         32-byte NodeHeader, then packed entry records
//   entry record:                       24-byte fixed part (28 Unicode-era), then the name
//   data block:                         512 bytes: tag, next offset, used count, 502 data bytes
//
// Offsets are 32-bit absolute file positions; 0 means none.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "library/ByteOrder.h"

namespace lorvex {

inline bool hasMagic(const unsigned char* bytes, const char (&magic)[5]) {
    return std::memcmp(bytes, magic, 4) == 0;
}

struct TrailerRecord {
    static constexpr std::size_t kSize = 8;
    static constexpr std::size_t kProbeDistance = 512;  // from the end of the file
    std::array<unsigned char, kSize> bytes{};

    bool isTrailer() const { return hasMagic(bytes.data(), "TRL*"); }
    std::uint32_t headerOffset() const { return readLe32(bytes.data() + 4); }
};
static_assert(sizeof(TrailerRecord) == 8);

struct HeaderRecord {
    static constexpr std::size_t kSize = 234;
    std::array<unsigned char, kSize> bytes{};

    bool isHeader() const { return hasMagic(bytes.data(), "HDR*"); }
    // Only the Unicode-era versions write the environment's name in UTF-16LE
    // right after the magic; older headers hold it in single bytes or not at all.
    bool isUnicodeEra() const {
        static constexpr unsigned char kWideName[24] = {'P', 0, 'o', 0, 'w', 0, 'e', 0,
                                                        'r', 0, 'B', 0, 'u', 0, 'i', 0,
                                                        'l', 0, 'd', 0, 'e', 0, 'r', 0};
        return std::memcmp(bytes.data() + 4, kWideName, sizeof kWideName) == 0;
    }
};
static_assert(sizeof(HeaderRecord) == 234);

struct NodeHeader {
    static constexpr std::size_t kSize = 32;
    std::array<unsigned char, kSize> bytes{};

    std::uint32_t leftOffset() const { return readLe32(bytes.data() + 4); }
    std::uint32_t rightOffset() const { return readLe32(bytes.data() + 12); }
    std::uint16_t entryCount() const { return readLe16(bytes.data() + 20); }
};
static_assert(sizeof(NodeHeader) == 32);

// The fixed part of an entry record. Both generations share the field order;
// the Unicode-era record has four more unused bytes after the magic.
struct EntryRecord {
    static constexpr std::size_t kNarrowSize = 24;
    static constexpr std::size_t kWideSize = 28;
    std::array<unsigned char, kWideSize> bytes{};
    std::size_t shift = 0;  // 0 for single-byte records, 4 for Unicode-era ones

    bool isEntry() const { return hasMagic(bytes.data(), "ENT*"); }
    std::uint32_t firstBlock() const { return readLe32(bytes.data() + shift + 8); }
    std::uint32_t dataSize() const { return readLe32(bytes.data() + shift + 12); }
    std::uint32_t modificationTime() const { return readLe32(bytes.data() + shift + 16); }
    std::uint16_t commentLength() const { return readLe16(bytes.data() + shift + 20); }
    std::uint16_t nameLength() const { return readLe16(bytes.data() + shift + 22); }
    std::size_t size() const { return kNarrowSize + shift; }
};

// A data block is read in place: a view of its 512 bytes in the reader's
// window, valid until the next read of the library.
struct DataBlock {
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kDataOffset = 10;
    static constexpr std::size_t kCapacity = 502;
    const unsigned char* bytes = nullptr;

    std::uint32_t nextOffset() const { return readLe32(bytes + 4); }
    std::uint16_t usedCount() const { return readLe16(bytes + 8); }
    const unsigned char* data() const { return bytes + kDataOffset; }
};

}  // namespace lorvex
