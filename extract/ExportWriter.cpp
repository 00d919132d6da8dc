#include "extract/ExportWriter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "extract/SourceControlText.h"
#include "library/DataChain.h"
#include "library/EntryNames.h"
#include "text/Hex.h"
#include "text/HexRows.h"
#include "text/Utf16.h"

namespace lorvex {

namespace {

// The sum of the character codes of a name as a section's line writes it:
// its UTF-16 code units in a Unicode-era library, its bytes otherwise.
unsigned nameCheckDigit(Generation generation, const std::string& name) {
    const bool wide = generation == Generation::UnicodeEra;
    const std::string coded = wide ? utf8ToUtf16Le(name.data(), name.size()) : name;
    unsigned sum = 0;
    // A high byte adds a multiple of 256, which leaves the digit as it is.
    for (std::size_t i = 0; i < coded.size(); i += wide ? 2 : 1)
        sum += static_cast<unsigned char>(coded[i]);
    return sum & 15;
}

}  // namespace

void ExportWriter::text(Generation generation, ByteSink& sink, const std::string& utf8) {
    if (generation == Generation::SingleByte) {
        sink.write(utf8.data(), utf8.size());
    } else {
        const std::string wide = utf8ToUtf16Le(utf8.data(), utf8.size());
        sink.write(wide.data(), wide.size());
    }
}

void ExportWriter::writeHeader(Generation generation, ByteSink& sink, const char* outputName,
                               bool commented) {
    if (generation == Generation::UnicodeEra) sink.write("\xFF\xFE", 2);
    text(generation, sink, std::string("$PBExportHeader$") + outputName + "\r\n");
    if (commented) text(generation, sink, "$PBExportComments$");
}

std::uint32_t ExportWriter::sourceHeaderSize(Generation generation, const char* outputName,
                                             bool commented) {
    CountingSink counter;
    writeHeader(generation, counter, outputName, commented);
    // The comments line ends with the CR LF written after the comment.
    if (commented) text(generation, counter, "\r\n");
    return static_cast<std::uint32_t>(counter.count);
}

bool ExportWriter::write(const CurrentEntry& entry, const Companion& companion, VisitedSet& visited,
                         ByteSink& sink, std::string& reason, VisitedSet* sectionVisited) {
    LineEndTracker tracked(sink, generation_ == Generation::UnicodeEra);
    const bool sourceControl = form_ == ExportForm::SourceControl;
    bool intact = writeContent(entry, companion.firstBlock != 0, visited,
                               sourceControl ? tracked : sink, reason, sectionVisited);
    if (companion.firstBlock != 0 && (intact || sink.intact())) {
        std::string companionReason;
        // Source control writes the section after an empty line.
        const bool lineEnd = sourceControl && !tracked.endsWithLineEnd();
        if (!writeBinarySection(entry, companion,
                                sectionVisited != nullptr ? *sectionVisited : visited, sink,
                                lineEnd, companionReason)) {
            if (intact) reason = companionReason;
            intact = false;
        }
    }
    if (!sink.intact()) reason = "the export could not be written";
    return intact && sink.intact();
}

// The header and comments lines of a source, then the entry's data after its
// comment, block by block. A comment is taken from the first block only; one
// longer than that block's used bytes ends with them.
bool ExportWriter::writeContent(const CurrentEntry& entry, bool withSection, VisitedSet& visited,
                                ByteSink& sink, std::string& reason, VisitedSet* alsoMarked) {
    const bool source = entry.kind == EntryKind::Source;
    const bool wide = generation_ == Generation::UnicodeEra;
    std::size_t comment = wide ? 2U * entry.commentLength : entry.commentLength;
    if (source)
        writeHeader(generation_, sink, entry.displayName + baseNameOffset(entry.displayName),
                    comment != 0);
    // Single-byte sources exported with their binary data show a zero last
    // byte of a block as a space.
    const bool zeroToSpace = source && !wide && withSection;
    const bool sourceControl = source && form_ == ExportForm::SourceControl;
    const bool upToNul = sourceControl && wide;
    TextUpToNul cutAtNul(sink);
    auto content = [&](const unsigned char* bytes, std::size_t count) {
        if (upToNul) {
            cutAtNul.write(bytes, count);
        } else {
            sink.write(bytes, count);
        }
    };
    const ChainEnd end = walkChain(
        file_, entry.firstBlock, visited,
        [&](const unsigned char* data, std::size_t used) {
            std::size_t skip = 0;
            if (comment != 0) {
                skip = std::min(comment, used);
                if (sourceControl) {
                    writeOneLineComment(sink, data, skip, wide);
                } else if (source) {
                    sink.write(data, skip);
                }
                if (source) text(generation_, sink, "\r\n");
                comment = 0;
            }
            if (zeroToSpace && used > skip && data[used - 1] == 0) {
                sink.write(data + skip, used - 1 - skip);
                sink.write(" ", 1);
            } else {
                content(data + skip, used - skip);
            }
            return sink.intact();
        },
        alsoMarked);
    cutAtNul.finish();
    if (!end.complete()) reason = end.describe(file_.size());
    return end.complete();
}

bool ExportWriter::readComment(const CurrentEntry& entry, std::string& bytes, std::string& reason) {
    const std::size_t length =
        (generation_ == Generation::UnicodeEra ? 2U : 1U) * std::size_t{entry.commentLength};
    bytes.clear();
    if (length == 0) return true;
    VisitedSet visited(file_.size(), DataBlock::kSize);
    const ChainEnd end = walkChain(
        file_, entry.firstBlock, visited, [&](const unsigned char* data, std::size_t used) {
            bytes.assign(reinterpret_cast<const char*>(data), std::min(length, used));
            return false;  // the rest of the chain is content
        });
    if (end.complete() || end.kind == ChainEnd::Stopped) return true;
    reason = end.describe(file_.size());
    return false;
}

namespace {

std::string companionName(const char* displayName) {
    const std::size_t nameLength = std::strlen(displayName);
    return std::string(displayName, nameLength >= 3 ? nameLength - 3 : 0) + "bin";
}

// Whether the section of a companion of size bytes, whose chain ended so
// holding held bytes, can be written; reason says why not. Before the chain
// is read, a complete end and held == size check the size alone.
bool sectionIsWhole(const char* displayName, std::uint32_t size, std::uint64_t librarySize,
                    const ChainEnd& end, std::uint64_t held, std::string& reason) {
    const std::string prefix = "its compiled companion " + companionName(displayName) + ": ";
    // A size the file cannot hold, or one that does not print as a positive
    // count, is damage: nothing is allocated or written for it.
    if (size > librarySize || size > INT32_MAX) {
        reason = prefix + "claims " + std::to_string(size) + " bytes, more than the library holds";
        return false;
    }
    // Rows would show zeros for bytes the chain does not hold: a companion
    // that cannot be read whole gets no section.
    if (!end.complete()) {
        reason = prefix + end.describe(librarySize);
        return false;
    }
    if (held >= size) return true;
    reason = prefix + "its blocks hold " + std::to_string(held) + " of its " +
             std::to_string(size) + " bytes";
    return false;
}

}  // namespace

bool ExportWriter::writeBinarySection(const CurrentEntry& entry, const Companion& companion,
                                      VisitedSet& visited, ByteSink& sink, bool lineEnd,
                                      std::string& reason) {
    const std::size_t nameLength = std::strlen(entry.displayName);
    const std::string binName = companionName(entry.displayName);
    const std::uint32_t size = companion.size;
    if (!sectionIsWhole(entry.displayName, size, file_.size(), ChainEnd{}, size, reason))
        return false;
    const std::size_t rows = (size + kRowBytes - 1) / kRowBytes;
    // Gathered as the chain holds them, into room reserved but not filled, so
    // that a size the chain does not back costs no work; bytes beyond the
    // declared size are dropped.
    std::vector<unsigned char> buffer;
    buffer.reserve(rows * kRowBytes);
    const ChainEnd end = walkChain(
        file_, companion.firstBlock, visited, [&](const unsigned char* data, std::size_t used) {
            const std::size_t take = std::min<std::size_t>(used, size - buffer.size());
            buffer.insert(buffer.end(), data, data + take);
            return true;
        });
    if (!sectionIsWhole(entry.displayName, size, file_.size(), end, buffer.size(), reason))
        return false;
    buffer.resize(rows * kRowBytes, 0);  // the last row is filled up with zeros
    // The name lines: as -e writes them, the tag ("4" for a source ending in
    // "sru"), the size and the time; in source control, a check digit alone.
    std::string values;
    if (form_ == ExportForm::SourceControl) {
        values = upperHexDigit(nameCheckDigit(generation_, binName)) + binName + " \r\n";
    } else {
        const bool sru =
            nameLength >= 3 && std::strcmp(entry.displayName + nameLength - 3, "sru") == 0;
        values = (sru ? "4" : "7") + binName + " " + std::to_string(size) + " " +
                 std::to_string(companion.time) + "\r\n";
    }
    text(generation_, sink,
         std::string(lineEnd ? "\r\n" : "") +
             "\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n0" + values);
    const bool checkedRows =
        form_ == ExportForm::SourceControl && generation_ == Generation::UnicodeEra;
    std::string rowText;
    constexpr std::size_t kRowsPerWrite = 64;
    for (std::size_t row = 0; row < rows && sink.intact(); row += kRowsPerWrite) {
        rowText.clear();
        for (std::size_t r = row; r < std::min(rows, row + kRowsPerWrite); ++r)
            appendHexRow(rowText, buffer.data() + r * kRowBytes, checkedRows);
        text(generation_, sink, rowText);
    }
    text(generation_, sink,
         std::string("1") + values +
             "End of PowerBuilder Binary Data Section : No Source Expected After This Point\r\n");
    return true;
}

}  // namespace lorvex
