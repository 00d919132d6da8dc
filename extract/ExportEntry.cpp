#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "extract/HexRows.h"
#include "extract/OutputFile.h"
#include "library/LibraryReader.h"

namespace lorvex {

namespace {
// Blocks are 512 bytes, so two blocks starting in the same 512-byte granule
// overlap: a chain that comes back to a granule loops or shares a block.
constexpr std::uint64_t kBlockGranule = DataBlock::kSize;
}  // namespace

template <typename Visit>
LibraryReader::ChainEnd LibraryReader::walkChain(std::uint32_t firstBlock, Visit visit) {
    if (!blocksSized_) {
        exportedBlocks_.reset(file_.size() / kBlockGranule + 1);
        blocksSized_ = true;
    }
    ChainEnd end = ChainEnd::Complete;
    for (std::uint32_t cursor = firstBlock; cursor != 0; cursor = dataBlock_.nextOffset()) {
        dataBlock_.bytes = file_.view(cursor, DataBlock::kSize);
        if (dataBlock_.bytes == nullptr || exportedBlocks_.testAndSet(cursor / kBlockGranule)) {
            end = ChainEnd::Damaged;
            break;
        }
        walkBlocks_.push_back(cursor / kBlockGranule);
        const std::uint16_t used = dataBlock_.usedCount();
        if (used > DataBlock::kCapacity) {
            end = ChainEnd::Damaged;
            break;
        }
        if (!visit(dataBlock_.data(), std::size_t{used})) {
            end = ChainEnd::Stopped;
            break;
        }
    }
    return end;
}

bool LibraryReader::exportEntry(const char* displayName) {
    if (!output_) output_ = std::make_unique<OutputFile>();
    OutputFile& file = *output_;
    if (!file.create(displayName + baseNameOffset(displayName), file_.identity(), wide_)) {
        return false;
    }
    // The walks of one export may not share blocks, the companion's included;
    // outside an extraction of all entries, later exports may read them again.
    walkBlocks_.clear();
    bool intact = writeContent(file);
    if (current_.companionFirstBlock != 0) {
        intact = writeBinarySection(file, current_.companionFirstBlock, current_.companionSize,
                                    current_.displayName, current_.companionTime) &&
                 intact;
    }
    if (!sharingForbidden_) {
        for (const std::uint64_t granule : walkBlocks_) exportedBlocks_.clear(granule);
    }
    const bool written = file.close();
    return intact && written;
}

// The header and comments lines of a source, then the entry's data after its
// comment, block by block. A comment is taken from the first block only; one
// longer than that block's used bytes ends with them.
bool LibraryReader::writeContent(OutputFile& file) {
    const bool source = current_.kind == EntryKind::Source;
    std::size_t comment = wide_ ? 2U * current_.commentLength : current_.commentLength;
    if (source) {
        if (wide_) file.write("\xFF\xFE", 2);
        file.writeText("$PBExportHeader$");
        file.writeText(current_.displayName + baseNameOffset(current_.displayName));
        file.writeText("\r\n");
        if (comment != 0) file.writeText("$PBExportComments$");
    }
    // Single-byte sources exported with their binary data show a zero last
    // byte of a block as a space.
    const bool zeroToSpace = source && !wide_ && current_.companionFirstBlock != 0;
    const ChainEnd end =
        walkChain(current_.firstBlock, [&](const unsigned char* data, std::size_t used) {
            std::size_t skip = 0;
            if (comment != 0) {
                skip = std::min(comment, used);
                if (source) {
                    file.write(data, skip);
                    file.writeText("\r\n");
                }
                comment = 0;
            }
            if (zeroToSpace && used > skip && data[used - 1] == 0) {
                file.write(data + skip, used - 1 - skip);
                file.write(" ", 1);
            } else {
                file.write(data + skip, used - skip);
            }
            return !file.failed();
        });
    return end == ChainEnd::Complete;
}

bool LibraryReader::readChain(std::vector<unsigned char>& buffer, std::uint32_t firstBlock,
                              std::uint32_t size) {
    if (firstBlock == 0) return true;
    std::size_t copied = 0;
    const ChainEnd end = walkChain(firstBlock, [&](const unsigned char* data, std::size_t used) {
        // Bytes beyond the declared size are dropped: the section shows size bytes.
        const std::size_t take = std::min<std::size_t>(used, size - copied);
        if (take == 0) return true;  // an empty buffer has no address to copy to
        std::memcpy(buffer.data() + copied, data, take);
        copied += take;
        return true;
    });
    return end == ChainEnd::Complete && copied == size;
}

bool LibraryReader::writeBinarySection(OutputFile& file, std::uint32_t companionBlock,
                                       std::uint32_t companionSize, const char* displayName,
                                       std::uint32_t companionTime) {
    // A size the file cannot hold, or one that does not print as a positive
    // count, is damage: nothing is allocated or written for it.
    if (companionSize > file_.size() || companionSize > INT32_MAX) return false;
    const std::size_t rows = (companionSize + kRowBytes - 1) / kRowBytes;
    std::vector<unsigned char> buffer(rows * kRowBytes, 0);
    // Rows would show zeros for bytes the chain does not hold: a companion
    // that cannot be read whole gets no section.
    if (!readChain(buffer, companionBlock, companionSize)) return false;

    const std::size_t nameLength = std::strlen(displayName);
    const char tag =
        nameLength >= 3 && std::strcmp(displayName + nameLength - 3, "sru") == 0 ? '4' : '7';
    const std::string binName =
        std::string(displayName, nameLength >= 3 ? nameLength - 3 : 0) + "bin";
    char values[64];
    std::snprintf(values, sizeof values, " %" PRId32 " %" PRIu32 "\r\n",
                  static_cast<std::int32_t>(companionSize), companionTime);

    file.writeText("\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n0");
    file.writeText(&tag, 1);
    file.writeText(binName);
    file.writeText(values);
    std::string text;
    constexpr std::size_t kRowsPerWrite = 64;
    for (std::size_t row = 0; row < rows && !file.failed(); row += kRowsPerWrite) {
        text.clear();
        for (std::size_t r = row; r < std::min(rows, row + kRowsPerWrite); ++r) {
            appendHexRow(text, buffer.data() + r * kRowBytes);
        }
        file.writeText(text);
    }
    file.writeText("1");
    file.writeText(&tag, 1);
    file.writeText(binName);
    file.writeText(values);
    file.writeText(
        "End of PowerBuilder Binary Data Section : No Source Expected After This Point\r\n");
    return true;
}

}  // namespace lorvex
