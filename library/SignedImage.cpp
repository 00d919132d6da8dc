#include "library/SignedImage.h"

#include <cstring>

namespace lorvex {

namespace {
constexpr std::uint64_t kPeOffsetField = 0x3C;
constexpr std::uint64_t kCoffHeaderSize = 20;
constexpr std::uint64_t kCertificateDirectory = 4;  // the fifth data directory
constexpr std::uint64_t kMaxAlignment = 7;
}  // namespace

bool findTrailerBeforeCertificates(LibraryFile& file, TrailerRecord& trailer) {
    unsigned char dos[2];
    unsigned char offsetField[4];
    if (!file.readAt(0, dos, 2) || dos[0] != 'M' || dos[1] != 'Z' ||
        !file.readAt(kPeOffsetField, offsetField, 4))
        return false;
    // The "PE\0\0" signature, the COFF header and the optional header's magic.
    const std::uint64_t pe = readLe32(offsetField);
    unsigned char head[4 + kCoffHeaderSize + 2];
    if (!file.readAt(pe, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0) return false;
    const std::uint16_t optionalSize = readLe16(head + 4 + 16);
    const std::uint16_t magic = readLe16(head + 4 + kCoffHeaderSize);
    // The data directories follow 96 bytes of a 32-bit optional header, 112 of a 64-bit one,
    // right after their count.
    const std::uint64_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
    if (directories == 0 || optionalSize < directories + (kCertificateDirectory + 1) * 8)
        return false;
    unsigned char table[4 + (kCertificateDirectory + 1) * 8];
    if (!file.readAt(pe + 4 + kCoffHeaderSize + directories - 4, table, sizeof table) ||
        readLe32(table) <= kCertificateDirectory)
        return false;
    const std::uint64_t tableOffset = readLe32(table + 4 + kCertificateDirectory * 8);
    const std::uint64_t tableSize = readLe32(table + 4 + kCertificateDirectory * 8 + 4);
    if (tableSize == 0 || tableOffset + tableSize != file.size()) return false;
    for (std::uint64_t alignment = 0; alignment <= kMaxAlignment; ++alignment) {
        unsigned char padding = 0;
        if (tableOffset < TrailerRecord::kProbeDistance + alignment) return false;
        if (alignment > 0 && (!file.readAt(tableOffset - alignment, &padding, 1) || padding != 0))
            return false;
        if (file.readAt(tableOffset - alignment - TrailerRecord::kProbeDistance,
                        trailer.bytes.data(), trailer.bytes.size()) &&
            trailer.isTrailer())
            return true;
    }
    return false;
}

}  // namespace lorvex
