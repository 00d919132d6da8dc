#pragma once

#include <cstdint>
#include <string>

#include "extract/ByteSink.h"
#include "library/CurrentEntry.h"
#include "library/DataChain.h"
#include "library/LibraryFile.h"
#include "library/Records.h"
#include "library/VisitedSet.h"

namespace lorvex {

// Writes the export of one entry: for a source the header line and comments
// line, then the entry's data after its comment, then, when the entry has a
// companion, the binary data section of the companion's bytes. Compiled
// objects and resources are their data alone. Text the writer adds has the
// library's own form: bytes for single-byte libraries, UTF-16LE after a byte
// order mark for Unicode-era ones; line ends it adds are CR LF.
class ExportWriter {
public:
    ExportWriter(LibraryFile& file, Generation generation) : file_(file), generation_(generation) {}

    // Writes entry into sink, reading only blocks not yet in visited. False
    // when the entry's data is damaged or the sink failed, with reason saying
    // why; what could be read is written all the same.
    [[nodiscard]] bool write(const CurrentEntry& entry, VisitedSet& visited, ByteSink& sink,
                             std::string& reason);

    // How many bytes a source's export adds before its data (the listed size
    // of a source is its data size plus these).
    static std::uint32_t sourceHeaderSize(Generation generation, const char* outputName,
                                          bool commented);

    // Why the binary data section of the source displayName cannot be written
    // for a companion of size bytes whose chain ended so, holding held bytes;
    // empty when it can. Before the chain is read, a complete end and held ==
    // size check the size alone.
    static std::string sectionDamage(const char* displayName, std::uint32_t size,
                                     std::uint64_t librarySize, const ChainEnd& end,
                                     std::uint64_t held);

private:
    static void text(Generation generation, ByteSink& sink, const std::string& utf8);
    static void writeHeader(Generation generation, ByteSink& sink, const char* outputName,
                            bool commented);
    [[nodiscard]] bool writeContent(const CurrentEntry& entry, VisitedSet& visited, ByteSink& sink,
                                    std::string& reason);
    [[nodiscard]] bool writeBinarySection(const CurrentEntry& entry, VisitedSet& visited,
                                          ByteSink& sink, std::string& reason);

    LibraryFile& file_;
    Generation generation_;
};

}  // namespace lorvex
