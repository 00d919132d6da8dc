#include "library/LibraryReader.h"

#include <cstring>

#include "extract/EntryIndex.h"
#include "extract/OutputFile.h"
#include "library/EntryNames.h"
#include "library/Utf16.h"

namespace lorvex {

namespace {
// Records are at least 25 bytes long, so two records starting in the same
// 16-byte granule overlap: such a record was already delivered in this pass.
constexpr std::uint64_t kRecordGranule = 16;
}  // namespace

LibraryReader::LibraryReader() = default;

LibraryReader::~LibraryReader() {
    close();
}

std::size_t LibraryReader::baseNameOffset(const char* name) {
    return lorvex::baseNameOffset(name);
}

bool LibraryReader::open(const char* path, bool update) {
    close();
    if (!file_.open(path, update)) return false;
    TrailerRecord trailer;
    // A file shorter than the trailer block is probed at its start instead.
    const std::uint64_t probeAt = file_.size() >= TrailerRecord::kProbeDistance
                                      ? file_.size() - TrailerRecord::kProbeDistance
                                      : 0;
    if (!file_.readAt(probeAt, trailer.bytes.data(), trailer.bytes.size())) {
        close();
        return false;
    }
    headerOffset_ = trailer.isTrailer() ? trailer.headerOffset() : 0;
    if (!file_.readAt(headerOffset_, header_.bytes.data(), header_.bytes.size()) ||
        !header_.isHeader()) {
        close();
        return false;
    }
    wide_ = header_.isUnicodeEra();
    entryRecord_.shift = wide_ ? EntryRecord::kWideSize - EntryRecord::kNarrowSize : 0;
    loadTree();
    // Without a readable root node there is no directory to walk.
    if (nodes_.empty()) {
        close();
        return false;
    }
    return true;
}

void LibraryReader::close() {
    nodes_.clear();
    nodes_.shrink_to_fit();
    currentNode_ = 0;
    recordPosition_ = 0;
    claimedRecords_.reset(0);
    exportedBlocks_.reset(0);
    blocksSized_ = false;
    index_.reset();
    headerOffset_ = 0;
    wide_ = false;
    file_.close();
}

bool LibraryReader::rewind() {
    if (nodes_.empty()) return false;
    claimedRecords_.reset(file_.size() / kRecordGranule + 1);
    currentNode_ = 0;
    nodes_[0].cursor = 0xFFFF;
    recordPosition_ = nodes_[0].firstEntryPosition;
    return true;
}

bool LibraryReader::readRecordAt(std::uint64_t position) {
    return file_.readAt(position, entryRecord_.bytes.data(), entryRecord_.size());
}

bool LibraryReader::claimRecord(std::uint64_t position) {
    return !claimedRecords_.testAndSet(position / kRecordGranule);
}

void LibraryReader::enterNode(std::size_t nodeIndex) {
    LibraryNode& node = nodes_[nodeIndex];
    currentNode_ = nodeIndex;
    node.cursor = 0;  // entered at 0xFFFF and stepped once
    recordPosition_ = node.firstEntryPosition;
}

bool LibraryReader::next() {
    if (currentNode_ >= nodes_.size()) return false;
    LibraryNode& node = nodes_[currentNode_];
    node.cursor = static_cast<std::uint16_t>(node.cursor + 1);
    bool haveRecord = false;
    if (node.cursor < node.entryCount) {
        if (!readRecordAt(recordPosition_)) {
            currentNode_ = nodes_.size();
            return false;
        }
        // A record without its magic, or one already delivered, exhausts the node.
        haveRecord = entryRecord_.isEntry() && claimRecord(recordPosition_);
    }
    while (!haveRecord) {
        if (currentNode_ + 1 >= nodes_.size()) {
            currentNode_ = nodes_.size();
            return false;
        }
        enterNode(currentNode_ + 1);
        const LibraryNode& entered = nodes_[currentNode_];
        if (entered.entryCount == 0) continue;  // an empty node is stepped over
        if (!readRecordAt(recordPosition_) || !entryRecord_.isEntry()) {
            // The first record of a node reached by advancing ends the pass when it is bad.
            currentNode_ = nodes_.size();
            return false;
        }
        haveRecord = claimRecord(recordPosition_);
    }
    if (!readEntryName()) {
        currentNode_ = nodes_.size();
        return false;
    }
    return true;
}

bool LibraryReader::readEntryName() {
    const std::uint16_t nameLength = entryRecord_.nameLength();
    if (nameLength == 0 || (wide_ && nameLength % 2 != 0)) return false;
    const std::uint64_t namePosition = recordPosition_ + entryRecord_.size();
    // The name is decoded where it lies in the read window, before any further read.
    const unsigned char* name = file_.view(namePosition, nameLength);
    if (name == nullptr) return false;
    recordPosition_ = namePosition + nameLength;
    if (wide_) {
        fillCurrentEntry(utf16LeToUtf8(name, nameLength));
    } else {
        const void* zero = std::memchr(name, 0, nameLength);
        const std::size_t length =
            zero != nullptr
                ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - name)
                : nameLength;
        fillCurrentEntry(std::string(reinterpret_cast<const char*>(name), length));
    }
    return true;
}

void LibraryReader::fillCurrentEntry(const std::string& storedName) {
    current_.firstBlock = entryRecord_.firstBlock();
    current_.dataSize = entryRecord_.dataSize();
    current_.modificationTime = entryRecord_.modificationTime();
    current_.commentLength = entryRecord_.commentLength();
    current_.kind = classifyName(storedName.data(), storedName.size());
    formDisplayName(current_, storedName.data(), storedName.size(), wide_);
    if (current_.kind != EntryKind::Source) {
        current_.listedSize = current_.dataSize;
        return;
    }
    // A source lists as the size of its export file: the header line (and the
    // comments line) around the data, in bytes or in UTF-16 with its mark.
    const char* outputName = current_.displayName + baseNameOffset(current_.displayName);
    const auto outputLength = static_cast<std::uint32_t>(std::strlen(outputName));
    const bool commented = current_.commentLength != 0;
    std::uint32_t added = 0;
    if (wide_) {
        const auto units = static_cast<std::uint32_t>(utf16Length(outputName, outputLength));
        added = 2 * (units + 18) + 2 + (commented ? 40 : 0);
    } else {
        added = outputLength + 18 + (commented ? 20 : 0);
    }
    current_.listedSize = current_.dataSize + added;
}

}  // namespace lorvex
