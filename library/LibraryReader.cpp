#include "library/LibraryReader.h"

#include <cstring>

#include "library/EntryNames.h"
#include "library/SignedImage.h"
#include "text/Utf16.h"

namespace lorvex {

bool LibraryReader::fail(std::string& reason, const std::string& why) {
    close();
    reason = why;
    return false;
}

bool LibraryReader::open(const std::string& path, std::string& reason) {
    close();
    std::string why;
    if (!file_.open(path, why)) return fail(reason, "cannot open: " + why);
    std::uint32_t headerOffset = 0;
    if (!findHeader(headerOffset, reason)) return false;
    HeaderRecord header;
    if (!file_.readAt(headerOffset, header.bytes.data(), header.bytes.size()) || !header.isHeader())
        return fail(reason, "not a library: no \"HDR*\" header at " + std::to_string(headerOffset));
    generation_ = header.generation();
    loadTree(std::uint64_t{headerOffset} + HeaderRecord::rootDistance(generation_));
    // Without a readable root node there is no directory to walk.
    if (nodes_.empty()) return fail(reason, "not a library: its root node cannot be read");
    return true;
}

// The header is at 0 unless a "TRL*" trailer in the last 512 bytes (or, in a
// signed executable, just before its certificate table) says where it is. A
// file shorter than the trailer block is probed at its start instead.
bool LibraryReader::findHeader(std::uint32_t& headerOffset, std::string& reason) {
    TrailerRecord trailer;
    const std::uint64_t size = file_.size();
    const std::uint64_t probeAt =
        size >= TrailerRecord::kProbeDistance ? size - TrailerRecord::kProbeDistance : 0;
    if (!file_.readAt(probeAt, trailer.bytes.data(), trailer.bytes.size()))
        return fail(reason, "not a library: only " + std::to_string(size) + " bytes long");
    if (trailer.isTrailer() || findTrailerBeforeCertificates(file_, trailer))
        headerOffset = trailer.headerOffset();
    return true;
}

void LibraryReader::close() {
    nodes_.clear();
    nodes_.shrink_to_fit();
    currentNode_ = 0;
    generation_ = Generation::SingleByte;
    file_.close();
}

bool LibraryReader::rewind() {
    passDamage_.clear();
    if (nodes_.empty()) return false;
    deliveredRecords_ = VisitedSet(file_.size(), 16);  // records are longer than 16 bytes
    currentNode_ = 0;
    cursor_ = 0xFFFF;  // the first step wraps it to 0
    recordPosition_ = nodes_[0].firstEntryPosition;
    return true;
}

void LibraryReader::enterNode(std::size_t nodeIndex) {
    currentNode_ = nodeIndex;
    cursor_ = 0;
    recordPosition_ = nodes_[nodeIndex].firstEntryPosition;
}

bool LibraryReader::readRecord() {
    const std::string at = "the record at " + std::to_string(recordPosition_);
    const unsigned char* bytes = file_.view(recordPosition_, entryRecordSize(generation_));
    if (bytes == nullptr) return endPass(at + " cannot be read");
    record_ = decodeEntry(generation_, bytes);
    if (!record_.isEntry) {
        if (passDamage_.empty()) passDamage_ = at + " has no \"ENT*\"";
        return false;
    }
    if (!deliveredRecords_.firstVisit(recordPosition_)) {
        if (passDamage_.empty()) passDamage_ = at + " was read before: nodes overlap";
        return false;
    }
    return true;
}

bool LibraryReader::endPass(const std::string& damage) {
    if (passDamage_.empty()) passDamage_ = damage;
    currentNode_ = nodes_.size();
    return false;
}

bool LibraryReader::next() {
    if (currentNode_ >= nodes_.size()) return false;
    cursor_ = static_cast<std::uint16_t>(cursor_ + 1);
    // A record without its magic, or one already delivered, exhausts the node.
    bool haveRecord = cursor_ < nodes_[currentNode_].entryCount && readRecord();
    while (!haveRecord && currentNode_ < nodes_.size()) {
        if (currentNode_ + 1 >= nodes_.size()) return endPass("");
        enterNode(currentNode_ + 1);
        if (nodes_[currentNode_].entryCount == 0) continue;  // an empty node is stepped over
        haveRecord = readRecord();
        // The first record of a node reached by advancing ends the pass when it lacks "ENT*".
        if (!haveRecord && !record_.isEntry) return endPass("");
    }
    if (currentNode_ >= nodes_.size()) return false;  // a record could not be read
    if (readEntryName()) return true;
    return endPass("the name of the record at " + std::to_string(recordPosition_) +
                   " cannot be read");
}

bool LibraryReader::readEntryName() {
    const bool wide = generation_ == Generation::UnicodeEra;
    if (record_.nameLength == 0 || (wide && record_.nameLength % 2 != 0)) return false;
    const std::uint64_t namePosition = recordPosition_ + entryRecordSize(generation_);
    // The name is decoded where it lies in the read window, before any further read.
    const unsigned char* name = file_.view(namePosition, record_.nameLength);
    if (name == nullptr) return false;
    recordPosition_ = namePosition + record_.nameLength;
    std::string& stored = storedName_;
    if (wide) {
        stored = utf16LeToUtf8(name, record_.nameLength);
    } else {
        const void* zero = std::memchr(name, 0, record_.nameLength);
        stored.assign(
            reinterpret_cast<const char*>(name),
            zero != nullptr ? static_cast<const unsigned char*>(zero) - name : record_.nameLength);
    }
    current_.firstBlock = record_.firstBlock;
    current_.dataSize = record_.dataSize;
    current_.modificationTime = record_.modificationTime;
    current_.commentLength = record_.commentLength;
    current_.kind = classifyName(stored.data(), stored.size());
    formDisplayName(current_, stored.data(), stored.size(), wide);
    return true;
}

}  // namespace lorvex
