#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "extract/ByteSink.h"
#include "extract/CompanionClaims.h"
#include "extract/EntryLookup.h"
#include "extract/ExportWriter.h"
#include "library/LibraryReader.h"
#include "library/VisitedSet.h"

namespace lorvex {

// The ways the tool exports the entries of one library, each with its rules
// of which blocks an export may read and which companions it may show, so
// that no crafted library multiplies its bytes through them:
//   EveryEntry     every entry, in the form -e writes; no two entries share
//                  blocks, and no export carries a section;
//   ByName         entries named or matched by a pattern, in the form -e
//                  writes; each export reads its own blocks once (its
//                  companion none of its source's); entries a pattern
//                  matched share no blocks and claim their companions;
//   SourceControl  every source, in the form the environment's source
//                  control writes; sources share no blocks, companions are
//                  claimed, and a section is judged by its own source's blocks.
enum class ExportRules { EveryEntry, ByName, SourceControl };

// One export: an entry, where it was met, the companion its section shows,
// and whether a pattern chose it.
struct EntryExport {
    CurrentEntry entry;
    std::uint32_t position = 0;
    Companion companion;
    bool matched = false;
    bool sharesBlocks = false;  // set by prepare: read under the blocks shared by all
};

// The plan of a library's exports under one set of rules: what each export
// reads, what it carries, and why it fails are decided here, for the
// commands that write them to files, to folders, to standard output, or only
// count them.
class ExportPlan {
public:
    // Walks the library once for the companions of names (of every source
    // when names is empty), unless the rules show none; not during another walk.
    ExportPlan(LibraryReader& reader, ExportRules rules,
               const std::vector<std::string>& names = {});

    // The export of the entry met at position, paired as a named export of
    // request pairs it (none under EveryEntry).
    EntryExport exportOf(const CurrentEntry& entry, std::uint32_t position,
                         const std::string& request) const;
    // The export a named export of name makes: the first entry of that
    // display name, paired by name. False when there is none.
    [[nodiscard]] bool find(const std::string& name, bool matched, EntryExport& found) const;

    // Whether the rules let the export be made before anything is read (a
    // companion already shown by three sources, or sharing blocks with
    // another, may not be shown again); reason says why not. Once for each export.
    [[nodiscard]] bool prepare(EntryExport& planned, std::string& reason);
    // Writes a prepared export into sink; false, with reason, when its data
    // is damaged or the sink failed; what could be read is written all the same.
    [[nodiscard]] bool write(const EntryExport& planned, ByteSink& sink, std::string& reason);

    // The comment as an export's comments line shows it (see ExportWriter::readComment).
    [[nodiscard]] bool comment(const CurrentEntry& entry, std::string& bytes, std::string& reason);

private:
    LibraryReader& reader_;
    ExportRules rules_;
    ExportWriter writer_;
    VisitedSet shared_;  // the blocks of all exports that may not share them
    CompanionClaims claims_;
    std::unordered_set<std::string> matchedNames_;
    EntryLookup lookup_;
};

}  // namespace lorvex
