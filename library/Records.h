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

// Libraries come in two generations: single-byte names and text, or UTF-16LE
// names and text with a larger header and entry record.
enum class Generation { SingleByte, UnicodeEra };

inline bool hasMagic(const unsigned char* bytes, const char (&magic)[5]) {
    return std::memcmp(bytes, magic, 4) == 0;
}

struct TrailerRecord {
    static constexpr std::size_t kSize = 8;
    static constexpr std::size_t kProbeDistance = 512;  // from the end of the file
    static constexpr std::size_t kHeaderOffset = 4;     // after "TRL*"
    std::array<unsigned char, kSize> bytes{};

    bool isTrailer() const { return hasMagic(bytes.data(), "TRL*"); }
    std::uint32_t headerOffset() const { return readLe32(bytes.data() + kHeaderOffset); }
};
static_assert(sizeof(TrailerRecord) == 8);

struct HeaderRecord {
    static constexpr std::size_t kSize = 234;
    static constexpr std::size_t kEnvironmentName = 4;  // after "HDR*"
    std::array<unsigned char, kSize> bytes{};

    bool isHeader() const { return hasMagic(bytes.data(), "HDR*"); }
    // Only the Unicode-era versions write the environment's name in UTF-16LE
    // right after the magic; older headers hold it in single bytes or not at all.
    Generation generation() const {
        static constexpr unsigned char kWideName[24] = {'P', 0, 'o', 0, 'w', 0, 'e', 0,
                                                        'r', 0, 'B', 0, 'u', 0, 'i', 0,
                                                        'l', 0, 'd', 0, 'e', 0, 'r', 0};
        return std::memcmp(bytes.data() + kEnvironmentName, kWideName, sizeof kWideName) == 0
                   ? Generation::UnicodeEra
                   : Generation::SingleByte;
    }
    static constexpr std::uint32_t rootDistance(Generation generation) {
        return generation == Generation::UnicodeEra ? 1536 : 1024;
    }
};
static_assert(sizeof(HeaderRecord) == 234);

struct NodeHeader {
    static constexpr std::size_t kSize = 32;
    static constexpr std::size_t kLeftOffset = 4;    // the node heading the left subtree
    static constexpr std::size_t kRightOffset = 12;  // the right neighbour
    static constexpr std::size_t kEntryCount = 20;
    std::array<unsigned char, kSize> bytes{};

    std::uint32_t leftOffset() const { return readLe32(bytes.data() + kLeftOffset); }
    std::uint32_t rightOffset() const { return readLe32(bytes.data() + kRightOffset); }
    std::uint16_t entryCount() const { return readLe16(bytes.data() + kEntryCount); }
};
static_assert(sizeof(NodeHeader) == 32);

// The fixed part of a single-byte entry record: "ENT*", 4 unused bytes, then
// first data block, data size, time, comment length and name length.
struct EntryRecord {
    static constexpr std::size_t kSize = 24;
    static constexpr std::size_t kFirstBlock = 8;
    static constexpr std::size_t kDataSize = 12;
    static constexpr std::size_t kTime = 16;
    static constexpr std::size_t kCommentLength = 20;
    static constexpr std::size_t kNameLength = 22;
    std::array<unsigned char, kSize> bytes{};
};
static_assert(sizeof(EntryRecord) == 24);

// The Unicode-era entry record: the same fields after 8 unused bytes; its
// comment length counts UTF-16 code units.
struct UnicodeEntryRecord {
    static constexpr std::size_t kSize = 28;
    static constexpr std::size_t kFirstBlock = 12;
    static constexpr std::size_t kDataSize = 16;
    static constexpr std::size_t kTime = 20;
    static constexpr std::size_t kCommentLength = 24;
    static constexpr std::size_t kNameLength = 26;
    std::array<unsigned char, kSize> bytes{};
};
static_assert(sizeof(UnicodeEntryRecord) == 28);

// The fields of an entry record of either generation, decoded.
struct EntryFields {
    bool isEntry = false;
    std::uint32_t firstBlock = 0;
    std::uint32_t dataSize = 0;
    std::uint32_t modificationTime = 0;
    std::uint16_t commentLength = 0;
    std::uint16_t nameLength = 0;

    template <typename Record>
    static EntryFields decode(const unsigned char* record) {
        return EntryFields{hasMagic(record, "ENT*"),
                           readLe32(record + Record::kFirstBlock),
                           readLe32(record + Record::kDataSize),
                           readLe32(record + Record::kTime),
                           readLe16(record + Record::kCommentLength),
                           readLe16(record + Record::kNameLength)};
    }
};

inline std::size_t entryRecordSize(Generation generation) {
    return generation == Generation::UnicodeEra ? UnicodeEntryRecord::kSize : EntryRecord::kSize;
}

inline EntryFields decodeEntry(Generation generation, const unsigned char* record) {
    return generation == Generation::UnicodeEra ? EntryFields::decode<UnicodeEntryRecord>(record)
                                                : EntryFields::decode<EntryRecord>(record);
}

// A data block is read in place: a view of its 512 bytes in the reader's
// window, valid until the next read of the library.
struct DataBlock {
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kNextOffset = 4;  // after the tag
    static constexpr std::size_t kUsedCount = 8;
    static constexpr std::size_t kDataOffset = 10;
    static constexpr std::size_t kCapacity = 502;
    const unsigned char* bytes = nullptr;

    std::uint32_t nextOffset() const { return readLe32(bytes + kNextOffset); }
    std::uint16_t usedCount() const { return readLe16(bytes + kUsedCount); }
    const unsigned char* data() const { return bytes + kDataOffset; }
};

}  // namespace lorvex
