#pragma once

#include <cstdint>
#include <string>

#include "extract/ByteSink.h"
#include "extract/EntryLookup.h"
#include "library/CurrentEntry.h"
#include "library/DataChain.h"
#include "library/LibraryFile.h"
#include "library/Records.h"
#include "library/VisitedSet.h"
#include "text/SourceText.h"

namespace lorvex {

// The two forms of a source's export. Extraction is what -e writes. SourceControl
// is the form the environment's own source control writes: a comment's line
// breaks as ~r and ~n; UTF-16 text up to its first NUL character, without one
// space right before it; the binary data section after an empty line, its name
// lines carrying a check digit instead of the tag, size and time, its rows of a
// Unicode-era library a check digit of their own.
enum class ExportForm { Extraction, SourceControl };

// The text of an export has the form its library stores text in.
inline ExportedText exportedText(Generation generation) {
    return generation == Generation::UnicodeEra ? ExportedText::Utf16 : ExportedText::SingleByte;
}

// Writes the export of one entry: for a source the header line and comments
// line, then the entry's data after its comment, then, when the entry has a
// companion, the binary data section of the companion's bytes. Compiled
// objects and resources are their data alone. Text the writer adds has the
// library's own form: bytes for single-byte libraries, UTF-16LE after a byte
// order mark for Unicode-era ones; line ends it adds are CR LF.
class ExportWriter {
public:
    ExportWriter(LibraryFile& file, Generation generation, ExportForm form = ExportForm::Extraction)
        : file_(file), generation_(generation), form_(form) {}

    // Writes entry into sink, with the binary data section of companion when
    // it has one, reading only blocks not yet in visited. False when the
    // entry's data is damaged or the sink failed, with reason saying why;
    // what could be read is written all the same. With sectionVisited, the
    // section is judged by that set instead, in which the entry's own blocks
    // are marked as well: a companion may then share blocks with other
    // entries, but not with its source.
    [[nodiscard]] bool write(const CurrentEntry& entry, const Companion& companion,
                             VisitedSet& visited, ByteSink& sink, std::string& reason,
                             VisitedSet* sectionVisited = nullptr);

    // The comment as the comments line of an export shows it: the comment's
    // bytes from the entry's first block, all that block's used bytes when the
    // comment claims more. Reads that block alone. False, with reason, when it
    // cannot be read.
    [[nodiscard]] bool readComment(const CurrentEntry& entry, std::string& bytes,
                                   std::string& reason);

    // How many bytes a source's export adds before its data (the listed size
    // of a source is its data size plus these).
    static std::uint32_t sourceHeaderSize(Generation generation, const char* outputName,
                                          bool commented);

private:
    static void text(Generation generation, ByteSink& sink, const std::string& utf8);
    static void writeHeader(Generation generation, ByteSink& sink, const char* outputName,
                            bool commented);
    [[nodiscard]] bool writeContent(const CurrentEntry& entry, bool withSection,
                                    VisitedSet& visited, ByteSink& sink, std::string& reason,
                                    VisitedSet* alsoMarked);
    // With lineEnd, a CR LF first, so that the section follows an empty line.
    [[nodiscard]] bool writeBinarySection(const CurrentEntry& entry, const Companion& companion,
                                          VisitedSet& visited, ByteSink& sink, bool lineEnd,
                                          std::string& reason);

    LibraryFile& file_;
    Generation generation_;
    ExportForm form_;
};

}  // namespace lorvex
